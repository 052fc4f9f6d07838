#include "workspace.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QResource>
#include <array>

#include "chartsaving.h"
#include "comparisonwindow.h"
#include "cp1252.h"
#include "cp1252text.h"
#include "detailpanel.h"
#include "error.h"
#include "listexport.h"
#include "mainwindow.h"
#include "mapfigures.h"
#include "mapwindow.h"
#include "messages.h"
#include "populationchart.h"
#include "unitkind.h"
#include "unitrows.h"
#include "units.h"
#include "unitsheet.h"

namespace {

// A field of a record as stored (code page 1252); empty where the table
// lacks the field.
std::string_view fieldOf(const catalogue::Table& table, std::size_t record, std::string_view name)
{
    const int field = table.fieldIndex(std::string(name));
    return field < 0 ? std::string_view() : table.text(record, static_cast<std::size_t>(field));
}

} // namespace

Workspace::Workspace(MainWindow& mainWindow) : QObject(&mainWindow), main_(mainWindow)
{
    createMenus();
    main_.setMenuBar(menuBar_);
    connect(&main_, &MainWindow::shownUnitChanged, this, [this] { ui::guarded(&main_, [this] { shownUnitChanged(); }); });
    shownUnitChanged();
}

Workspace::~Workspace() = default;

void Workspace::createMenus()
{
    menuBar_ = new QMenuBar;
    menuBar_->setObjectName(QStringLiteral("menuBar"));
    menuBar_->setAccessibleName(QStringLiteral("Menú"));
    const auto command = [this](QMenu* menu, const QString& caption, const QKeySequence& key, auto handler,
                                bool needsUnit = false) {
        QAction* action = menu->addAction(caption);
        if (!key.isEmpty())
            action->setShortcut(key);
        connect(action, &QAction::triggered, this, [this, handler] { ui::guarded(&main_, [&] { (this->*handler)(); }); });
        if (needsUnit)
            unitActions_ << action;
        return action;
    };

    QMenu* file = menuBar_->addMenu(QStringLiteral("&Archivo"));
    command(file, QStringLiteral("&Exportar lista…"), QKeySequence(Qt::CTRL | Qt::Key_E), &Workspace::exportLists);
    command(file, QStringLiteral("&Imprimir ficha…"), QKeySequence(Qt::CTRL | Qt::Key_P), &Workspace::printSheet, true);
    command(file, QStringLiteral("Exportar ficha a &PDF…"), {}, &Workspace::exportSheet, true);
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("&Salir"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, &main_, &QWidget::close);

    QMenu* unit = menuBar_->addMenu(QStringLiteral("&Unidad"));
    // Ctrl+C is the window's and its lists' own (they copy the unit shown as
    // this does); the entry names the key without taking it.
    QAction* copy = unit->addAction(QStringLiteral("&Copiar cifras\tCtrl+C"));
    connect(copy, &QAction::triggered, this, [this] { ui::guarded(&main_, [this] { main_.detailPanel().copyUnit(); }); });
    unitActions_ << copy;
    command(unit, QStringLiteral("Ver en el &mapa"), QKeySequence(Qt::CTRL | Qt::Key_M), &Workspace::showMap, true);
    command(unit, QStringLiteral("&Unidades del municipio"), QKeySequence(Qt::CTRL | Qt::Key_U),
            &Workspace::listUnitsOfMunicipality, true);
    command(unit, QStringLiteral("&Añadir a la comparación"), QKeySequence(Qt::CTRL | Qt::Key_D),
            &Workspace::addToComparison, true);
    command(unit, QStringLiteral("&Guardar gráfico…"), {}, &Workspace::saveChart, true);

    QMenu* view = menuBar_->addMenu(QStringLiteral("&Ver"));
    command(view, QStringLiteral("&Mapa"), {}, &Workspace::showMap);
    command(view, QStringLiteral("&Comparación"), QKeySequence(Qt::CTRL | Qt::Key_K), &Workspace::showComparison);

    QMenu* help = menuBar_->addMenu(QStringLiteral("A&yuda"));
    QAction* helpEntry = help->addAction(QStringLiteral("&Ayuda"));
    helpEntry->setShortcut(QKeySequence(Qt::Key_F1));
    connect(helpEntry, &QAction::triggered, this, [this] { ui::guarded(&main_, [this] { main_.showHelp(); }); });
    command(help, QStringLiteral("Acerca &de Población"), {}, &Workspace::showAbout);
}

void Workspace::shownUnitChanged()
{
    const bool shown = main_.shownRecord().has_value();
    for (QAction* action : unitActions_)
        action->setEnabled(shown);
    followOnMap();
}

const catalogue::Territory& Workspace::territory()
{
    if (!territory_) {
        territory_.emplace();
        const QResource table(QStringLiteral(":/TERRITORIO"));
        try {
            if (!table.isValid())
                throw catalogue::Error("El programa no lleva la tabla del territorio de los municipios.");
            *territory_ = catalogue::Territory::read(
                {reinterpret_cast<const char*>(table.data()), static_cast<std::size_t>(table.size())});
        } catch (const std::exception& e) {
            ui::showMessage(&main_, QStringLiteral("No se ha podido leer la tabla del territorio de los municipios; "
                                                   "sin ella no se conocen las comarcas ni los municipios de hoy.\n")
                                        + QString::fromUtf8(e.what()));
        }
    }
    return *territory_;
}

exporting::UnitRowBuilder Workspace::rowBuilder()
{
    const catalogue::Territory& known = territory();
    return exporting::UnitRowBuilder(main_.catalogue()->table(), [&known](std::string_view code) {
        std::string names;
        for (const catalogue::Comarca& comarca : known.comarcasOf(code))
            names += (names.empty() ? "" : "; ") + catalogue::cp1252::toUtf8(comarca.name);
        return names;
    });
}

std::optional<std::string> Workspace::shownCode() const
{
    const std::optional<std::size_t> record = main_.shownRecord();
    if (!record || !main_.catalogue())
        return std::nullopt;
    const std::string_view code = fieldOf(main_.catalogue()->table(), *record, catalogue::kCodeField);
    if (code.empty())
        return std::nullopt;
    return std::string(code);
}

QString Workspace::municipalityNames(const std::vector<std::string>& codes) const
{
    const catalogue::Table& table = main_.catalogue()->table();
    QStringList names;
    for (const std::string& code : codes)
        for (std::size_t r = 0; r < table.recordCount(); ++r)
            if (fieldOf(table, r, "TIPONUM") == "2" && fieldOf(table, r, catalogue::kCodeField) == code) {
                names << ui::fromCp1252(fieldOf(table, r, "NOMBREDICC"));
                break;
            }
    if (names.size() > 1)
        return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" y ") + names.last();
    return names.value(0);
}

void Workspace::showMap()
{
    if (!map_) {
        if (!main_.catalogue())
            throw catalogue::Error("Sin catálogo no hay cifras que llevar al mapa.");
        map_ = new map::MapWindow(map::figuresFromStore(*main_.catalogue()), &main_);
        connect(map_, &map::MapWindow::municipalityClicked, this,
                [this](const QString& code) { ui::guarded(&main_, [&] { showMunicipality(code); }); });
        followOnMap();
    }
    map_->show();
    map_->raise();
    map_->activateWindow();
}

void Workspace::followOnMap()
{
    if (!map_)
        return;
    const std::optional<std::string> code = shownCode();
    const std::optional<std::size_t> record = main_.shownRecord();
    if (!code || !record) {
        map_->clearUnit();
        return;
    }
    const catalogue::Table& table = main_.catalogue()->table();
    const catalogue::Territory& known = territory();
    map::MapUnit unit;
    unit.code = QString::fromStdString(*code);
    unit.name = ui::fromCp1252(fieldOf(table, *record, "NOMBREMOST"));
    const auto kind = catalogue::unitKindOf(fieldOf(table, *record, "TIPONUM"));
    if (kind == catalogue::UnitKind::Entity)
        unit.kind = map::MapUnit::Kind::Entity;
    else if (kind == catalogue::UnitKind::Nucleus)
        unit.kind = map::MapUnit::Kind::Nucleus;
    else
        unit.kind = known.isHistorical(*code) ? map::MapUnit::Kind::HistoricalMunicipality
                                              : map::MapUnit::Kind::Municipality;
    if (const auto municipality = catalogue::municipalityCodeOf(*code))
        for (const std::string& current : known.currentHolders(*municipality))
            unit.municipalities << QString::fromStdString(current);
    map_->showUnit(unit);
}

void Workspace::listUnitsOfMunicipality()
{
    const std::optional<std::string> code = shownCode();
    if (!code)
        throw catalogue::Error("Este catálogo no da códigos: no puede saber qué unidades son de un municipio.");
    const std::optional<catalogue::MunicipalityUnits> units = territory().unitsOfMunicipality(*code);
    if (!units)
        return;
    main_.listUnits({units->municipalities, units->entities, units->nuclei},
                    QStringLiteral("Unidades de ") + municipalityNames(units->current));
}

void Workspace::showMunicipality(const QString& code)
{
    const std::string ine = code.toStdString();
    if (main_.chooseMunicipality(ine))
        return;
    const std::optional<catalogue::MunicipalityUnits> units = territory().unitsOfMunicipality(ine);
    if (!units)
        return;
    main_.listUnits({units->municipalities, units->entities, units->nuclei},
                    QStringLiteral("Unidades de ") + municipalityNames(units->current));
    main_.chooseMunicipality(ine);
}

void Workspace::addToComparison()
{
    const std::optional<std::size_t> record = main_.shownRecord();
    if (!record)
        return;
    const catalogue::Table& table = main_.catalogue()->table();
    ComparedUnit unit;
    unit.code = ui::fromCp1252(fieldOf(table, *record, catalogue::kCodeField));
    unit.name = ui::fromCp1252(fieldOf(table, *record, "NOMBREMOST"));
    const auto kind = catalogue::unitKindOf(fieldOf(table, *record, "TIPONUM"));
    unit.kind = kind == catalogue::UnitKind::Entity    ? QStringLiteral("Entidad")
                : kind == catalogue::UnitKind::Nucleus ? QStringLiteral("Núcleo")
                                                       : QStringLiteral("Municipio");
    for (std::size_t date = 0; date < unit.values.size(); ++date) {
        const std::string_view value = fieldOf(table, *record, catalogue::kCensusFields[date]);
        unit.values[date] = value.empty() ? QStringLiteral("-") : ui::fromCp1252(value);
    }
    unit.ident = static_cast<std::int32_t>(std::stol(std::string(fieldOf(table, *record, "IDENT"))));
    showComparison();
    comparison_->addUnit(unit);
}

void Workspace::showComparison()
{
    if (!comparison_) {
        comparison_ = new ComparisonWindow(&main_);
        connect(comparison_, &ComparisonWindow::listExportRequested, this,
                [this] { ui::guarded(comparison_, [this] { exportComparison(); }); });
    }
    comparison_->showBeside(&main_);
}

void Workspace::exportLists()
{
    if (!main_.catalogue())
        throw catalogue::Error("No hay catálogo que exportar.");
    const exporting::UnitRowBuilder builder = rowBuilder();
    std::vector<exporting::UnitRow> rows;
    for (const catalogue::View* view : {&main_.municipalityView(), &main_.entityView(), &main_.nucleusView()}) {
        std::vector<exporting::UnitRow> some = builder.rows(*view);
        rows.insert(rows.end(), std::make_move_iterator(some.begin()), std::make_move_iterator(some.end()));
    }
    if (rows.empty())
        throw catalogue::Error("Las listas están vacías: busque o liste unidades antes de exportarlas.");
    exportui::exportListWithDialog(&main_, rows);
}

void Workspace::exportComparison()
{
    if (!comparison_ || comparison_->units().empty())
        throw catalogue::Error("La comparación está vacía: añada unidades antes de exportarla.");
    const catalogue::Table& table = main_.catalogue()->table();
    const int identField = table.fieldIndex("IDENT");
    std::vector<std::size_t> records;
    for (const ComparedUnit& unit : comparison_->units())
        for (std::size_t r = 0; r < table.recordCount(); ++r)
            if (identField >= 0 && table.text(r, static_cast<std::size_t>(identField)) == std::to_string(unit.ident)) {
                records.push_back(r);
                break;
            }
    const exporting::UnitRowBuilder builder = rowBuilder();
    exportui::exportListWithDialog(comparison_, builder.rows(records), QStringLiteral("Comparación"));
}

void Workspace::printSheet()
{
    const std::optional<std::size_t> record = main_.shownRecord();
    if (!record)
        return;
    const exporting::UnitRowBuilder builder = rowBuilder();
    exportui::printUnitSheetWithDialog(&main_, exportui::unitSheetOf(builder, main_.catalogue()->table(), *record));
}

void Workspace::exportSheet()
{
    const std::optional<std::size_t> record = main_.shownRecord();
    if (!record)
        return;
    const exporting::UnitRowBuilder builder = rowBuilder();
    exportui::exportUnitSheetWithDialog(&main_, exportui::unitSheetOf(builder, main_.catalogue()->table(), *record));
}

void Workspace::saveChart()
{
    PopulationChart* chart = main_.detailPanel().chart();
    if (!chart || !main_.shownRecord())
        return;
    charts::saveChart(*chart, &main_, chart->title());
}

void Workspace::showAbout()
{
    QMessageBox::about(
        &main_, QStringLiteral("Acerca de Población"),
        QStringLiteral(
            "<p><b>Población</b> %1</p>"
            "<p>Catálogo de las unidades poblacionales de Aragón (municipios, entidades y núcleos) de 1900 a 2004.</p>"
            "<p>Programa libre bajo la Licencia Pública General de GNU, versión 3 o posterior "
            "(GPL-3.0-or-later).</p>"
            "<p>Datos: series de población de los municipios de IAEST / Aragón Open Data e INE, según las "
            "republica «La casa caída» (CC BY-SA 4.0); municipios históricos: INE, «Alteraciones de los "
            "municipios en los Censos de Población desde 1842», y Goerlich y Ruiz (2018); entidades, núcleos y "
            "comarcas: IAEST, Nomenclátor (Aragón Open Data). El catálogo se distribuye bajo CC BY-SA 4.0.</p>"
            "<p>Límites municipales: obra derivada de BDLJE, CC BY 4.0, ign.es.</p>")
            .arg(QStringLiteral(POBLACION_VERSION)));
}
