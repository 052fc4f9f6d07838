#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>

#include "layoutstyle.h"

namespace {

struct LayoutFont {
    const char* name;
    QFont font;
    int pixelSize;
    bool bold;
    bool italic;
};

} // namespace

// Each font asks for one face: Times New Roman or MS Sans Serif where the
// system has it, else the Liberation face that stands in for it, so that the
// font matching never searches for a missing face's substitutes. What is
// drawn is the face asked for.
TEST(LayoutStyle, EachFontAsksForThePresentFaceAlone)
{
    const QStringList installed = QFontDatabase::families();
    ASSERT_TRUE(installed.contains("Liberation Serif") && installed.contains("Liberation Sans"))
        << "the tests need fonts-liberation";
    const auto present = [&](const char* face, const char* standIn) {
        return QStringList{installed.contains(face, Qt::CaseInsensitive) ? face : standIn};
    };
    const QStringList serif = present("Times New Roman", "Liberation Serif");
    const LayoutFont fonts[] = {
        {"title", layout::titleFont(), 21, false, false},
        {"heading", layout::headingFont(), 15, true, false},
        {"text", layout::textFont(), 13, false, false},
        {"unit title", layout::unitTitleFont(), 13, true, true},
        {"label", layout::labelFont(), 13, true, false},
        {"small", layout::smallFont(), 11, false, false},
        {"census year", layout::censusYearFont(), 11, true, false},
        {"census value", layout::censusValueFont(), 12, false, false},
        {"chart tick", layout::chartTickFont(), 9, false, false},
        {"chart title", layout::chartTitleFont(), 11, false, false},
    };
    for (const LayoutFont& f : fonts) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(f.font.families(), serif);
        EXPECT_EQ(QFontInfo(f.font).family(), serif.first());
        EXPECT_EQ(f.font.pixelSize(), f.pixelSize);
        EXPECT_EQ(f.font.bold(), f.bold);
        EXPECT_EQ(f.font.italic(), f.italic);
    }
    const QFont window = layout::windowFont();
    EXPECT_EQ(window.families(), present("MS Sans Serif", "Liberation Sans"));
    EXPECT_EQ(QFontInfo(window).family(), window.families().first());
    EXPECT_EQ(window.pixelSize(), 11);
}
