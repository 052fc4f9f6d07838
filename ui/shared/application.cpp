#include "application.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QIcon>
#include <QIconEngine>
#include <QImage>
#include <QLibraryInfo>
#include <QPainter>
#include <QResource>
#include <QStyle>
#include <QStyleOption>
#include <QTranslator>
#include <memory>
#include <mutex>
#if __has_include(<dlfcn.h>)
#include <dlfcn.h>
#endif
#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace ui {

// Fontconfig comes into the process with Qt's GUI library where Qt uses it:
// its FcInit is looked up there, not linked, so that the program neither
// builds against fontconfig nor needs it where Qt does not use it.
FontConfigurationReader::FontConfigurationReader()
{
#ifdef M_ARENA_MAX
    mallopt(M_ARENA_MAX, 1);
#endif
    thread_ = std::jthread([made = applicationMade_.get_future()]() mutable {
#if __has_include(<dlfcn.h>)
        using Init = int (*)();
        if (auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit")))
            init();
#endif
        // Qt's database lists the fonts once the application exists.
        if (made.get())
            QFontDatabase::families();
    });
}

FontConfigurationReader::~FontConfigurationReader() { wait(); }

void FontConfigurationReader::applicationMade() { tell(true); }

void FontConfigurationReader::wait()
{
    tell(false);
    if (thread_.joinable())
        thread_.join();
}

void FontConfigurationReader::tell(bool made)
{
    if (!told_) {
        told_ = true;
        applicationMade_.set_value(made);
    }
}

void prepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("POBLACION"));
    QIcon icon;
    icon.addPixmap(resourceImage(QStringLiteral("poblacion16")));
    icon.addPixmap(resourceImage(QStringLiteral("poblacion32")));
    QApplication::setWindowIcon(icon);
    installSpanishTranslations();
}

QPixmap resourceImage(const QString& name)
{
    const QByteArray bytes = QResource(QStringLiteral(":/images/") + name + QStringLiteral(".rgba")).uncompressedData();
    const auto byte = [&bytes](qsizetype i) { return static_cast<int>(static_cast<unsigned char>(bytes[i])); };
    if (bytes.size() < 4)
        return {};
    const int width = byte(0) | byte(1) << 8;
    const int height = byte(2) | byte(3) << 8;
    const qsizetype rowBytes = qsizetype{width} * 4;
    if (bytes.size() != 4 + rowBytes * height)
        return {};
    // In the form Qt's decoders give, so that the pixmap is the one they made.
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const qsizetype at = 4 + rowBytes * y + qsizetype{x} * 4;
            row[x] = qRgba(byte(at), byte(at + 1), byte(at + 2), byte(at + 3));
        }
    }
    return QPixmap::fromImage(std::move(image));
}

namespace {

// The two images of a resourceIcon. As Qt's own icons do, a size is drawn
// from the smallest image that covers it, or the larger one, scaled down to
// fit; another mode than Normal is the style's version of that image.
class TwoSizeIconEngine : public QIconEngine {
public:
    TwoSizeIconEngine(const QString& image, QString image2x)
        : image_(resourceImage(image)), name2x_(std::move(image2x))
    {
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const QSize image = imageSize(size);
        return image.scaled(size.boundedTo(image), Qt::KeepAspectRatio);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap = imageSize(size) == image_.size() ? image_ : image2x();
        const QSize fit = actualSize(size, mode, state);
        if (pixmap.size() != fit)
            pixmap = pixmap.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (mode != QIcon::Normal) {
            QStyleOption option;
            option.palette = QGuiApplication::palette();
            const QPixmap styled = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
            if (!styled.isNull())
                pixmap = styled;
        }
        return pixmap;
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : qApp->devicePixelRatio();
        painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        if (mode != QIcon::Normal || state != QIcon::Off)
            return {};
        return {image_.size(), image_.size() * 2};
    }
    QIconEngine* clone() const override { return new TwoSizeIconEngine(*this); }

private:
    // The size of the image a size is drawn from.
    QSize imageSize(const QSize& size) const
    {
        return size.width() <= image_.width() && size.height() <= image_.height() ? image_.size() : image_.size() * 2;
    }
    const QPixmap& image2x()
    {
        if (image2x_.isNull())
            image2x_ = resourceImage(name2x_);
        return image2x_;
    }

    QPixmap image_;
    QString name2x_;
    QPixmap image2x_; // read when first drawn
};

} // namespace

QIcon resourceIcon(const QString& image, const QString& image2x)
{
    return QIcon(new TwoSizeIconEngine(image, image2x));
}

namespace {

// Qt's Spanish texts, read from their file when Qt first asks for one. Most
// runs show no standard dialog or menu, and reading the file maps it nearly
// whole (its parts lie across it). The file is read by a translator of its
// own, never installed, so that reading it tells no window that the language
// changed. Qt asks holding its translators' lock for reading, which the read
// takes again: safe as long as no translator is installed or removed
// meanwhile, and the program installs its one translator at start-up.
class SpanishQtTexts : public QTranslator {
public:
    SpanishQtTexts(QString file, QObject* parent) : QTranslator(parent), file_(std::move(file)) {}

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override
    {
        // Installing the texts asks at once which way the language is
        // written; Spanish runs left to right, as Qt takes it untranslated.
        if (qstrcmp(context, "QGuiApplication") == 0 && qstrcmp(sourceText, "QT_LAYOUT_DIRECTION") == 0)
            return {};
        // Qt may ask from any thread. A file gone since start-up leaves Qt's
        // own texts.
        std::call_once(read_, [this] { [[maybe_unused]] const bool read = texts_.load(file_); });
        return texts_.translate(context, sourceText, disambiguation, n);
    }
    bool isEmpty() const override { return false; }

private:
    QString file_;
    mutable std::once_flag read_;
    mutable QTranslator texts_;
};

} // namespace

bool installSpanishTranslations()
{
    static QTranslator* installed = nullptr;
    if (installed)
        return true;
    const QFileInfo file(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_es.qm"));
    if (!file.isFile() || !file.isReadable())
        return false;
    auto translator = std::make_unique<SpanishQtTexts>(file.filePath(), QCoreApplication::instance());
    if (!QCoreApplication::installTranslator(translator.get()))
        return false;
    installed = translator.release();
    return true;
}

} // namespace ui
