// The name search: Enter, the search button and "Listar todas"; the search
// box's capitals; accents, "Ñ", spaces, articles, hyphens, pattern characters
// and quotes.

#include <QClipboard>

#include "mainwindow_helpers.h"

using namespace mwtest;

TEST_F(MainWindowTest, EnterSearchesCountsTheHitsAndBlanksThePanel)
{
    MainWindow& w = open();
    search(QStringLiteral("A"));
    clickRow(municipalityList(), 1);
    expectShowing(w.municipalityView());

    searchBox()->setFocus();
    search(QStringLiteral("PEÑA"));
    expectHeadings(1, 1, 1);
    EXPECT_EQ(rows(municipalityList()), QStringList{QStringLiteral("Peñalba")});
    EXPECT_EQ(rows(entityList()), QStringList{QStringLiteral("Peña (La) -- Abay")});
    EXPECT_EQ(rows(nucleusList()), QStringList{QStringLiteral("Barrio de la Peña")});
    EXPECT_EQ(w.municipalityView().filterText(), "(tiponum = 2) and (Upper(nombrebusc) like '%PE\xD1" "A%')");
    // Lists back on their first units, the panel blank; behind it the detail
    // view is on the last list's first unit. No focus moved, the text kept.
    for (const catalogue::View* view : {&w.municipalityView(), &w.entityView(), &w.nucleusView()})
        EXPECT_EQ(view->recNo(), 0);
    expectBlankPanel();
    EXPECT_EQ(detailFilter(), QStringLiteral("ident = %1").arg(ident(w.nucleusView())));
    EXPECT_EQ(focused(), searchBox());
    EXPECT_EQ(searchBox()->text(), QStringLiteral("PEÑA"));
    EXPECT_TRUE(messages().empty());
}

TEST_F(MainWindowTest, SearchTextsFindTheUnitsThatContainThem)
{
    struct Case {
        const char* text;
        int municipalities, entities, nuclei;
        const char* filter; // of the entity view, in code page 1252; nullptr: not checked
        const char* municipality; // the single one found; nullptr: not checked
        const char* entity;       // the single one found; nullptr: not checked
    };
    const Case cases[] = {
        // "n" finds the names' "ñ" as well; "PEÑA" finds names with "ñ" only (above).
        {"PENA", 2, 2, 1, nullptr, nullptr, nullptr},
        // Accented capital vowels are folded, in place.
        {"san josé", 1, 1, 0,
         "(tiponum = 3) and ((Upper(nombrebusc) like '%SAN JOSE%') or (Upper(Natural(nombrebusc)) like '%SAN JOSE%') "
         "or (Upper(Plain(Natural(nombrebusc))) like '%SAN JOSE%'))",
         nullptr, "San José de Abajo"},
        // Spaces at either end are dropped, runs of spaces taken as one: "SAN " finds Sanjuanes and Santa Ana
        // as "SAN" does.
        {"SAN", 1, 2, 1, nullptr, nullptr, nullptr},
        {"SAN ", 1, 2, 1, nullptr, nullptr, nullptr},
        {"  SAN   JOSÉ ", 1, 1, 0, nullptr, "San José", "San José de Abajo"},
        // The article first, or a hyphen for a space, finds the name as people write it
        // (and Barrio de la Peña as before).
        {"la peña", 0, 1, 1,
         "(tiponum = 3) and ((Upper(nombrebusc) like '%LA PE\xD1" "A%') or "
         "(Upper(Natural(nombrebusc)) like '%LA PE\xD1" "A%'))", nullptr,
         "Peña (La) -- Abay"},
        {"SAN-JOSÉ", 1, 1, 0,
         "(tiponum = 3) and ((Upper(nombrebusc) like '%SAN-JOSE%') or (Upper(Natural(nombrebusc)) like '%SAN JOSE%') "
         "or (Upper(Plain(Natural(nombrebusc))) like '%SAN JOSE%'))",
         "San José", "San José de Abajo"},
        {"PEÑA LA", 0, 0, 0, nullptr, nullptr, nullptr},
        // Pattern characters keep their meaning.
        {"A%A", 5, 8, 3, nullptr, nullptr, nullptr},
        // A quote is searched as typed, doubled in the filter.
        {"O'DONNELL", 0, 1, 0,
         "(tiponum = 3) and ((Upper(nombrebusc) like '%O''DONNELL%') or "
         "(Upper(Plain(Natural(nombrebusc))) like '%O''DONNELL%'))",
         nullptr, "Casa O'Donnell"},
        {"X'Y'", 0, 0, 0, nullptr, nullptr, nullptr},
        // Digits search the names alone where the catalogue gives no codes.
        {"22909", 0, 0, 0, "(tiponum = 3) and (Upper(nombrebusc) like '%22909%')", nullptr, nullptr},
    };
    MainWindow& w = open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        search(QString::fromUtf8(c.text));
        expectHeadings(c.municipalities, c.entities, c.nuclei);
        if (c.filter) {
            EXPECT_EQ(w.entityView().filterText(), c.filter);
        }
        if (c.municipality) {
            EXPECT_EQ(rows(municipalityList()), QStringList{QString::fromUtf8(c.municipality)});
        }
        if (c.entity) {
            EXPECT_EQ(rows(entityList()), QStringList{QString::fromUtf8(c.entity)});
        }
        expectBlankPanel();
    }
    expectNoMessages();
}

TEST_F(MainWindowTest, TheButtonEmptyBoxAndListAllRunTheSameSearch)
{
    MainWindow& w = open();
    type(searchBox(), QStringLiteral("ermita"));
    QTest::mouseClick(searchButton(), Qt::LeftButton);
    expectHeadings(0, 1, 0); // only entities: the other lists stay empty and disabled
    EXPECT_EQ(focused(), searchBox()); // the button takes no focus

    listAll();
    EXPECT_TRUE(searchBox()->text().isEmpty());
    expectHeadings(kMunicipalities, kEntities, kNuclei);
    EXPECT_EQ(w.municipalityView().filterText(), "(tiponum = 2) and (Upper(nombrebusc) like '%%')");
    // Lists in name order, showing the display names (a null one empty).
    EXPECT_EQ(rows(municipalityList()).mid(0, 5), (QStringList{QStringLiteral("Abay"), QStringLiteral("Cutanda"),
                                                      QStringLiteral("Chalamera"), QStringLiteral("Luzas"),
                                                      QStringLiteral("Lledó")}));
    EXPECT_TRUE(rows(entityList()).contains(QString()));
    expectBlankPanel();

    // Enter in the empty box lists every unit as well; Escape searches nothing.
    search(QStringLiteral("ZARAGOZA"));
    expectHeadings(1, 0, 0);
    searchBox()->clear();
    QTest::keyClick(searchBox(), Qt::Key_Escape);
    expectHeadings(1, 0, 0);
    QTest::keyClick(searchBox(), Qt::Key_Enter);
    expectHeadings(kMunicipalities, kEntities, kNuclei);
    EXPECT_TRUE(messages().empty());
}

TEST_F(MainWindowTest, TheSearchBoxTakesCapitalsOfCodePage1252Only)
{
    MainWindow& w = open();
    type(searchBox(), QStringLiteral("àéñüçÿœ ß1-"));
    EXPECT_EQ(searchBox()->text(), QStringLiteral("ÀÉÑÜÇŸŒ ß1-"));
    // Characters outside code page 1252 are left out.
    searchBox()->clear();
    QApplication::clipboard()->setText(QStringLiteral("ñandú€\tЖ«x»"));
    searchBox()->paste();
    EXPECT_EQ(searchBox()->text(), QStringLiteral("ÑANDÚ€«X»"));
    EXPECT_EQ(searchBox()->cursorPosition(), searchBox()->text().size());
    // The text reaches the filters in code page 1252.
    QTest::keyClick(searchBox(), Qt::Key_Return);
    EXPECT_EQ(w.municipalityView().filterText(),
              "(tiponum = 2) and ((Upper(nombrebusc) like '%\xD1" "ANDU\x80\xAB" "X\xBB%') or "
              "(Upper(Plain(Natural(nombrebusc))) like '%\xD1" "ANDU\x80\xAB" "X\xBB%'))");
}
