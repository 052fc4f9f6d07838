#include "comparisonwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

#include "accessiblewindow.h"
#include "chartmenu.h"
#include "chartsaving.h"
#include "comparisonprint.h"
#include "comparisontable.h"
#include "messages.h"
#include "modaldialog.h"

namespace series = catalogue::series;
using compare::Measure;

namespace {

[[maybe_unused]] const bool kReadAsWindow = ui::readAsWindow("ComparisonWindow");

const QString kPdfFilter = QStringLiteral("Documento PDF (*.pdf)");

std::optional<QString> askPdfName(QWidget* parent)
{
    QFileDialog dialog(parent, QStringLiteral("Exportar a PDF"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kPdfFilter});
    dialog.selectFile(QStringLiteral("comparacion.pdf"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (ui::execModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    QString name = dialog.selectedFiles().front();
    if (QFileInfo(name).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) != 0)
        name += QStringLiteral(".pdf");
    return name;
}


} // namespace

ComparisonWindow::ComparisonWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("COMPARACIÓN"));
    setAccessibleName(QStringLiteral("Comparación"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    createControls();
    refresh();
}

void ComparisonWindow::createControls()
{
    auto* measureLabel = new QLabel(QStringLiteral("&Mostrar:"), this);
    measure_ = new QComboBox(this);
    for (Measure measure : {Measure::Population, Measure::Index, Measure::Change})
        measure_->addItem(compare::measureName(measure), static_cast<int>(measure));
    measureLabel->setBuddy(measure_);
    measure_->setAccessibleName(QStringLiteral("Mostrar"));

    indexDateLabel_ = new QLabel(QStringLiteral("&Fecha del índice:"), this);
    indexDate_ = new QComboBox(this);
    indexDate_->addItem(QStringLiteral("Primera fecha común"), -1);
    for (std::size_t date = 0; date < series::kDates; ++date)
        indexDate_->addItem(QString::number(series::kYears[date]), static_cast<int>(date));
    indexDateLabel_->setBuddy(indexDate_);
    indexDate_->setAccessibleName(QStringLiteral("Fecha del índice"));
    indexDate_->setAccessibleDescription(QStringLiteral("La fecha cuya cifra vale 100 en el índice"));

    logarithmic_ = new QCheckBox(QStringLiteral("Escala &logarítmica"), this);

    chart_ = new ComparisonChart(this);
    chart_->setMinimumSize(480, 240);
    // Reached with Tab, so that a screen reader reads its values and the
    // menu key opens its menu.
    chart_->setFocusPolicy(Qt::StrongFocus);
    charts::addChartMenu(chart_, [] { return QStringLiteral("comparacion"); });

    notice_ = new QLabel(this);
    notice_->setWordWrap(true);
    notice_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    table_ = new ComparisonTable(this);

    remove_ = new QPushButton(QStringLiteral("&Quitar"), this);
    remove_->setAccessibleDescription(QStringLiteral("Quita de la comparación la unidad de la fila actual (Supr en la tabla)"));
    empty_ = new QPushButton(QStringLiteral("&Vaciar"), this);
    empty_->setAccessibleDescription(QStringLiteral("Quita de la comparación todas las unidades"));
    auto* save = new QPushButton(QStringLiteral("&Guardar gráfico…"), this);
    auto* print = new QPushButton(QStringLiteral("&Imprimir…"), this);
    auto* pdf = new QPushButton(QStringLiteral("&Exportar a PDF…"), this);
    auto* list = new QPushButton(QStringLiteral("Exportar &lista…"), this);
    list->setToolTip(QStringLiteral("Las unidades de la comparación, como libro de Excel o CSV (Ctrl+E)"));
    list->setAccessibleDescription(list->toolTip());
    auto* listKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(listKey, &QShortcut::activated, list, &QPushButton::click);
    connect(list, &QPushButton::clicked, this, &ComparisonWindow::listExportRequested);
    auto* close = new QPushButton(QStringLiteral("&Cerrar"), this);

    auto* controls = new QHBoxLayout;
    controls->addWidget(measureLabel);
    controls->addWidget(measure_);
    controls->addSpacing(12);
    controls->addWidget(indexDateLabel_);
    controls->addWidget(indexDate_);
    controls->addSpacing(12);
    controls->addWidget(logarithmic_);
    controls->addStretch();

    auto* chartBox = new QWidget(this);
    auto* chartLayout = new QVBoxLayout(chartBox);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->addWidget(chart_, 1);
    chartLayout->addWidget(notice_);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(chartBox);
    splitter->addWidget(table_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setChildrenCollapsible(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(remove_);
    buttons->addWidget(empty_);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(print);
    buttons->addWidget(pdf);
    buttons->addWidget(list);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    setTabOrder(measure_, indexDate_);
    setTabOrder(indexDate_, logarithmic_);
    setTabOrder(logarithmic_, chart_);
    setTabOrder(chart_, table_);
    setTabOrder(table_, remove_);

    connect(measure_, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(indexDate_, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(logarithmic_, &QCheckBox::toggled, this, [this] { refresh(); });
    connect(table_, &ComparisonTable::removeRequested, this, [this](int row) { removeUnit(row); });
    connect(table_, &ComparisonTable::clearRequested, this, [this] { clearUnits(); });
    connect(remove_, &QPushButton::clicked, this, [this] { removeUnit(table_->currentRow()); });
    connect(empty_, &QPushButton::clicked, this, [this] { clearUnits(); });
    connect(save, &QPushButton::clicked, this,
            [this] { ui::guarded(this, [&] { charts::saveChart(*chart_, this, QStringLiteral("comparacion")); }); });
    connect(print, &QPushButton::clicked, this, [this] { ui::guarded(this, [&] { this->print(); }); });
    connect(pdf, &QPushButton::clicked, this, [this] { ui::guarded(this, [&] { exportPdf(); }); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    resize(900, 640);
}

ComparisonWindow::Addition ComparisonWindow::addUnit(const ComparedUnit& unit)
{
    for (std::size_t place = 0; place < units_.size(); ++place) {
        if (units_[place].sameUnitAs(unit)) {
            table_->setCurrentCell(static_cast<int>(place), 1);
            ui::showMessage(this, QStringLiteral("«%1» ya está en la comparación.").arg(unit.name));
            return Addition::AlreadyThere;
        }
    }
    if (units_.size() >= kMaximumUnits) {
        ui::showMessage(this, QStringLiteral("La comparación ya tiene %1 unidades, las que caben: quite una para "
                                             "añadir «%2».")
                                  .arg(kMaximumUnits)
                                  .arg(unit.name));
        return Addition::Full;
    }
    units_.push_back(unit);
    refresh();
    table_->setCurrentCell(static_cast<int>(units_.size()) - 1, 1);
    emit unitsChanged();
    return Addition::Added;
}

void ComparisonWindow::removeUnit(int row)
{
    if (row < 0 || row >= static_cast<int>(units_.size()))
        return;
    units_.erase(units_.begin() + row);
    refresh();
    emit unitsChanged();
}

void ComparisonWindow::clearUnits()
{
    if (units_.empty())
        return;
    units_.clear();
    refresh();
    emit unitsChanged();
}

Measure ComparisonWindow::measure() const { return static_cast<Measure>(measure_->currentData().toInt()); }

void ComparisonWindow::setMeasure(Measure measure) { measure_->setCurrentIndex(measure_->findData(static_cast<int>(measure))); }

std::optional<std::size_t> ComparisonWindow::chosenIndexDate() const
{
    const int date = indexDate_->currentData().toInt();
    return date < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(date));
}

void ComparisonWindow::setIndexDate(std::optional<std::size_t> date)
{
    indexDate_->setCurrentIndex(date ? static_cast<int>(*date) + 1 : 0);
}

bool ComparisonWindow::logarithmic() const { return logarithmic_->isChecked(); }

void ComparisonWindow::setLogarithmic(bool on) { logarithmic_->setChecked(on); }

void ComparisonWindow::updateIndexDates()
{
    std::vector<series::Figures> figures;
    for (const ComparedUnit& unit : units_)
        figures.push_back(unit.figures());
    const std::optional<std::size_t> common = series::firstCommonDate(figures);
    indexDate_->setItemText(0, common ? QStringLiteral("Primera fecha común (%1)").arg(series::kYears[*common])
                                      : QStringLiteral("Primera fecha común"));
}

void ComparisonWindow::refresh()
{
    const Measure shown = measure();
    const bool index = shown == Measure::Index;
    indexDateLabel_->setEnabled(index);
    indexDate_->setEnabled(index);
    logarithmic_->setEnabled(shown == Measure::Population);
    updateIndexDates();
    chart_->showUnits(units_, shown, chosenIndexDate(), logarithmic());
    table_->showUnits(units_);
    notice_->setText(chart_->notice());
    notice_->setVisible(!chart_->notice().isEmpty());
    remove_->setEnabled(!units_.empty());
    empty_->setEnabled(!units_.empty());
}

void ComparisonWindow::showBeside(const QWidget* mainWindow)
{
    if (!placed_ && mainWindow) {
        placed_ = true;
        const QRect main = mainWindow->frameGeometry();
        const QScreen* screen = mainWindow->screen();
        const QRect room = screen ? screen->availableGeometry() : QRect();
        QPoint at(main.right() + 1, main.top());
        if (room.isValid() && at.x() + width() > room.right()) {
            at.setX(main.left() - frameGeometry().width());
            if (at.x() < room.left())
                at.setX(std::max(room.left(), room.right() - frameGeometry().width()));
        }
        move(at);
    }
    show();
    raise();
    activateWindow();
}

void ComparisonWindow::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    printer.setDocName(QStringLiteral("Comparación de unidades de población"));
    if (printDialog_) {
        if (!printDialog_(printer))
            return;
    } else {
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(QStringLiteral("Imprimir la comparación"));
        if (ui::execModal(dialog) != QDialog::Accepted)
            return;
    }
    if (!compare::paintComparison(printer, *chart_, units_))
        ui::showErrorReport(this, QStringLiteral("No se ha podido imprimir la comparación: la impresora no la acepta"));
}

void ComparisonWindow::exportPdf()
{
    QString fileName;
    for (;;) {
        const std::optional<QString> chosen = pdfDialog_ ? pdfDialog_() : askPdfName(this);
        if (!chosen || chosen->isEmpty())
            return;
        fileName = *chosen;
        const QFileInfo existing(fileName);
        // The test hook answers the question itself by the name it gives.
        if (!existing.exists() || existing.isDir() || pdfDialog_ || ui::askReplace(this, fileName))
            break;
    }
    if (const std::optional<QString> error = compare::writeComparisonPdf(fileName, *chart_, units_))
        ui::showErrorReport(this, *error);
}
