#pragma once
// The comparison window: up to ten units side by side, on one chart and in a
// table under it. Not modal, resizable, placed beside the main window when
// first shown. The units are kept while the program runs, and nothing of
// them after.
//
// "Mostrar" chooses Habitantes, Índice or Variación entre censos (%); the
// index's date is the first at which every unit has a figure unless the
// user picks one; "Escala logarítmica" counts for Habitantes. The window
// prints and exports to PDF its chart and table, and saves its chart.

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "comparedunit.h"
#include "comparisonchart.h"

class ComparisonTable;
class QCheckBox;
class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;

class ComparisonWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr std::size_t kMaximumUnits = 10;

    explicit ComparisonWindow(QWidget* parent = nullptr);

    enum class Addition { Added, AlreadyThere, Full };
    // Adds a unit at the end. One already there is not added again: its row
    // becomes current and a message says so. An eleventh is refused with a
    // message. The window is neither shown nor raised.
    Addition addUnit(const ComparedUnit& unit);
    // Removes the unit of a row (nothing outside the rows); the current row
    // stays, or goes to the new last row.
    void removeUnit(int row);
    // Removes every unit.
    void clearUnits();
    // The units held, in the table's order: what "Exportar lista…" writes.
    const std::vector<ComparedUnit>& units() const { return units_; }

    compare::Measure measure() const;
    void setMeasure(compare::Measure measure);
    // The index's date (a position, 0 for 1900); nothing for the first date
    // at which every unit has a figure.
    std::optional<std::size_t> chosenIndexDate() const;
    void setIndexDate(std::optional<std::size_t> date);
    bool logarithmic() const;
    void setLogarithmic(bool on);

    // Shows and raises the window; the first time, beside `mainWindow` (to
    // its right where the screen has room, else to its left, else over it).
    void showBeside(const QWidget* mainWindow);

    ComparisonChart* chart() const { return chart_; }
    ComparisonTable* table() const { return table_; }

    // "Imprimir…": the print dialog, then the page.
    void print();
    // "Exportar a PDF…": the file dialog, a question before replacing, the
    // file written whole or not at all; a failure says why.
    void exportPdf();

    // Tests replace the dialogs: the printer set up (false: cancelled); the
    // PDF's file name (nothing: cancelled).
    void setPrintDialog(std::function<bool(QPrinter&)> dialog) { printDialog_ = std::move(dialog); }
    void setPdfDialog(std::function<std::optional<QString>()> dialog) { pdfDialog_ = std::move(dialog); }

signals:
    // After any addition or removal.
    void unitsChanged();
    // "Exportar lista…" (Ctrl+E): the units held, to a workbook or CSV.
    void listExportRequested();

private:
    void createControls();
    // Shows the units in the chart and the table as the controls ask.
    void refresh();
    void updateIndexDates();

    std::vector<ComparedUnit> units_;
    QComboBox* measure_ = nullptr;
    QLabel* indexDateLabel_ = nullptr;
    QComboBox* indexDate_ = nullptr;
    QCheckBox* logarithmic_ = nullptr;
    ComparisonChart* chart_ = nullptr;
    QLabel* notice_ = nullptr;
    ComparisonTable* table_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* empty_ = nullptr;
    bool placed_ = false;
    std::function<bool(QPrinter&)> printDialog_;
    std::function<std::optional<QString>()> pdfDialog_;
};
