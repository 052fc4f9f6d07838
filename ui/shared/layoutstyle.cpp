#include "layoutstyle.h"

#include <QFontDatabase>
#include <QLabel>
#include <QStringList>
#include <QWidget>

namespace layout {
namespace {

// The faces to ask for: the named face if the system has it, else its stand-in
// if it has that, else both, and Qt falls back as for any face it lacks.
// Asking only for a face that is there spares the font matching a search for
// the missing face's substitutes at each style and size, much of the
// window's font work at start-up.
QStringList faces(const QString& family, const QString& standIn)
{
    static const QStringList installed = QFontDatabase::families();
    for (const QString& face : {family, standIn})
        if (installed.contains(face, Qt::CaseInsensitive))
            return {face};
    return {family, standIn};
}

QFont font(const QString& family, const QString& standIn, int pixels, bool bold = false, bool italic = false)
{
    QFont font(faces(family, standIn));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont times(int pixels, bool bold = false, bool italic = false)
{
    return font(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"), pixels, bold, italic);
}

} // namespace

QFont windowFont() { return font(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"), 11); }
QFont titleFont() { return times(21); }
QFont headingFont() { return times(15, true); }
QFont textFont() { return times(13); }
QFont unitTitleFont() { return times(13, true, true); }
QFont labelFont() { return times(13, true); }
QFont smallFont() { return times(11); }
QFont censusYearFont() { return times(11, true); }
QFont censusValueFont() { return times(12); }
QFont chartTickFont() { return times(9); }
QFont chartTitleFont() { return times(11); }

void setColours(QWidget* widget, QPalette::ColorRole textRole, const QColor& text, QPalette::ColorRole backgroundRole,
                const QColor& background)
{
    QPalette palette = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, textRole, text);
    if (backgroundRole != QPalette::NoRole)
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, backgroundRole, background);
    widget->setPalette(palette);
}

QLabel* placeLabel(QWidget* parent, const char* name, const QRect& place, const QFont& font, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // An empty caption is not measured: that would load its font for nothing.
    if (!caption.isEmpty() && label->sizeHint().width() > place.width())
        label->resize(label->sizeHint().width(), place.height());
    return label;
}

void fitToCaption(QLabel* label) { label->resize(label->sizeHint().width(), label->height()); }

} // namespace layout
