#pragma once
// The main window's menu bar and what it reaches beside the main window:
// "Mapa de Aragón", the comparison, the exported list and the printed sheet
// of the unit shown. Each window is made the first time it is asked for, and
// kept (closed, it is only hidden), so that opening it again shows the same;
// the territory table is read then too. Until a command asks, nothing of them
// runs, and the main window starts as it does alone.
#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "territory.h"

class ComparisonWindow;
class MainWindow;
class QAction;
class QMenuBar;

namespace exporting {
class UnitRowBuilder;
}
namespace map {
class MapWindow;
}

class Workspace : public QObject {
    Q_OBJECT
public:
    // Puts the menu bar above `mainWindow`, which must outlive this.
    explicit Workspace(MainWindow& mainWindow);
    ~Workspace() override;

    // "Ver > Mapa", and "Unidad > Ver en el mapa" (the same window, following
    // the unit shown).
    void showMap();
    // "Unidad > Unidades del municipio": the three lists show the
    // municipality of the unit shown, with the historical municipalities
    // whose territory it holds today, its entities and its núcleos.
    void listUnitsOfMunicipality();
    // Shows the municipality of this code in the main window as a click on
    // it in the municipality list would, listing its units first where the
    // list does not hold it (a click on the map).
    void showMunicipality(const QString& code);
    // "Unidad > Añadir a la comparación" and "Ver > Comparación".
    void addToComparison();
    void showComparison();
    // "Archivo > Exportar lista…": the three lists as they stand.
    void exportLists();
    // The comparison's units, from its window.
    void exportComparison();
    // "Archivo > Imprimir ficha…" and "Exportar ficha a PDF…".
    void printSheet();
    void exportSheet();
    // "Unidad > Guardar gráfico…": the panel's chart, as its context menu
    // saves it, for whoever works from the keyboard.
    void saveChart();
    // "Ayuda > Acerca de Población".
    void showAbout();

    // The windows once made; null before.
    map::MapWindow* mapWindow() const { return map_; }
    ComparisonWindow* comparisonWindow() const { return comparison_; }
    QMenuBar* menuBar() const { return menuBar_; }

private:
    void createMenus();
    void shownUnitChanged();
    // The territory table, read the first time it is needed; empty (knowing
    // no municipality) when it cannot be read, which a message says once.
    const catalogue::Territory& territory();
    exporting::UnitRowBuilder rowBuilder();
    // The INE code and display name of the unit shown; nothing while blank
    // or where the catalogue gives no codes.
    std::optional<std::string> shownCode() const;
    QString municipalityNames(const std::vector<std::string>& codes) const;
    void followOnMap();

    MainWindow& main_;
    QMenuBar* menuBar_ = nullptr;
    QList<QAction*> unitActions_; // enabled while a unit is shown
    std::optional<catalogue::Territory> territory_;
    map::MapWindow* map_ = nullptr;
    ComparisonWindow* comparison_ = nullptr;
};
