#pragma once
// Files for the catalogue tools: the reason of a failure in Spanish, a whole
// file read, and a whole file written so that it is either the old one or the
// new one.

#include <string>
#include <string_view>

// The reason for the system's error number `error`, in Spanish, for messages.
std::string systemReason(int error);

// Reads the file at `path` into `data`. 0 when done, else the system's error
// number (EISDIR for a folder).
int readFile(const std::string& path, std::string& data);

// Writes all of `data` to the descriptor `fd`; false with errno on failure.
bool writeAll(int fd, std::string_view data);

// Writes `data` to `path` through a temporary file in the same folder, so that
// the file at `path` is either the old one or the complete new one. 0 when
// done, else the system's error number.
int writeFileAtomically(const std::string& path, std::string_view data);
