// Pictures of the main window showing three units, for a person to look at:
//   QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" ui_tests
//       --gtest_also_run_disabled_tests --gtest_filter='*Screenshots*'
// writes detail-<name>.png into SCREENSHOT_DIR (default: the working folder).
#include <QDir>
#include <QTest>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include "dbgrid.h"
#include "report.h"
#include "tform1.h"

namespace {
void ignore(const QString&, const QString&, bool) {}
} // namespace

TEST(DetailPanel, DISABLED_Screenshots)
{
    ui::setMessageSink(&ignore);
    const QString dir = qEnvironmentVariableIsEmpty("SCREENSHOT_DIR") ? QDir::currentPath()
                                                                      : qEnvironmentVariable("SCREENSHOT_DIR");
    TForm1 form(nullptr, QStringLiteral(TEST_PACKET_DIR "/detail.pkt"));
    ASSERT_NE(form.Edit1, nullptr);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.BitBtn3, Qt::LeftButton);
    const auto shoot = [&](DBGrid* list, int row, const QString& name) {
        const QPoint centre = list->visualRect(list->model()->index(row, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
        QTest::qWait(100);
        EXPECT_TRUE(form.grab().save(dir + "/detail-" + name + ".png"));
    };
    shoot(form.DBGrid2, 3, "zaragoza");
    shoot(form.DBGrid2, 0, "almudevar");
    shoot(form.DBGrid3, 2, "hostal");
    shoot(form.DBGrid3, 3, "mas-de-blanco");
    ui::setMessageSink(nullptr);
}
