#include "detailpanel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <string>

#include "censustable.h"
#include "copiedtable.h"
#include "cp1252text.h"
#include "error.h"
#include "focusring.h"
#include "layoutstyle.h"
#include "messages.h"
#include "noteview.h"
#include "populationchart.h"
#include "unitkind.h"
#include "unitrows.h"
#include "units.h"

namespace {

// The unit's kind by its TIPONUM.
QString kindWord(const std::string& tiponum)
{
    const std::optional<catalogue::UnitKind> kind = catalogue::unitKindOf(tiponum);
    if (!kind)
        return QStringLiteral("Desconocido");
    switch (*kind) {
    case catalogue::UnitKind::Municipality: return QStringLiteral("Municipio");
    case catalogue::UnitKind::Entity: return QStringLiteral("Entidad");
    case catalogue::UnitKind::Nucleus: return QStringLiteral("Núcleo");
    }
    return QStringLiteral("Desconocido");
}


} // namespace

DetailPanel::DetailPanel(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Sunken);
    detail_.view.afterScroll = [this](catalogue::View&) { fill(); };
    createControls();
    nameForAssistiveTechnology();
}

// Places are the panel's own; the panel stands at (336, 104) in the window.
void DetailPanel::createControls()
{
    title_ = layout::placeLabel(this, "unitTitle", {8, 8, 182, 16}, layout::unitTitleFont(), QString());
    layout::setColours(title_, QPalette::WindowText, layout::kTextMaroon);

    note_ = new NoteView(this);
    note_->setObjectName(QStringLiteral("note"));
    note_->setGeometry(8, 24, 425, 89);
    note_->setFont(layout::textFont());
    note_->setFieldName("COMENTARIO");
    note_->setBinding(&detail_.binding);
    connect(note_, &NoteView::copyRequested, this, [this] { ui::guarded(window(), [this] { copyUnit(); }); });
    layout::setColours(note_, QPalette::Text, layout::kTextMaroon, QPalette::Base, layout::kFieldWhite);

    censusHeading_ = layout::placeLabel(this, "censusHeading", {8, 120, 102, 15}, layout::labelFont(),
                                        QStringLiteral("Población por años"));
    layout::setColours(censusHeading_, QPalette::WindowText, layout::kTextMaroon);

    censusTable_ = new CensusTable(this);
    censusTable_->setObjectName(QStringLiteral("censusTable"));
    censusTable_->setGeometry(8, 137, 425, 103);
    censusTable_->setFont(layout::smallFont());
}

void DetailPanel::makeChart()
{
    if (chart_)
        return;
    chart_ = new PopulationChart(this);
    chart_->setObjectName(QStringLiteral("populationChart"));
    chart_->setGeometry(8, 248, 425, 137);
    chart_->setFocusPolicy(Qt::NoFocus);
    chart_->setAccessibleName(QStringLiteral("Gráfico de población"));
    chart_->show();
}

void DetailPanel::nameForAssistiveTechnology()
{
    setAccessibleName(QStringLiteral("Detalle de la unidad"));
    setAccessibleDescription(QStringLiteral("Datos de la unidad seleccionada"));
    title_->setAccessibleDescription(QStringLiteral("Tipo y nombre de la unidad seleccionada"));
    note_->setAccessibleName(QStringLiteral("Nota"));
    note_->setAccessibleDescription(QStringLiteral("Nota descriptiva de la unidad seleccionada"));
    ui::showFocusRing(note_);
    censusTable_->setAccessibleName(censusHeading_->text());
    censusTable_->setAccessibleDescription(
        QStringLiteral("Población de la unidad seleccionada en cada censo y en el padrón de 2004"));
    censusHeading_->setBuddy(censusTable_);
}

void DetailPanel::showUnit(std::int32_t ident)
{
    makeChart();
    holdUnit(ident);
    detail_.binding.setEnabled(true);
    layout::fitToCaption(title_);
    title_->setVisible(true);
    emit shownUnitChanged();
}

void DetailPanel::holdUnit(std::int32_t ident)
{
    detail_.view.setFilter("ident = " + std::to_string(ident));
    detail_.view.setFiltered(true);
}

void DetailPanel::prepareTitle() { layout::fitToCaption(title_); }

QString DetailPanel::fieldText(std::string_view name) const
{
    return ui::fromCp1252(detail_.view.fieldByName(name).asString());
}

void DetailPanel::fill()
{
    // Census values into the table, as stored; a null value is an empty cell.
    for (int year = 0; year < 12; ++year)
        censusTable_->setValue(year, fieldText(catalogue::kCensusFields[static_cast<std::size_t>(year)]));

    const QString kind = kindWord(detail_.view.fieldByName("tiponum").asString());
    // Fitted to its caption when shown (showUnit): the load fills a blank
    // panel, and measuring the caption there would load its face for nothing.
    title_->setText(kind + QStringLiteral(": ") + fieldText("nombredicc"));

    // The chart plots what the table shows.
    if (chart_)
        chart_->showCensus(censusTable_->census());
    updateAccessibleText();
}

void DetailPanel::blank()
{
    detail_.binding.setEnabled(false);
    title_->setVisible(false);
    censusTable_->clearValues();
    if (chart_)
        chart_->clearCensus();
    updateAccessibleText();
    emit shownUnitChanged();
}

void DetailPanel::closeView()
{
    if (chart_)
        chart_->clearCensus();
    detail_.view.close();
}

void DetailPanel::updateAccessibleText()
{
    censusTable_->announceChangedValues();
    if (chart_)
        chart_->describe(title_->text());
}

std::optional<std::int32_t> DetailPanel::shownUnit() const
{
    if (!noteLinked() || detail_.view.recordCount() == 0)
        return std::nullopt;
    return detail_.view.fieldByName("ident").asInteger();
}

std::unique_ptr<QMimeData> DetailPanel::unitTable() const
{
    if (!shownUnit())
        return nullptr;
    const exporting::UnitRowBuilder builder(detail_.view.table());
    const exporting::UnitRow row = builder.row(detail_.view.currentRecord());
    // The unit's code, where the catalogue has one: it tells apart units of one name.
    const exporting::CopiedTable copied = exporting::copiedTable({&row, 1}, builder.hasCodes());
    auto table = std::make_unique<QMimeData>();
    table->setText(QString::fromStdString(copied.text));
    table->setHtml(QString::fromStdString(copied.html));
    return table;
}

void DetailPanel::copyUnit() const
{
    if (auto table = unitTable())
        QApplication::clipboard()->setMimeData(table.release());
}

void DetailPanel::contextMenuEvent(QContextMenuEvent* event)
{
    if (!censusTable_->geometry().contains(event->pos())) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("Copiar"), this, [this] { copyUnit(); });
    copy->setObjectName(QStringLiteral("copyUnitAction"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(shownUnit().has_value());
    menu.exec(event->globalPos());
    event->accept();
}
