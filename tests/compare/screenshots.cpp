// Not a test: the screenshots of packaging/screenshots/, taken on a real X
// server with the modes switched by real key presses (xdotool). Run by hand:
//   xvfb-run -s '-screen 0 1280x800x24' env QT_QPA_PLATFORM=xcb
//     build/tests/compare_tests --gtest_also_run_disabled_tests
//     --gtest_filter='ComparisonScreenshots.*'
// (one command line); the images are /tmp/comparacion-*.png, the printed
// page /tmp/comparacion.pdf.
#include <QComboBox>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include "chartsaving.h"
#include "compare_units.h"
#include "comparisonwindow.h"

namespace {

void key(const QString& keys)
{
    QProcess::execute("xdotool", {"key", "--delay", "60", keys});
    QTest::qWait(300);
}

void shoot(const QWidget& window, const QString& name)
{
    QTest::qWait(400);
    const QRect frame = window.frameGeometry();
    QGuiApplication::primaryScreen()
        ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
        .save("/tmp/comparacion-" + name + ".png");
}

TEST(ComparisonScreenshots, DISABLED_EachMode)
{
    ComparisonWindow window;
    for (const ComparedUnit& unit : compare_test::tenUnits())
        window.addUnit(unit);
    window.move(20, 20);
    window.resize(1100, 720);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // Xvfb runs no window manager: the pointer over the window and the
    // window asking for the focus give it the keys.
    QProcess::execute("xdotool", {"mousemove", "400", "300"});
    window.activateWindow();
    QTest::qWait(500);
    shoot(window, "habitantes");
    key("alt+l"); // "Escala logarítmica"
    shoot(window, "habitantes-logaritmica");
    key("alt+l");
    key("alt+m");
    key("Down");
    EXPECT_EQ(window.measure(), compare::Measure::Index);
    shoot(window, "indice");
    key("alt+f");
    for (int i = 0; i < 9; ++i) // 1981
        key("Down");
    shoot(window, "indice-1981");
    key("alt+m");
    key("Down");
    EXPECT_EQ(window.measure(), compare::Measure::Change);
    shoot(window, "variacion");

    // The printed page and the saved chart, to look at as well.
    window.setMeasure(compare::Measure::Population);
    window.setLogarithmic(true);
    window.setPdfDialog([] { return std::optional<QString>("/tmp/comparacion.pdf"); });
    window.exportPdf();
    EXPECT_EQ(charts::writeChart(*window.chart(), "/tmp/comparacion-grafico.svg", charts::ChartFormat::Svg),
              std::nullopt);
}

} // namespace
