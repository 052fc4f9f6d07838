#pragma once
// Files written whole or not at all: the content goes to a new file beside
// the target, which replaces the target only once it is complete. A failure
// leaves the target as it was and no new file behind.

#include <functional>
#include <stdexcept>
#include <string>

namespace exporting {

// A file that could not be written. The message is UTF-8 Spanish, for the
// user, and says why where the cause is one the user can mend:
// "No se puede crear el archivo /ruta/lista.xlsx: Permiso denegado".
class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The message for a file that cannot be created, for the system's error
// number `error` (0 when unknown): "Permiso denegado", "La carpeta … no
// existe", "El disco es de solo lectura", "No queda espacio en el disco",
// "Es una carpeta", "El nombre es demasiado largo"; otherwise the bare
// "No se puede crear el archivo …".
std::string cannotCreateMessage(const std::string& path, int error);

// Writes `path` (UTF-8, as the system names files) whole: `fill` is given the
// path of a new, empty file in the same folder and writes the content there
// (by any means; it throws ExportError, or returns the system error number
// of its failure, 0 for success); then that file is flushed to the disk and
// renamed to `path`, replacing any file of that name. Throws ExportError.
void writeWhole(const std::string& path, const std::function<int(const std::string& temporaryPath)>& fill);

// Writes `content` to `path` whole, as writeWhole. Throws ExportError.
void writeWholeText(const std::string& path, const std::string& content);

} // namespace exporting
