#include "accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFrame>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <qcustomplot.h>

#include "chart.h"
#include "dbgrid.h"
#include "dbmemo.h"
#include "focusring.h"
#include "searchedit.h"
#include "stringgrid.h"
#include "tform1.h"

namespace {

// --- The census table -------------------------------------------------------
// The grid's rows come in pairs, the years above their values. It is read as
// one row of cells, one for each year, each with its year as column header.
// As item views do, the children are the column headers first, then the
// cells: twelve years and twelve values for the census.

class CensusCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    CensusCell(StringGrid* grid, int column, bool header) : grid_(grid), column_(column), header_(header) {}

    bool isValid() const override { return grid_; }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(grid_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return header_ ? QAccessible::ColumnHeader : QAccessible::Cell; }

    QString text(QAccessible::Text t) const override
    {
        if (!grid_ || t != QAccessible::Name)
            return {};
        const QPoint cell = gridCell();
        const QString shown = grid_->Cells(cell.x(), cell.y());
        return header_ ? shown : a11y::spokenCensusValue(shown);
    }

    QRect rect() const override
    {
        if (!grid_)
            return {};
        const QPoint cell = gridCell();
        const QRect r = grid_->CellRect(cell.x(), cell.y());
        return {grid_->mapToGlobal(r.topLeft()), r.size()};
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        if (!grid_ || !grid_->isVisible())
            s.invisible = true;
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::TableCellInterface && !header_ ? static_cast<QAccessibleTableCellInterface*>(this)
                                                                 : nullptr;
    }

    // One row of cells; the header of a cell is its year.
    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return 0; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    const StringGrid* grid() const { return grid_; }
    int column() const { return column_; }
    bool header() const { return header_; }

private:
    // The grid cell shown: the year in the upper row of its pair, the value below.
    QPoint gridCell() const
    {
        const int columns = grid_->ColCount();
        const int pair = columns > 0 ? column_ / columns : 0;
        return {columns > 0 ? column_ % columns : 0, 2 * pair + (header_ ? 0 : 1)};
    }

    QPointer<StringGrid> grid_;
    int column_;
    bool header_;
};

class CensusTable : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit CensusTable(StringGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~CensusTable() override
    {
        for (QAccessible::Id id : std::as_const(ids_))
            QAccessible::deleteAccessibleInterface(id);
    }

    StringGrid* grid() const { return static_cast<StringGrid*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // The grid is disabled only so that it takes no clicks: what it shows is
    // there to be read.
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.disabled = false;
        s.readOnly = true;
        return s;
    }

    int childCount() const override { return 2 * columnCount(); }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        auto it = ids_.constFind(index);
        if (it == ids_.constEnd()) {
            const int columns = columnCount();
            auto* cell = new CensusCell(grid(), index % columns, index < columns);
            it = ids_.insert(index, QAccessible::registerAccessibleInterface(cell));
        }
        return QAccessible::accessibleInterface(*it);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* cell = dynamic_cast<const CensusCell*>(child);
        if (!cell || cell->grid() != grid())
            return -1;
        return cell->column() + (cell->header() ? 0 : columnCount());
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            QAccessibleInterface* cell = child(i);
            if (cell && cell->rect().contains(x, y))
                return cell;
        }
        return nullptr;
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override
    {
        return row == 0 && column >= 0 && column < columnCount() ? child(columnCount() + column) : nullptr;
    }
    int columnCount() const override { return grid()->ColCount() * (grid()->RowCount() / 2); }
    int rowCount() const override { return 1; }
    QString columnDescription(int column) const override
    {
        QAccessibleInterface* header = column >= 0 && column < columnCount() ? child(column) : nullptr;
        return header ? header->text(QAccessible::Name) : QString();
    }
    QString rowDescription(int) const override { return {}; }
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    mutable QHash<int, QAccessible::Id> ids_;
};

QList<QAccessibleInterface*> CensusCell::columnHeaderCells() const
{
    QAccessibleInterface* table = parent();
    QAccessibleInterface* header = !header_ && table ? table->child(column_) : nullptr;
    return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
}

// --- The chart ----------------------------------------------------------------
// A chart is read through its text alternative, kept as its description.

class ChartText : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ChartText(QWidget* plot) : QAccessibleWidget(plot, QAccessible::Chart) {}

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString content() const { return widget()->accessibleDescription(); }

    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        return content().mid(startOffset, endOffset < 0 ? -1 : endOffset - startOffset);
    }
    using QAccessibleWidget::text;
    int characterCount() const override { return static_cast<int>(content().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("StringGrid"))
        return new CensusTable(static_cast<StringGrid*>(object));
    if (className == QLatin1String("QCustomPlot"))
        return new ChartText(static_cast<QWidget*>(object));
    // The main window is a window to assistive technology, not a pane.
    if (className == QLatin1String("TForm1"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

// Installed before any window is made, so that no plain interface is cached
// for a grid or a chart first.
[[maybe_unused]] const bool kFactoryInstalled = (QAccessible::installFactory(&factory), true);

void name(QWidget* widget, const QString& name, const QString& description)
{
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
}

const char* const kSpokenCells = "poblacionSpokenCells";

// Announces the census cells whose reading changed since the last time.
void announceCells(StringGrid& grid)
{
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&grid);
    if (!table || !table->tableInterface())
        return;
    const QStringList before = grid.property(kSpokenCells).toStringList();
    QStringList now;
    const int columns = table->tableInterface()->columnCount();
    for (int column = 0; column < columns; ++column) {
        QAccessibleInterface* cell = table->tableInterface()->cellAt(0, column);
        now << (cell ? cell->text(QAccessible::Name) : QString());
        if (QAccessible::isActive() && before.value(column) != now.back()) {
            QAccessibleEvent event(&grid, QAccessible::NameChanged);
            event.setChild(table->indexOfChild(cell));
            QAccessible::updateAccessibility(&event);
        }
    }
    grid.setProperty(kSpokenCells, now);
}

void describeChart(QCustomPlot& plot, const QString& text)
{
    const QString before = plot.accessibleDescription();
    if (before == text)
        return;
    plot.setAccessibleDescription(text);
    QAccessibleTextUpdateEvent event(&plot, 0, before, text);
    QAccessible::updateAccessibility(&event);
}

} // namespace

namespace a11y {

QIcon buttonImage(const QString& image, const QString& image2x)
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/images/") + image);
    icon.addFile(QStringLiteral(":/images/") + image2x);
    return icon;
}

QString spokenCensusValue(const QString& cell)
{
    return cell.trimmed() == QLatin1String("-") ? QStringLiteral("sin dato") : cell;
}

QString chartText(const QString& title, const chart::Census& census, double axisLower, double axisUpper)
{
    QStringList years;
    for (const chart::CensusPoint& point : census.points)
        years << point.label + QStringLiteral(": ")
                     + (point.value < 0 ? QStringLiteral("sin dato") : chart::formatNumber(point.value));
    return QStringLiteral("%1. Población por años: %2. Valor mayor: %3. Eje de población de %4 a %5.")
        .arg(title, years.join(QStringLiteral("; ")), chart::formatNumber(census.largest),
             chart::formatNumber(axisLower), chart::formatNumber(axisUpper));
}

void setUp(TForm1& form)
{
    name(form.Edit1, QStringLiteral("Población"), form.Label7->text());
    form.Label1->setBuddy(form.Edit1);
    name(form.SpeedButton1, QStringLiteral("Buscar"), QStringLiteral("Buscar una cadena de texto"));
    name(form.DBGrid2, form.Label2->text(), QStringLiteral("Municipios hallados por la búsqueda"));
    name(form.DBGrid3, form.Label3->text(), QStringLiteral("Entidades de población halladas por la búsqueda"));
    name(form.DBGrid1, form.Label4->text(), QStringLiteral("Núcleos de población hallados por la búsqueda"));
    form.Label2->setBuddy(form.DBGrid2);
    form.Label3->setBuddy(form.DBGrid3);
    form.Label4->setBuddy(form.DBGrid1);
    name(form.Bevel1, QStringLiteral("Detalle de la unidad"), QStringLiteral("Datos de la unidad seleccionada"));
    form.Label8->setAccessibleDescription(QStringLiteral("Tipo y nombre de la unidad seleccionada"));
    name(form.DBMemo1, QStringLiteral("Nota"), QStringLiteral("Nota descriptiva de la unidad seleccionada"));
    ui::showFocusRing(form.DBMemo1);
    name(form.StringGrid1, form.Label5->text(),
         QStringLiteral("Población de la unidad seleccionada en cada censo y en el padrón de 2004"));
    form.Label5->setBuddy(form.StringGrid1);
    form.Chart1->setAccessibleName(QStringLiteral("Gráfico de población"));
    name(form.BitBtn3, QStringLiteral("Listar todas las unidades poblacionales"),
         QStringLiteral("Muestra en las listas todas las unidades del catálogo"));
    name(form.BitBtn1, QStringLiteral("Ayuda"), QStringLiteral("Abre la ventana de ayuda"));
    name(form.BitBtn2, QStringLiteral("Salir"), QStringLiteral("Cierra el catálogo"));
}

void panelChanged(TForm1& form)
{
    const std::pair<DBGrid*, QLabel*> lists[] = {
        {form.DBGrid2, form.Label2}, {form.DBGrid3, form.Label3}, {form.DBGrid1, form.Label4}};
    for (auto [list, heading] : lists)
        if (list->accessibleName() != heading->text())
            list->setAccessibleName(heading->text());

    announceCells(*form.StringGrid1);

    QString text;
    if (form.LineSeries) {
        const QCPRange range = form.Chart1->yAxis->range();
        text = chartText(form.Label8->text(), chart::readCensus(*form.StringGrid1), range.lower, range.upper);
    }
    describeChart(*form.Chart1, text);
}

} // namespace a11y
