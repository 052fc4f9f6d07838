#pragma once
// Failures of the catalogue layer. Every message is UTF-8 and is the text the
// user sees (the window layer shows it as it stands).

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace catalogue {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A data packet that cannot be read ("Mismatch in datapacket.", or a precise
// description of what is wrong and at which offset).
class PacketError : public Error {
public:
    using Error::Error;
};

// A filter text that cannot be parsed, or a field name that does not exist.
class FilterError : public Error {
public:
    using Error::Error;
};

// A text that is not a whole number: "'%s' no es un valor entero válido".
class ConversionError : public Error {
public:
    using Error::Error;
};

// Whole-number conversion as the program uses it: leading blanks, an optional
// sign and decimal digits, with a value that fits 32 bits. Nothing else.
std::optional<std::int32_t> toInteger(std::string_view cp1252);

// As toInteger, but a text that is no whole number throws ConversionError.
std::int32_t strToInt(std::string_view cp1252);

} // namespace catalogue
