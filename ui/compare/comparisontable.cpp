#include "comparisontable.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include "numbers.h"

namespace series = catalogue::series;

ComparisonTable::ComparisonTable(QWidget* parent) : QTableWidget(0, kColumns, parent)
{
    setAccessibleName(QStringLiteral("Unidades de la comparación"));
    setAccessibleDescription(QStringLiteral("Una fila por unidad. Supr quita la unidad de la fila actual; "
                                            "el menú contextual también vacía la comparación."));
    setHorizontalHeaderLabels(headerTexts());
    horizontalHeaderItem(kLargestColumn)->setToolTip(QStringLiteral("La mayor cifra de la unidad"));
    horizontalHeaderItem(kLargestYearColumn)->setToolTip(QStringLiteral("El año de su mayor cifra"));
    horizontalHeaderItem(kChangeColumn)
        ->setToolTip(QStringLiteral("La variación de su primera cifra a la última, en por ciento"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    horizontalHeader()->setSectionResizeMode(1, QHeaderView::Interactive);
    setWordWrap(false);
}

QStringList ComparisonTable::headerTexts()
{
    QStringList headers = {QStringLiteral("Código"), QStringLiteral("Unidad"), QStringLiteral("Tipo")};
    for (int year : series::kYears)
        headers << QString::number(year);
    headers << QStringLiteral("Mayor cifra") << QStringLiteral("Año") << QStringLiteral("Variación");
    return headers;
}

QStringList ComparisonTable::rowTexts(const ComparedUnit& unit)
{
    QStringList texts = {unit.code, unit.name, unit.kind};
    for (const QString& value : unit.values)
        texts << value;
    const series::Figures figures = unit.figures();
    if (const auto top = series::largest(figures))
        texts << QString::fromStdString(catalogue::formatInteger(top->value))
              << QString::number(series::kYears[top->date]);
    else
        texts << QStringLiteral("-") << QStringLiteral("-");
    if (const auto change = series::firstToLastChange(figures)) {
        const QString number = QString::fromStdString(catalogue::formatDecimal(*change, 1));
        texts << (*change > 0 && number != u"0" ? QStringLiteral("+") : QString()) + number + QStringLiteral(" %");
    } else {
        texts << QStringLiteral("-");
    }
    return texts;
}

void ComparisonTable::showUnits(const std::vector<ComparedUnit>& units)
{
    const int current = currentRow();
    setRowCount(static_cast<int>(units.size()));
    for (int row = 0; row < rowCount(); ++row) {
        const QStringList texts = rowTexts(units[static_cast<std::size_t>(row)]);
        for (int column = 0; column < kColumns; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            if (column >= kFirstYearColumn && column != kLargestYearColumn)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            // A screen reader says what "-" means.
            if (texts[column] == u"-")
                item->setData(Qt::AccessibleTextRole, QStringLiteral("sin dato"));
            setItem(row, column, item);
        }
    }
    if (rowCount() > 0)
        setCurrentCell(std::clamp(current, 0, rowCount() - 1), 1);
}

void ComparisonTable::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        if (currentRow() >= 0)
            emit removeRequested(currentRow());
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void ComparisonTable::contextMenuEvent(QContextMenuEvent* event)
{
    int row = currentRow();
    if (event->reason() == QContextMenuEvent::Mouse) {
        row = rowAt(viewport()->mapFrom(this, event->pos()).y());
        if (row >= 0)
            setCurrentCell(row, std::max(0, currentColumn()));
    }
    QMenu menu(this);
    QAction* remove = menu.addAction(QStringLiteral("Quitar de la comparación"));
    remove->setShortcut(QKeySequence(Qt::Key_Delete));
    remove->setEnabled(row >= 0);
    QAction* empty = menu.addAction(QStringLiteral("Vaciar la comparación"));
    empty->setEnabled(rowCount() > 0);
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == remove)
        emit removeRequested(row);
    else if (chosen == empty)
        emit clearRequested();
}
