#include "cataloguefile.h"

#include <QFile>
#include <QResource>
#include <exception>
#include <string_view>

CatalogueRead readCatalogue(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {nullptr, QStringLiteral("No se puede abrir el archivo %1").arg(path)};
    // A view onto the mapped resource or file where the platform allows it,
    // otherwise a copy of its bytes.
    QByteArray copy;
    std::string_view bytes;
    catalogue::PacketBytes kind = catalogue::PacketBytes::Copied;
    const qint64 size = file.size();
    const uchar* mapped = size > 0 ? file.map(0, size) : nullptr;
    if (mapped) {
        bytes = std::string_view(reinterpret_cast<const char*>(mapped), static_cast<std::size_t>(size));
        // An uncompressed resource built into the program lies where it is
        // mapped as long as the program runs; a mapped file goes with `file`.
        if (path.startsWith(u':') && QResource(path).compressionAlgorithm() == QResource::NoCompression)
            kind = catalogue::PacketBytes::Lasting;
    } else {
        copy = file.readAll();
        bytes = std::string_view(copy.constData(), static_cast<std::size_t>(copy.size()));
    }
    try {
        return {catalogue::Store::read(bytes, kind), QString()};
    } catch (const std::exception& e) {
        return {nullptr, QString::fromUtf8(e.what())};
    } catch (...) {
        return {nullptr, QStringLiteral("Error desconocido")};
    }
}
