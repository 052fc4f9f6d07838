#pragma once
// Shared fixture of the main window tests: the window on a test catalogue, a
// recorder for message boxes, real key and mouse input, and the checks of the
// lists and the detail panel.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <qcustomplot.h>
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
    QString caption, text;
    bool error = false;
};

inline std::vector<Message>& messages()
{
    static std::vector<Message> recorded;
    return recorded;
}

// window.csv: municipalities in name order Abay, Cutanda, Chalamera, Luzas,
// Lledo, Penaflor, Peñalba, San Jose, Zaragoza.
inline constexpr int kMunicipalities = 9;
inline constexpr int kEntities = 18;
inline constexpr int kNuclei = 3;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        messages().clear();
        ui::setMessageSink([](const QString& caption, const QString& text, bool error) {
            messages().push_back({caption, text, error});
        });
    }
    void TearDown() override
    {
        form.reset();
        ui::setMessageSink(nullptr);
    }

    // Creates the window, shows it and waits until it is the active window.
    TForm1& open(const QString& packet = QStringLiteral(TEST_PACKET_DIR "/window.pkt"))
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
        ASSERT_NE(focused(), nullptr);
        QTest::sendKeyEvent(QTest::Press, focused(), key, QString(), modifiers);
        ASSERT_NE(focused(), nullptr);
        QTest::sendKeyEvent(QTest::Release, focused(), key, QString(), modifiers);
    }
    void tab() { press(Qt::Key_Tab); }

    // Types text into a control character by character, accents included.
    static void type(QWidget* widget, const QString& text)
    {
        for (QChar ch : text) {
            const auto key = ch.isLetterOrNumber() && ch.unicode() < 0x80 ? static_cast<Qt::Key>(ch.toUpper().unicode())
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
    void listAll() { QTest::mouseClick(form->BitBtn3, Qt::LeftButton); }

    static void clickRow(DBGrid* grid, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(grid->viewport(), button, Qt::NoModifier, grid->visualRect(grid->model()->index(row, 0)).center());
    }

    static QStringList rows(DBGrid* grid)
    {
        QStringList texts;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            texts << grid->model()->index(row, 0).data().toString();
        return texts;
    }

    static int ident(const catalogue::View& view) { return view.fieldByName("IDENT").asInteger(); }
    QString detailFilter() const { return QString::fromStdString(form->ClientDataSet4.filterText()); }

    // The two value rows of the census table, left to right.
    QStringList valueRows() const
    {
        QStringList cells;
        for (int row : {1, 3})
            for (int col = 0; col < 6; ++col)
                cells << form->StringGrid1->Cells(col, row);
        return cells;
    }

    // The panel shows the current unit of the list view.
    void expectShowing(const catalogue::View& view)
    {
        ASSERT_GT(view.recordCount(), 0);
        EXPECT_EQ(detailFilter(), QStringLiteral("ident = %1").arg(ident(view)));
        EXPECT_TRUE(form->DataSource4->Enabled());
        EXPECT_TRUE(form->Label8->isVisibleTo(form.get()));
        EXPECT_EQ(ident(form->ClientDataSet4), ident(view));
        // Every note of window.csv names its unit: "…, unidad poblacional de prueba número 20004, …".
        EXPECT_TRUE(form->DBMemo1->toPlainText().contains(QStringLiteral("número %1,").arg(ident(view))))
            << form->DBMemo1->toPlainText().toStdString();
    }

    // The panel is blank: title hidden, memo unlinked, value rows empty, no series.
    void expectBlankPanel()
    {
        EXPECT_FALSE(form->DataSource4->Enabled());
        EXPECT_FALSE(form->Label8->isVisibleTo(form.get()));
        EXPECT_TRUE(form->DBMemo1->toPlainText().isEmpty());
        EXPECT_EQ(valueRows(), QStringList(12, QString()));
        EXPECT_EQ(form->LineSeries, nullptr);
        EXPECT_EQ(form->PointSeries, nullptr);
        EXPECT_EQ(form->Chart1->graphCount(), 0);
    }

    void expectHeadings(int municipalities, int entities, int nuclei)
    {
        EXPECT_EQ(form->Label2->text(), QStringLiteral("Municipios (%1)").arg(municipalities));
        EXPECT_EQ(form->Label3->text(), QStringLiteral("Entidades (%1)").arg(entities));
        EXPECT_EQ(form->Label4->text(), QStringLiteral("Núcleos (%1)").arg(nuclei));
        for (auto [grid, count] : {std::pair{form->DBGrid2, municipalities}, {form->DBGrid3, entities}, {form->DBGrid1, nuclei}}) {
            EXPECT_EQ(grid->isEnabled(), count > 0) << grid->objectName().toStdString();
            EXPECT_EQ(grid->model()->rowCount(), count) << grid->objectName().toStdString();
        }
    }

    static void expectNoMessages()
    {
        for (const Message& message : messages())
            ADD_FAILURE() << "message shown: " << message.text.toStdString();
    }

    std::unique_ptr<TForm1> form;
};

} // namespace mwtest
