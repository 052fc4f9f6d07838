#pragma once
// Shared fixture of the main window tests: the window on a test catalogue, a
// recorder for message boxes, real key and mouse input, its controls found by
// their roles, and the checks of the lists and the detail panel.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <qcustomplot.h>
#include <stdexcept>
#include <vector>

#include "cataloguefile.h"
#include "censustable.h"
#include "detailpanel.h"
#include "mainwindow.h"
#include "messages.h"
#include "noteview.h"
#include "populationchart.h"
#include "searchbox.h"
#include "unitlist.h"

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
        window.reset();
        ui::setMessageSink(nullptr);
    }

    // Creates the window over the catalogue read from `packet` (why it
    // could not be read kept in readFailure), not shown.
    MainWindow& make(const QString& packet = QStringLiteral(TEST_PACKET_DIR "/window.pkt"))
    {
        window.reset();
        const CatalogueRead read = readCatalogue(packet);
        readFailure = read.failure;
        window = std::make_unique<MainWindow>(read.store);
        return *window;
    }
    // Creates the window and shows it (showWindow).
    MainWindow& open(const QString& packet = QStringLiteral(TEST_PACKET_DIR "/window.pkt"))
    {
        make(packet);
        return showWindow();
    }
    // Shows the window and waits until it is the active window and has
    // done, after its first paint, what start-up left until then.
    MainWindow& showWindow()
    {
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->startupFinished(); }));
        return *window;
    }

    // A control of the window by its name (a test fails, not the program,
    // when there is none).
    template <class Control = QWidget>
    Control* control(const char* name) const
    {
        auto* found = window->findChild<Control*>(QLatin1String(name));
        if (!found)
            throw std::runtime_error(std::string("no control ") + name);
        return found;
    }
    SearchBox* searchBox() const { return control<SearchBox>("searchBox"); }
    QToolButton* searchButton() const { return control<QToolButton>("searchButton"); }
    QLabel* instructions() const { return control<QLabel>("instructions"); }
    QLabel* municipalityHeading() const { return control<QLabel>("municipalityHeading"); }
    QLabel* entityHeading() const { return control<QLabel>("entityHeading"); }
    QLabel* nucleusHeading() const { return control<QLabel>("nucleusHeading"); }
    UnitList* municipalityList() const { return control<UnitList>("municipalityList"); }
    UnitList* entityList() const { return control<UnitList>("entityList"); }
    UnitList* nucleusList() const { return control<UnitList>("nucleusList"); }
    QPushButton* listAllButton() const { return control<QPushButton>("listAllButton"); }
    QPushButton* helpButton() const { return control<QPushButton>("helpButton"); }
    QPushButton* exitButton() const { return control<QPushButton>("exitButton"); }
    DetailPanel& panel() const { return window->detailPanel(); }
    QLabel* unitTitle() const { return control<QLabel>("unitTitle"); }
    NoteView* note() const { return control<NoteView>("note"); }
    CensusTable* censusTable() const { return control<CensusTable>("censusTable"); }
    PopulationChart* chart() const { return control<PopulationChart>("populationChart"); }

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
        searchBox()->clear();
        type(searchBox(), text);
        QTest::keyClick(searchBox(), Qt::Key_Return);
    }
    void listAll() { QTest::mouseClick(listAllButton(), Qt::LeftButton); }

    static void clickRow(UnitList* list, int row, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(list->viewport(), button, Qt::NoModifier, list->visualRect(list->model()->index(row, 0)).center());
    }

    static QStringList rows(UnitList* list)
    {
        QStringList texts;
        for (int row = 0; row < list->model()->rowCount(); ++row)
            texts << list->model()->index(row, 0).data().toString();
        return texts;
    }

    static int ident(const catalogue::View& view) { return view.fieldByName("IDENT").asInteger(); }
    QString detailFilter() const { return QString::fromStdString(panel().view().filterText()); }

    // The two value rows of the census table, left to right.
    QStringList valueRows() const
    {
        QStringList cells;
        for (int row : {1, 3})
            for (int col = 0; col < 6; ++col)
                cells << censusTable()->cell(col, row);
        return cells;
    }

    // The panel shows the current unit of the list view.
    void expectShowing(const catalogue::View& view)
    {
        ASSERT_GT(view.recordCount(), 0);
        EXPECT_EQ(detailFilter(), QStringLiteral("ident = %1").arg(ident(view)));
        EXPECT_TRUE(panel().noteLinked());
        EXPECT_TRUE(unitTitle()->isVisibleTo(window.get()));
        EXPECT_EQ(ident(panel().view()), ident(view));
        // Every note of window.csv names its unit: "…, unidad poblacional de prueba número 20004, …".
        EXPECT_TRUE(note()->toPlainText().contains(QStringLiteral("número %1,").arg(ident(view))))
            << note()->toPlainText().toStdString();
    }

    // The panel is blank: title hidden, note unlinked, value rows empty, no series.
    void expectBlankPanel()
    {
        EXPECT_FALSE(panel().noteLinked());
        EXPECT_FALSE(unitTitle()->isVisibleTo(window.get()));
        EXPECT_TRUE(note()->toPlainText().isEmpty());
        EXPECT_EQ(valueRows(), QStringList(12, QString()));
        EXPECT_EQ(chart()->lineSeries(), nullptr);
        EXPECT_EQ(chart()->pointSeries(), nullptr);
        EXPECT_EQ(chart()->graphCount(), 0);
    }

    void expectHeadings(int municipalities, int entities, int nuclei)
    {
        EXPECT_EQ(municipalityHeading()->text(), QStringLiteral("Municipios (%1)").arg(municipalities));
        EXPECT_EQ(entityHeading()->text(), QStringLiteral("Entidades (%1)").arg(entities));
        EXPECT_EQ(nucleusHeading()->text(), QStringLiteral("Núcleos (%1)").arg(nuclei));
        for (auto [list, count] : {std::pair{municipalityList(), municipalities}, {entityList(), entities}, {nucleusList(), nuclei}}) {
            EXPECT_EQ(list->isEnabled(), count > 0) << list->objectName().toStdString();
            EXPECT_EQ(list->model()->rowCount(), count) << list->objectName().toStdString();
        }
    }

    static void expectNoMessages()
    {
        for (const Message& message : messages())
            ADD_FAILURE() << "message shown: " << message.text.toStdString();
    }

    std::unique_ptr<MainWindow> window;
    QString readFailure;
};

} // namespace mwtest
