// The name search: Enter, the search button and "Listar todas"; the search
// box's capitals; accents, "Ñ", spaces, pattern characters and quotes.

#include <QClipboard>
#include <QPushButton>
#include <QToolButton>

#include "mainwindow_helpers.h"

using namespace mwtest;

TEST_F(MainWindowTest, EnterSearchesAndCountsTheHitsOfEachKind)
{
    TForm1& w = open();
    type(w.Edit1, QStringLiteral("peña"));
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("PEÑA"));
    QTest::keyClick(w.Edit1, Qt::Key_Return);
    expectHeadings(1, 1, 1);
    EXPECT_EQ(rows(w.DBGrid2), QStringList{QStringLiteral("Peñalba")});
    EXPECT_EQ(rows(w.DBGrid3), QStringList{QStringLiteral("Peña (La) -- Abay")});
    EXPECT_EQ(rows(w.DBGrid1), QStringList{QStringLiteral("Barrio de la Peña")});
    EXPECT_EQ(w.ClientDataSet1.Filter(), "(tiponum = 2) and (Upper(nombrebusc) like '%PE\xD1" "A%')");
    EXPECT_EQ(w.ClientDataSet2.Filter(), "(tiponum = 3) and (Upper(nombrebusc) like '%PE\xD1" "A%')");
    EXPECT_EQ(w.ClientDataSet3.Filter(), "(tiponum = 4) and (Upper(nombrebusc) like '%PE\xD1" "A%')");
    for (DataSource* source : {w.DataSource1, w.DataSource2, w.DataSource3})
        EXPECT_TRUE(source->Enabled());
    expectBlankPanel();
    // The search moves no focus and keeps the text.
    EXPECT_EQ(focused(), w.Edit1);
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("PEÑA"));
    EXPECT_TRUE(messages().empty());

    // "Ñ" is not folded: PENA finds other names, and no nucleus.
    search(QStringLiteral("PENA"));
    expectHeadings(1, 1, 0);
    EXPECT_EQ(rows(w.DBGrid2), QStringList{QStringLiteral("Peñaflor")});
    EXPECT_EQ(rows(w.DBGrid3), QStringList{QStringLiteral("Pena Alta")});
}

TEST_F(MainWindowTest, TheButtonAndListAllRunTheSameSearch)
{
    TForm1& w = open();
    type(w.Edit1, QStringLiteral("ermita"));
    QTest::mouseClick(w.SpeedButton1, Qt::LeftButton);
    // Only entities: the other lists stay empty and disabled.
    expectHeadings(0, 1, 0);
    EXPECT_EQ(focused(), w.Edit1); // the button takes no focus

    QTest::mouseClick(w.BitBtn3, Qt::LeftButton);
    EXPECT_TRUE(w.Edit1->text().isEmpty());
    expectHeadings(kMunicipalities, kEntities, kNuclei);
    EXPECT_EQ(w.ClientDataSet1.Filter(), "(tiponum = 2) and (Upper(nombrebusc) like '%%')");
    // Lists in name order, showing the display names (a null one empty).
    EXPECT_EQ(rows(w.DBGrid2).mid(0, 5), (QStringList{QStringLiteral("Abay"), QStringLiteral("Cutanda"),
                                                      QStringLiteral("Chalamera"), QStringLiteral("Luzas"),
                                                      QStringLiteral("Lledó")}));
    EXPECT_TRUE(rows(w.DBGrid3).contains(QString()));
    // Every list view stands on its first unit.
    for (catalogue::View* view : {&w.ClientDataSet1, &w.ClientDataSet2, &w.ClientDataSet3})
        EXPECT_EQ(view->RecNo(), 0);
    EXPECT_EQ(w.DBGrid2->currentIndex().row(), 0);
    expectBlankPanel();

    // Enter in the empty box lists every unit as well; Escape searches nothing.
    search(QStringLiteral("ZARAGOZA"));
    expectHeadings(1, 0, 0);
    w.Edit1->clear();
    QTest::keyClick(w.Edit1, Qt::Key_Escape);
    expectHeadings(1, 0, 0);
    QTest::keyClick(w.Edit1, Qt::Key_Enter);
    expectHeadings(kMunicipalities, kEntities, kNuclei);
    EXPECT_TRUE(messages().empty());
}

TEST_F(MainWindowTest, AccentsAreFoldedAndSpacesCount)
{
    TForm1& w = open();
    search(QStringLiteral("san josé"));
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("SAN JOSÉ"));
    EXPECT_EQ(w.ClientDataSet1.Filter(), "(tiponum = 2) and (Upper(nombrebusc) like '%SAN JOSE%')");
    expectHeadings(1, 1, 0);

    // Every accented capital vowel is folded, in place.
    search(QStringLiteral("ÁÉÍÓÚ"));
    EXPECT_EQ(w.ClientDataSet3.Filter(), "(tiponum = 4) and (Upper(nombrebusc) like '%AEIOU%')");
    expectHeadings(0, 0, 0);

    // Without the trailing space SAN also finds Sanjuanes and Santa Ana.
    search(QStringLiteral("SAN"));
    expectHeadings(1, 2, 1);
    search(QStringLiteral("SAN "));
    expectHeadings(1, 1, 0);
    EXPECT_EQ(rows(w.DBGrid3), QStringList{QStringLiteral("San José de Abajo")});
}

TEST_F(MainWindowTest, PatternCharactersKeepTheirMeaningAndQuotesAreSearchedAsTyped)
{
    TForm1& w = open();
    search(QStringLiteral("_"));
    expectHeadings(kMunicipalities, kEntities, kNuclei);
    search(QStringLiteral("A%A"));
    expectHeadings(5, 8, 3);

    // A quote is searched as typed: no error, the unit that has it is found.
    search(QStringLiteral("O'DONNELL"));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(w.ClientDataSet2.Filter(), "(tiponum = 3) and (Upper(nombrebusc) like '%O''DONNELL%')");
    expectHeadings(0, 1, 0);
    EXPECT_EQ(rows(w.DBGrid3), QStringList{QStringLiteral("Casa O'Donnell")});
    search(QStringLiteral("'"));
    expectHeadings(0, 1, 0);
    search(QStringLiteral("X'Y'"));
    EXPECT_TRUE(messages().empty());
    expectHeadings(0, 0, 0);
    expectBlankPanel();
}

TEST_F(MainWindowTest, TheSearchBoxTakesCapitalsOfCodePage1252Only)
{
    TForm1& w = open();
    type(w.Edit1, QStringLiteral("àéñüçÿœ ß1-"));
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("ÀÉÑÜÇŸŒ ß1-"));
    // Characters outside code page 1252 are left out, typed or pasted.
    w.Edit1->clear();
    type(w.Edit1, QStringLiteral("aΩb"));
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("AB"));
    w.Edit1->clear();
    QApplication::clipboard()->setText(QStringLiteral("ñandú€\tЖ«x»"));
    w.Edit1->paste();
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("ÑANDÚ€«X»"));
    EXPECT_EQ(w.Edit1->cursorPosition(), w.Edit1->text().size());
    // The text reaches the filters in code page 1252.
    QTest::keyClick(w.Edit1, Qt::Key_Return);
    EXPECT_EQ(w.ClientDataSet1.Filter(),
              "(tiponum = 2) and (Upper(nombrebusc) like '%\xD1" "ANDU\x80\xAB" "X\xBB%')");
}

TEST_F(MainWindowTest, ASearchBlanksTheShownUnitAgain)
{
    TForm1& w = open();
    search(QStringLiteral("A"));
    const int municipalities = w.ClientDataSet1.RecordCount();
    clickRow(w.DBGrid2, 1);
    expectShowing(w.ClientDataSet1);

    // The same search again: same headings and lists, panel blank, lists
    // back on their first units.
    QTest::keyClick(w.Edit1, Qt::Key_Return);
    EXPECT_EQ(w.ClientDataSet1.RecordCount(), municipalities);
    EXPECT_EQ(w.ClientDataSet1.RecNo(), 0);
    EXPECT_EQ(w.DBGrid2->currentIndex().row(), 0);
    expectBlankPanel();
    // Behind the blank panel the detail view is on the last list's first unit.
    EXPECT_EQ(detailFilter(), QStringLiteral("ident = %1").arg(ident(w.ClientDataSet3)));
}
