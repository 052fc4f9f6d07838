#pragma once
// Shared helpers of the main window tests: the window on the test catalogue,
// a recorder for message boxes, and real key and mouse input.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <qcustomplot.h>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "datasource.h"
#include "dbgrid.h"
#include "dbmemo.h"
#include "report.h"
#include "searchedit.h"
#include "stringgrid.h"
#include "tform1.h"
#include "text.h"

namespace mwtest {

struct Message {
    QString caption;
    QString text;
    bool error = false;
};

inline std::vector<Message>& messages()
{
    static std::vector<Message> recorded;
    return recorded;
}

inline void recordMessage(const QString& caption, const QString& text, bool error)
{
    messages().push_back({caption, text, error});
}

inline QString testPacket() { return QStringLiteral(TEST_PACKET_DIR "/window.pkt"); }

// The test catalogue, unit by unit (IDENT and search name), as window.csv holds it.
// Municipalities in name order: Abay, Cutanda, Chalamera, Luzas, Lledo,
// Penaflor, Peñalba, San Jose, Zaragoza.
inline constexpr int kMunicipalities = 9;
inline constexpr int kEntities = 18;
inline constexpr int kNuclei = 3;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        messages().clear();
        ui::setMessageSink(&recordMessage);
    }
    void TearDown() override
    {
        form.reset();
        ui::setMessageSink(nullptr);
    }

    // Creates the window, shows it and waits until it is the active window.
    TForm1& open(const QString& packet = testPacket())
    {
        form = std::make_unique<TForm1>(nullptr, packet);
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        return *form;
    }

    QWidget* focused() const { return QApplication::focusWidget(); }

    // A key pressed in the focused control and released in whichever control
    // has the focus afterwards, as a real keyboard delivers it.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* before = focused();
        ASSERT_NE(before, nullptr);
        QTest::sendKeyEvent(QTest::Press, before, key, QString(), modifiers);
        QWidget* after = focused();
        ASSERT_NE(after, nullptr);
        QTest::sendKeyEvent(QTest::Release, after, key, QString(), modifiers);
    }

    void tab() { press(Qt::Key_Tab); }
    void backtab() { press(Qt::Key_Backtab, Qt::ShiftModifier); }

    // Types text into a control character by character, accents included.
    static void type(QWidget* widget, const QString& text)
    {
        for (QChar ch : text) {
            const Qt::Key key = ch.isLetterOrNumber() && ch.unicode() < 0x80
                                    ? static_cast<Qt::Key>(ch.toUpper().unicode())
                                    : Qt::Key_unknown;
            QTest::sendKeyEvent(QTest::Press, widget, key, QString(ch), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, key, QString(ch), Qt::NoModifier);
        }
    }

    // Types the text into the search box and presses Enter.
    void search(const QString& text)
    {
        form->Edit1->clear();
        type(form->Edit1, text);
        QTest::keyClick(form->Edit1, Qt::Key_Return);
    }

    static QPoint rowCentre(DBGrid* grid, int row)
    {
        return grid->visualRect(grid->model()->index(row, 0)).center();
    }

    static void clickRow(DBGrid* grid, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(grid->viewport(), button, Qt::NoModifier, rowCentre(grid, row));
    }

    static QStringList rows(DBGrid* grid)
    {
        QStringList texts;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            texts << grid->model()->index(row, 0).data().toString();
        return texts;
    }

    static int ident(const catalogue::View& view) { return view.FieldByName("IDENT").AsInteger(); }

    QString detailFilter() const { return QString::fromStdString(form->ClientDataSet4.Filter()); }

    // The panel shows the current unit of the list view.
    void expectShowing(const catalogue::View& view)
    {
        ASSERT_GT(view.RecordCount(), 0);
        EXPECT_EQ(detailFilter(), QStringLiteral("ident = %1").arg(ident(view)));
        EXPECT_TRUE(form->ClientDataSet4.Filtered());
        EXPECT_TRUE(form->DataSource4->Enabled());
        EXPECT_TRUE(form->Label8->isVisibleTo(form.get()));
        EXPECT_EQ(form->ClientDataSet4.RecordCount(), 1);
        EXPECT_EQ(ident(form->ClientDataSet4), ident(view));
        EXPECT_EQ(form->DBMemo1->toPlainText(),
                  ui::fromCp1252(form->ClientDataSet4.FieldByName("COMENTARIO").AsString()));
        EXPECT_FALSE(form->DBMemo1->toPlainText().isEmpty());
    }

    // The panel is blank: title hidden, memo unlinked, value rows empty, no series.
    void expectBlankPanel()
    {
        EXPECT_FALSE(form->DataSource4->Enabled());
        EXPECT_FALSE(form->Label8->isVisibleTo(form.get()));
        EXPECT_TRUE(form->DBMemo1->toPlainText().isEmpty());
        for (int col = 0; col < 6; ++col) {
            EXPECT_TRUE(form->StringGrid1->Cells(col, 1).isEmpty()) << col;
            EXPECT_TRUE(form->StringGrid1->Cells(col, 3).isEmpty()) << col;
        }
        EXPECT_EQ(form->LineSeries, nullptr);
        EXPECT_EQ(form->PointSeries, nullptr);
    }

    void expectHeadings(int municipalities, int entities, int nuclei)
    {
        EXPECT_EQ(form->Label2->text(), QStringLiteral("Municipios (%1)").arg(municipalities));
        EXPECT_EQ(form->Label3->text(), QStringLiteral("Entidades (%1)").arg(entities));
        EXPECT_EQ(form->Label4->text(), QStringLiteral("Núcleos (%1)").arg(nuclei));
        EXPECT_EQ(form->DBGrid2->isEnabled(), municipalities > 0);
        EXPECT_EQ(form->DBGrid3->isEnabled(), entities > 0);
        EXPECT_EQ(form->DBGrid1->isEnabled(), nuclei > 0);
        EXPECT_EQ(form->DBGrid2->model()->rowCount(), municipalities);
        EXPECT_EQ(form->DBGrid3->model()->rowCount(), entities);
        EXPECT_EQ(form->DBGrid1->model()->rowCount(), nuclei);
    }

    std::unique_ptr<TForm1> form;
};

} // namespace mwtest
