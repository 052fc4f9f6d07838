#include "censustable.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QHash>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <string>

#include "error.h"
#include "layoutstyle.h"
#include "numbers.h"

namespace {

// Rows 0 and 2 hold the years.
bool isYearRow(int row) { return row == 0 || row == 2; }

// Where the value of a year (0 to 11) stands.
int valueColumn(int year) { return year % CensusTable::kColumns; }
int valueRow(int year) { return year < CensusTable::kColumns ? 1 : 3; }

// The value of a value cell: -1 when missing ("-", with or without blanks)
// or when the cell holds no whole number. The dots between thousands are
// passed over; any character outside ASCII is no digit, so UTF-8 serves.
std::int32_t censusValue(const QString& cell)
{
    return catalogue::parseInteger(cell.toStdString(), catalogue::Dots::Ignored).value_or(-1);
}

// How a value cell is read: a "-" is "sin dato"; any other text as shown.
QString spokenValue(const QString& cell)
{
    return cell.trimmed() == QLatin1String("-") ? QStringLiteral("sin dato") : cell;
}

// The table's rows come in pairs, the years above their values. It is read as
// one row of cells, one for each year, each with its year as column header.
// As item views do, the children are the column headers first, then the
// cells: twelve years and twelve values for the census.

class CellInterface : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    CellInterface(CensusTable* table, int column, bool header) : table_(table), column_(column), header_(header) {}

    bool isValid() const override { return table_; }
    QObject* object() const override { return nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(table_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return header_ ? QAccessible::ColumnHeader : QAccessible::Cell; }

    QString text(QAccessible::Text t) const override
    {
        if (!table_ || t != QAccessible::Name)
            return {};
        const QPoint cell = tableCell();
        const QString shown = table_->cell(cell.x(), cell.y());
        return header_ ? shown : spokenValue(shown);
    }

    QRect rect() const override
    {
        if (!table_)
            return {};
        const QPoint cell = tableCell();
        const QRect r = table_->cellRect(cell.x(), cell.y());
        return {table_->mapToGlobal(r.topLeft()), r.size()};
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        if (!table_ || !table_->isVisible())
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

    const CensusTable* censusTable() const { return table_; }
    int column() const { return column_; }
    bool header() const { return header_; }

private:
    // The table cell shown: the year in the upper row of its pair, the value below.
    QPoint tableCell() const
    {
        return {valueColumn(column_), valueRow(column_) - (header_ ? 1 : 0)};
    }

    QPointer<CensusTable> table_;
    int column_;
    bool header_;
};

class TableInterface : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit TableInterface(CensusTable* table) : QAccessibleWidget(table, QAccessible::Table) {}
    ~TableInterface() override
    {
        for (QAccessible::Id id : std::as_const(ids_))
            QAccessible::deleteAccessibleInterface(id);
    }

    CensusTable* censusTable() const { return static_cast<CensusTable*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // The table is disabled only so that it takes no clicks: what it shows is
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
            auto* cell = new CellInterface(censusTable(), index % columns, index < columns);
            it = ids_.insert(index, QAccessible::registerAccessibleInterface(cell));
        }
        return QAccessible::accessibleInterface(*it);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto* cell = dynamic_cast<const CellInterface*>(child);
        if (!cell || cell->censusTable() != censusTable())
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
    int columnCount() const override { return CensusTable::kColumns * (CensusTable::kRows / 2); }
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

QList<QAccessibleInterface*> CellInterface::columnHeaderCells() const
{
    QAccessibleInterface* table = parent();
    QAccessibleInterface* header = !header_ && table ? table->child(column_) : nullptr;
    return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
}

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("CensusTable") && object && object->isWidgetType())
        return new TableInterface(static_cast<CensusTable*>(object));
    return nullptr;
}

// Installed before any window is made, so that no plain interface is cached
// for a table first.
[[maybe_unused]] const bool kFactoryInstalled = (QAccessible::installFactory(&factory), true);

} // namespace

CensusTable::CensusTable(QWidget* parent) : QWidget(parent), cells_(kColumns * kRows)
{
    setFocusPolicy(Qt::NoFocus);
    setEnabled(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Beyond its cells the table shows the colour of tool tips.
    QPalette colours = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        colours.setColor(group, QPalette::Window, QApplication::palette().color(QPalette::ToolTipBase));
    setPalette(colours);
    static const char* const kYears[12] = {"1900", "1910", "1920", "1930", "1940", "1950",
                                           "1960", "1970", "1981", "1991", "2001", "2004"};
    for (int year = 0; year < 12; ++year)
        setCell(valueColumn(year), valueRow(year) - 1, QLatin1String(kYears[year]));
}

bool CensusTable::contains(int column, int row) const
{
    return column >= 0 && column < kColumns && row >= 0 && row < kRows;
}

QString CensusTable::cell(int column, int row) const
{
    return contains(column, row) ? cells_[row * kColumns + column] : QString();
}

void CensusTable::setCell(int column, int row, const QString& text)
{
    if (!contains(column, row))
        return;
    QString& cell = cells_[row * kColumns + column];
    if (cell == text)
        return;
    cell = text;
    update(cellRect(column, row));
}

QString CensusTable::value(int year) const { return cell(valueColumn(year), valueRow(year)); }

void CensusTable::setValue(int year, const QString& text) { setCell(valueColumn(year), valueRow(year), text); }

void CensusTable::clearValues()
{
    for (int year = 0; year < 12; ++year)
        setValue(year, QString());
}

Census CensusTable::census() const
{
    Census census;
    for (int year = 0; year < 12; ++year) {
        CensusPoint& point = census.points[static_cast<std::size_t>(year)];
        point.value = censusValue(value(year));
        if (point.value != -1 && point.value > census.largest)
            census.largest = point.value;
        point.label = cell(valueColumn(year), valueRow(year) - 1);
    }
    return census;
}

QRect CensusTable::cellRect(int column, int row) const
{
    if (!contains(column, row))
        return {};
    const int width = columnWidth();
    return {kFrameWidth + column * (width + kGridLineWidth), kFrameWidth + row * (kRowHeight + kGridLineWidth), width,
            kRowHeight};
}

QSize CensusTable::sizeHint() const
{
    return {2 * kFrameWidth + kColumns * (columnWidth() + kGridLineWidth),
            2 * kFrameWidth + kRows * (kRowHeight + kGridLineWidth)};
}

void CensusTable::announceChangedValues()
{
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(this);
    if (!table || !table->tableInterface())
        return;
    QStringList now;
    const int columns = table->tableInterface()->columnCount();
    for (int column = 0; column < columns; ++column) {
        QAccessibleInterface* cell = table->tableInterface()->cellAt(0, column);
        now << (cell ? cell->text(QAccessible::Name) : QString());
        if (QAccessible::isActive() && spokenValues_.value(column) != now.back()) {
            QAccessibleEvent event(this, QAccessible::NameChanged);
            event.setChild(table->indexOfChild(cell));
            QAccessible::updateAccessibility(&event);
        }
    }
    spokenValues_ = now;
}

void CensusTable::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, palette().color(QPalette::Window));

    // Grid lines: one after every column and every row.
    const int width = columnWidth();
    const int gridWidth = kColumns * (width + kGridLineWidth);
    const int gridHeight = kRows * (kRowHeight + kGridLineWidth);
    for (int column = 0; column < kColumns; ++column) {
        const int x = kFrameWidth + column * (width + kGridLineWidth) + width;
        painter.fillRect(QRect(x, kFrameWidth, kGridLineWidth, gridHeight), layout::kGridLineGrey);
    }
    for (int row = 0; row < kRows; ++row) {
        const int y = kFrameWidth + row * (kRowHeight + kGridLineWidth) + kRowHeight;
        painter.fillRect(QRect(kFrameWidth, y, gridWidth, kGridLineWidth), layout::kGridLineGrey);
    }

    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const QRect rect = cellRect(column, row);
            if (!rect.intersects(area))
                continue;
            painter.save();
            paintCell(painter, column, row, rect);
            painter.restore();
        }
    }

    // The frame, drawn last so that no text running over the edge covers it.
    painter.setPen(layout::kTableFrameGrey);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// The row's fill over the whole cell, then its text. Every cell sets its full style.
void CensusTable::paintCell(QPainter& painter, int column, int row, const QRect& rect) const
{
    const bool year = isYearRow(row);
    painter.setBrush(year ? layout::kCensusYearPink : layout::kFieldWhite);
    painter.setFont(year ? layout::censusYearFont() : layout::censusValueFont());
    painter.setPen(year ? layout::kTextMaroon : layout::kFigureBlack);

    painter.fillRect(rect, painter.brush());
    const QString text = cell(column, row);
    if (text.isEmpty())
        return;
    const QRect textRect = rect.adjusted(2, 0, 0, 0);
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, text);
}
