#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

std::string systemReason(int error)
{
    switch (error) {
    case ENOENT: return "no existe";
    case EACCES:
    case EPERM: return "permiso denegado";
    case EISDIR: return "es una carpeta";
    case ENOTDIR: return "una parte de la ruta no es una carpeta";
    case ENOSPC: return "no queda espacio en el disco";
    case EROFS: return "el sistema de archivos es de solo lectura";
    case EDQUOT: return "se ha superado la cuota de disco";
    case ENAMETOOLONG: return "el nombre es demasiado largo";
    default: return "error del sistema " + std::to_string(error) + " (" + std::strerror(error) + ")";
    }
}

int readFile(const std::string& path, std::string& data)
{
    data.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat info {};
    int error = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) ? EISDIR : 0;
    char buffer[1 << 16];
    while (error == 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n > 0)
            data.append(buffer, static_cast<std::size_t>(n));
        else if (errno != EINTR)
            error = errno;
    }
    ::close(fd);
    return error;
}

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

int writeFileAtomically(const std::string& path, std::string_view data)
{
    std::string temp = path + ".tmp.XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return errno;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool ok = ::fchmod(fd, 0666 & ~mask) == 0 && writeAll(fd, data) && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok)
        ::unlink(temp.c_str());
    return error;
}
