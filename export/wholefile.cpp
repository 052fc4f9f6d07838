#include "wholefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace exporting {

namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string fileNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A name no other file in the folder has, hidden, reserved by creating it
// empty (with the permissions a new file of the user gets). Returns the
// system's error number when the folder takes no new file.
int reserveTemporary(const std::string& path, std::string& temporary)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folderOf(path) + "/." + fileNameOf(path) + "." + std::to_string(::getpid()) + "."
                    + std::to_string(counter++) + ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int flushToDisk(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

} // namespace

std::string cannotCreateMessage(const std::string& path, int error)
{
    std::string reason;
    switch (error) {
    case EACCES:
    case EPERM:
        reason = "Permiso denegado";
        break;
    case ENOENT:
    case ENOTDIR:
        reason = "La carpeta " + folderOf(path) + " no existe";
        break;
    case EROFS:
        reason = "El disco es de solo lectura";
        break;
    case ENOSPC:
    case EDQUOT:
        reason = "No queda espacio en el disco";
        break;
    case EISDIR:
        reason = "Es una carpeta";
        break;
    case ENAMETOOLONG:
        reason = "El nombre es demasiado largo";
        break;
    default:
        break;
    }
    std::string message = "No se puede crear el archivo " + path;
    if (!reason.empty())
        message += ": " + reason;
    return message;
}

void writeWhole(const std::string& path, const std::function<int(const std::string& temporaryPath)>& fill)
{
    if (path.empty() || path.back() == '/')
        throw ExportError(cannotCreateMessage(path, EISDIR));
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode))
        throw ExportError(cannotCreateMessage(path, EISDIR));

    std::string temporary;
    if (const int error = reserveTemporary(path, temporary))
        throw ExportError(cannotCreateMessage(path, error));
    int error = 0;
    try {
        error = fill(temporary);
    } catch (...) {
        std::remove(temporary.c_str());
        throw;
    }
    if (!error)
        error = flushToDisk(temporary);
    if (!error && std::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error) {
        std::remove(temporary.c_str());
        throw ExportError(cannotCreateMessage(path, error));
    }
}

void writeWholeText(const std::string& path, const std::string& content)
{
    writeWhole(path, [&content](const std::string& temporary) {
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0)
            return errno;
        std::size_t written = 0;
        while (written < content.size()) {
            const ssize_t step = ::write(fd, content.data() + written, content.size() - written);
            if (step < 0) {
                if (errno == EINTR)
                    continue;
                const int error = errno;
                ::close(fd);
                return error;
            }
            written += static_cast<std::size_t>(step);
        }
        return ::close(fd) == 0 ? 0 : errno;
    });
}

} // namespace exporting
