// Writes an image as the program carries it, to be read back with no image
// decoder (ui::resourceImage): its width and its height, 16 bits each with
// the low byte first, then its pixels row by row, four bytes each: red,
// green, blue and alpha (not premultiplied).
//
//     poblacion-rawimage IMAGE OUT
//
// Exit codes: 0 written, 1 an image it cannot read or a file it cannot
// write, 2 wrong usage.
#include <QCoreApplication>
#include <QImage>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char* argv[])
{
    const QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fputs("uso: poblacion-rawimage IMAGEN SALIDA\n", stderr);
        return 2;
    }
    const QImage image = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGBA8888);
    if (image.isNull() || image.width() > 0xFFFF || image.height() > 0xFFFF) {
        std::fprintf(stderr, "poblacion-rawimage: no se puede leer la imagen %s\n", argv[1]);
        return 1;
    }
    QByteArray bytes;
    for (const int size : {image.width(), image.height()}) {
        bytes += static_cast<char>(size & 0xFF);
        bytes += static_cast<char>(size >> 8);
    }
    for (int y = 0; y < image.height(); ++y)
        bytes.append(reinterpret_cast<const char*>(image.constScanLine(y)), qsizetype{image.width()} * 4);
    QSaveFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        std::fprintf(stderr, "poblacion-rawimage: no se puede escribir %s\n", argv[2]);
        return 1;
    }
    return 0;
}
