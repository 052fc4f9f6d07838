#include "mapwindow.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QSplitter>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "accessiblewindow.h"
#include "cp1252text.h"
#include "mapcanvas.h"
#include "mapdata.h"
#include "mapscene.h"
#include "territory.h"

namespace {

[[maybe_unused]] const bool kReadAsWindow = ui::readAsWindow("map::MapWindow");

} // namespace

namespace map {

// The legend beside the map, painted as in the saved picture.
class MapLegend : public QWidget {
public:
    explicit MapLegend(QWidget* parent) : QWidget(parent) {}
    void setColours(const ColouredMap* colours)
    {
        colours_ = colours;
        setFixedWidth(static_cast<int>(MapScene::legendWidth(font(), *colours)) + 12);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!colours_)
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        MapScene::paintLegend(painter, QRectF(rect()).adjusted(6, 6, -6, -6), *colours_);
    }

private:
    const ColouredMap* colours_ = nullptr;
};

MapWindow::MapWindow(MunicipalFigures figures, QWidget* parent, const QString& mapResource)
    : QWidget(parent, Qt::Window), figures_(std::move(figures))
{
    setObjectName(QStringLiteral("mapWindow"));
    setWindowTitle(QStringLiteral("Mapa de Aragón"));
    colouring_.kind = Colouring::Kind::Change;
    loadMap(mapResource);
    createControls();
    if (scene_) {
        recolour();
        describeUnit();
    }
    resize(1100, 760);
}

MapWindow::~MapWindow() = default;

void MapWindow::loadMap(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("No se puede dibujar el mapa: no se encuentra el mapa.");
        return;
    }
    const QByteArray bytes = file.readAll();
    try {
        auto map = std::make_unique<geo::MapData>(geo::MapData::read(std::string_view(bytes.constData(), bytes.size())));
        if (map->municipalityCount() == 0)
            throw geo::MapFormatError("el mapa no tiene ningún municipio");
        map_ = std::move(map);
        scene_ = std::make_unique<MapScene>(*map_);
    } catch (const geo::MapFormatError& e) {
        error_ = QStringLiteral("No se puede dibujar el mapa: %1.").arg(QString::fromUtf8(e.what()));
    }
}

QString MapWindow::errorText() const
{
    return error_;
}

void MapWindow::createControls()
{
    auto* layout = new QVBoxLayout(this);
    auto* controls = new QHBoxLayout;
    layout->addLayout(controls);

    auto* measureLabel = new QLabel(QStringLiteral("Colorear &por:"), this);
    measureBox_ = new QComboBox(this);
    measureBox_->setObjectName(QStringLiteral("colouringBox"));
    measureBox_->addItems({QStringLiteral("Nada"), QStringLiteral("Población"),
                           QStringLiteral("Variación de la población (%)")});
    measureLabel->setBuddy(measureBox_);
    measureBox_->setAccessibleName(QStringLiteral("Colorear por"));
    measureBox_->setAccessibleDescription(QStringLiteral("Colorear por"));
    auto* dateLabel = new QLabel(QStringLiteral("&Año:"), this);
    dateBox_ = new QComboBox(this);
    dateBox_->setObjectName(QStringLiteral("dateBox"));
    dateBox_->addItems(censusDates());
    dateBox_->setCurrentIndex(colouring_.date);
    dateLabel->setBuddy(dateBox_);
    dateBox_->setAccessibleName(QStringLiteral("Año de la población"));
    dateBox_->setAccessibleDescription(QStringLiteral("Año de la población"));
    auto* fromLabel = new QLabel(QStringLiteral("&De:"), this);
    fromBox_ = new QComboBox(this);
    fromBox_->setObjectName(QStringLiteral("fromBox"));
    fromBox_->addItems(censusDates());
    fromBox_->setCurrentIndex(colouring_.from);
    fromLabel->setBuddy(fromBox_);
    fromBox_->setAccessibleName(QStringLiteral("Variación desde el año"));
    fromBox_->setAccessibleDescription(QStringLiteral("Variación desde el año"));
    auto* toLabel = new QLabel(QStringLiteral("&a:"), this);
    toBox_ = new QComboBox(this);
    toBox_->setObjectName(QStringLiteral("toBox"));
    toBox_->addItems(censusDates());
    toBox_->setCurrentIndex(colouring_.to);
    toLabel->setBuddy(toBox_);
    toBox_->setAccessibleName(QStringLiteral("Variación hasta el año"));
    toBox_->setAccessibleDescription(QStringLiteral("Variación hasta el año"));
    comarcaBox_ = new QCheckBox(QStringLiteral("Por &comarcas"), this);
    comarcaBox_->setObjectName(QStringLiteral("comarcaBox"));
    saveButton_ = new QPushButton(QStringLiteral("&Guardar imagen…"), this);
    printButton_ = new QPushButton(QStringLiteral("&Imprimir…"), this);
    saveButton_->setObjectName(QStringLiteral("saveButton"));
    printButton_->setObjectName(QStringLiteral("printButton"));
    for (QWidget* w : std::initializer_list<QWidget*>{measureLabel, measureBox_, dateLabel, dateBox_, fromLabel,
                                                      fromBox_, toLabel, toBox_, comarcaBox_})
        controls->addWidget(w);
    controls->addStretch(1);
    controls->addWidget(saveButton_);
    controls->addWidget(printButton_);

    if (!scene_) {
        errorLabel_ = new QLabel(error_, this);
        errorLabel_->setObjectName(QStringLiteral("mapError"));
        errorLabel_->setAlignment(Qt::AlignCenter);
        errorLabel_->setWordWrap(true);
        errorLabel_->setFocusPolicy(Qt::StrongFocus);
        errorLabel_->setAccessibleName(error_);
        layout->addWidget(errorLabel_, 1);
        for (QWidget* w : std::initializer_list<QWidget*>{measureBox_, dateBox_, fromBox_, toBox_, comarcaBox_,
                                                          saveButton_, printButton_})
            w->setEnabled(false);
        return;
    }

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    auto* mapPart = new QWidget(splitter);
    auto* mapLayout = new QVBoxLayout(mapPart);
    mapLayout->setContentsMargins(0, 0, 0, 0);
    auto* mapRow = new QHBoxLayout;
    canvas_ = new MapCanvas(*scene_, mapPart);
    canvas_->setObjectName(QStringLiteral("mapCanvas"));
    canvas_->describeArea = [this](int area) { return describeArea(area); };
    legend_ = new MapLegend(mapPart);
    legend_->setObjectName(QStringLiteral("mapLegend"));
    mapRow->addWidget(canvas_, 1);
    mapRow->addWidget(legend_);
    mapLayout->addLayout(mapRow, 1);
    caption_ = new QLabel(mapPart);
    caption_->setObjectName(QStringLiteral("mapCaption"));
    caption_->setWordWrap(true);
    caption_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mapLayout->addWidget(caption_);
    auto* attribution = new QLabel(kAttribution, mapPart);
    attribution->setObjectName(QStringLiteral("mapAttribution"));
    QFont small = attribution->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    attribution->setFont(small);
    mapLayout->addWidget(attribution);

    table_ = new QTableWidget(splitter);
    table_->setObjectName(QStringLiteral("mapTable"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setAlternatingRowColors(false);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    splitter->addWidget(mapPart);
    splitter->addWidget(table_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({700, 380});
    layout->addWidget(splitter, 1);

    connect(measureBox_, &QComboBox::currentIndexChanged, this, &MapWindow::colouringChosen);
    connect(dateBox_, &QComboBox::currentIndexChanged, this, &MapWindow::colouringChosen);
    connect(fromBox_, &QComboBox::currentIndexChanged, this, &MapWindow::colouringChosen);
    connect(toBox_, &QComboBox::currentIndexChanged, this, &MapWindow::colouringChosen);
    connect(comarcaBox_, &QCheckBox::toggled, this, &MapWindow::colouringChosen);
    connect(saveButton_, &QPushButton::clicked, this, &MapWindow::savePictureAs);
    connect(printButton_, &QPushButton::clicked, this, &MapWindow::printPicture);
    connect(canvas_, &MapCanvas::areaClicked, this, [this](int area) {
        if (map_->areas()[area].kind == geo::AreaKind::Municipality)
            emit municipalityClicked(QString::fromStdString(map_->areas()[area].code));
    });
    connect(table_, &QTableWidget::cellClicked, this, [this](int row, int) { tableRowActivated(row); });
    connect(table_, &QTableWidget::cellActivated, this, [this](int row, int) { tableRowActivated(row); });
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    copy->setContext(Qt::WindowShortcut);
    connect(copy, &QShortcut::activated, this, &MapWindow::copyPicture);

    measureBox_->blockSignals(true);
    measureBox_->setCurrentIndex(static_cast<int>(colouring_.kind));
    measureBox_->blockSignals(false);
    setTabOrder(measureBox_, dateBox_);
    setTabOrder(dateBox_, fromBox_);
    setTabOrder(fromBox_, toBox_);
    setTabOrder(toBox_, comarcaBox_);
    setTabOrder(comarcaBox_, saveButton_);
    setTabOrder(saveButton_, printButton_);
    setTabOrder(printButton_, canvas_);
    setTabOrder(canvas_, table_);
}

void MapWindow::colouringChosen()
{
    Colouring c;
    c.kind = static_cast<Colouring::Kind>(measureBox_->currentIndex());
    c.date = dateBox_->currentIndex();
    c.from = fromBox_->currentIndex();
    c.to = toBox_->currentIndex();
    c.byComarca = comarcaBox_->isChecked();
    setColouring(c);
}

void MapWindow::setColouring(const Colouring& colouring)
{
    colouring_ = colouring;
    if (!scene_)
        return;
    for (QWidget* w : std::initializer_list<QWidget*>{measureBox_, dateBox_, fromBox_, toBox_, comarcaBox_})
        w->blockSignals(true);
    measureBox_->setCurrentIndex(static_cast<int>(colouring.kind));
    dateBox_->setCurrentIndex(colouring.date);
    fromBox_->setCurrentIndex(colouring.from);
    toBox_->setCurrentIndex(colouring.to);
    comarcaBox_->setChecked(colouring.byComarca);
    for (QWidget* w : std::initializer_list<QWidget*>{measureBox_, dateBox_, fromBox_, toBox_, comarcaBox_})
        w->blockSignals(false);
    recolour();
}

void MapWindow::recolour()
{
    dateBox_->setEnabled(colouring_.kind == Colouring::Kind::Population);
    fromBox_->setEnabled(colouring_.kind == Colouring::Kind::Change);
    toBox_->setEnabled(colouring_.kind == Colouring::Kind::Change);
    comarcaBox_->setEnabled(colouring_.kind != Colouring::Kind::None);
    auto colours = std::make_unique<ColouredMap>(*map_, figures_, colouring_);
    canvas_->setColours(colours.get());
    legend_->setColours(colours.get());
    colours_ = std::move(colours);
    canvas_->setAccessibleName(QStringLiteral("Mapa de Aragón: %1").arg(colouring_.describe()));
    fillTable();
    Highlight h = canvas_->highlight();
    h.comarca = -1;
    canvas_->setHighlight(h);
}

void MapWindow::fillTable()
{
    const bool comarcas = colouring_.byComarca && colouring_.kind != Colouring::Kind::None;
    const auto& rows = colours_->rows();
    table_->clear();
    table_->setColumnCount(comarcas ? 2 : 3);
    QStringList headings;
    headings << (comarcas ? QStringLiteral("Comarca") : QStringLiteral("Municipio")) << colouring_.valueHeading();
    if (!comarcas)
        headings << QStringLiteral("Comarca");
    table_->setHorizontalHeaderLabels(headings);
    table_->setRowCount(static_cast<int>(rows.size()));
    const bool coloured = colouring_.kind != Colouring::Kind::None;
    const QStringList labels = colours_->legendLabels();
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& row = rows[r];
        auto* name = new QTableWidgetItem(row.name);
        if (coloured) {
            QPixmap swatch(14, 14);
            swatch.fill(row.cls >= 0 ? colours_->classColour(row.cls) : QColor(0xe0, 0xe0, 0xe0));
            name->setIcon(QIcon(swatch));
            name->setData(Qt::AccessibleDescriptionRole,
                          row.cls >= 0 ? QStringLiteral("clase %1").arg(labels.value(row.cls))
                                       : QStringLiteral("sin dato"));
        }
        name->setData(Qt::UserRole, row.code);
        name->setData(Qt::UserRole + 1, row.comarcaIndex);
        table_->setItem(r, 0, name);
        auto* value = new QTableWidgetItem(row.value ? colours_->formatValue(*row.value) : QStringLiteral("sin dato"));
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table_->setItem(r, 1, value);
        if (!comarcas)
            table_->setItem(r, 2, new QTableWidgetItem(row.comarca));
    }
    table_->resizeColumnToContents(0);
    table_->setColumnWidth(0, std::min(table_->columnWidth(0), table_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 26));
    table_->resizeColumnToContents(1);
    table_->setAccessibleName(comarcas ? QStringLiteral("Comarcas por %1").arg(colouring_.describe())
                              : coloured ? QStringLiteral("Municipios por %1").arg(colouring_.describe())
                                         : QStringLiteral("Municipios"));
    table_->setAccessibleDescription(QStringLiteral("De mayor a menor; una fila se muestra en la ventana principal con Intro"));
}

void MapWindow::tableRowActivated(int row)
{
    const QTableWidgetItem* item = table_->item(row, 0);
    if (!item)
        return;
    const QString code = item->data(Qt::UserRole).toString();
    if (!code.isEmpty()) {
        emit municipalityClicked(code);
        return;
    }
    Highlight h = canvas_->highlight();
    h.comarca = item->data(Qt::UserRole + 1).toInt();
    canvas_->setHighlight(h);
}

QString MapWindow::describeArea(int area) const
{
    const geo::Area& a = map_->areas()[area];
    if (a.kind == geo::AreaKind::SharedTerritory)
        return QStringLiteral("Territorio compartido");
    const auto f = figures_.find(a.code);
    QString text = f == figures_.end() ? QString::fromStdString(a.code) : ui::fromCp1252(f->second.name);
    if (a.comarca >= 0)
        text += QStringLiteral("\nComarca: %1").arg(ui::fromCp1252(map_->comarcas()[a.comarca].name));
    const auto value = colours_->valueOf(area);
    text += QStringLiteral("\n%1: %2").arg(colouring_.byComarca && colouring_.kind != Colouring::Kind::None
                                               ? colouring_.valueHeading() + QStringLiteral(" (comarca)")
                                               : colouring_.valueHeading(),
                                           value ? colours_->formatValue(*value) : QStringLiteral("sin dato"));
    return text;
}

void MapWindow::showUnit(const MapUnit& unit)
{
    unit_ = unit;
    describeUnit();
}

void MapWindow::clearUnit()
{
    unit_.reset();
    describeUnit();
}

QString MapWindow::caption() const
{
    return caption_ ? caption_->text() : error_;
}

void MapWindow::describeUnit()
{
    if (!scene_)
        return;
    Highlight h = canvas_->highlight();
    h.areas.clear();
    h.historical = false;
    h.label.clear();
    QString title = QStringLiteral("Mapa de Aragón");
    QString text;
    if (!unit_) {
        text = QStringLiteral("Ninguna unidad mostrada en la ventana principal.");
    } else {
        QStringList names, places;
        for (const QString& code : unit_->municipalities) {
            const int a = map_->areaOf(code.toStdString());
            if (a < 0 || map_->areas()[a].kind != geo::AreaKind::Municipality)
                continue;
            h.areas.insert(a);
            const auto f = figures_.find(code.toStdString());
            const QString name = f == figures_.end() ? code : ui::fromCp1252(f->second.name);
            names << name;
            const geo::Area& area = map_->areas()[a];
            const QString comarca = area.comarca >= 0
                ? ui::fromCp1252(catalogue::comarcaTitle(map_->comarcas()[area.comarca].name))
                : QString();
            QString place = comarca.isEmpty() ? QString() : comarca + QStringLiteral(", ");
            place += QStringLiteral("provincia de %1").arg(provinceName(area.province));
            places << (unit_->municipalities.size() > 1 ? QStringLiteral("%1 (%2)").arg(name, place) : place);
        }
        title += QStringLiteral(" — %1").arg(unit_->name);
        const QString where = places.join(QStringLiteral("; "));
        if (h.areas.empty()) {
            text = QStringLiteral("%1: este mapa no tiene el municipio de esta unidad.").arg(unit_->name);
        } else {
            switch (unit_->kind) {
            case MapUnit::Kind::Municipality:
                text = QStringLiteral("%1: municipio de la %2.").arg(unit_->name, where);
                break;
            case MapUnit::Kind::HistoricalMunicipality:
                h.historical = true;
                h.label = QStringLiteral("Hoy, territorio de %1").arg(unit_->name);
                // One municipality: "…, comarca de X, provincia de Y"; more: each with its own.
                text = QStringLiteral("%1 (municipio histórico): su territorio está hoy en %2%3 %4.")
                           .arg(unit_->name, names.join(QStringLiteral(" y ")),
                                names.size() > 1 ? QStringLiteral(":") : QStringLiteral(","), where);
                break;
            case MapUnit::Kind::Entity:
            case MapUnit::Kind::Nucleus:
                h.label = unit_->name;
                text = QStringLiteral("%1 (%2), en el municipio de %3, %4.")
                           .arg(unit_->name,
                                unit_->kind == MapUnit::Kind::Entity ? QStringLiteral("entidad de población")
                                                                     : QStringLiteral("núcleo"),
                                names.join(QStringLiteral(" y ")), where);
                break;
            }
        }
    }
    setWindowTitle(title);
    caption_->setText(text);
    canvas_->setAccessibleDescription(text);
    canvas_->setHighlight(h);
}

QFont MapWindow::pictureFont() const
{
    // In pixels, which the picture's layout is measured in on every device
    // (a printer's or an SVG file's points are other than the screen's).
    QFont f = font();
    f.setPixelSize(QFontInfo(font()).pixelSize());
    return f;
}

QString MapWindow::pictureTitle() const
{
    QString title = QStringLiteral("Aragón: %1").arg(colouring_.describe());
    if (colouring_.kind == Colouring::Kind::None)
        title = QStringLiteral("Aragón");
    if (unit_)
        title += QStringLiteral(" — %1").arg(unit_->name);
    return title;
}

void MapWindow::paintPicture(QPainter& painter, const QRectF& page) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    scene_->paintPicture(painter, page, pictureTitle(), canvas_->view(), QSizeF(canvas_->size()), *colours_,
                         canvas_->highlight());
}

QImage MapWindow::picture() const
{
    if (!scene_)
        return {};
    const QFontMetrics metrics(font());
    const QSize size(canvas_->width() + static_cast<int>(MapScene::legendWidth(pictureFont(), *colours_)) + 40,
                     canvas_->height() + metrics.height() * 6);
    const qreal ratio = devicePixelRatioF();
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(pictureFont());
    paintPicture(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

QString MapWindow::savePicture(const QString& path) const
{
    if (!scene_)
        return error_;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        const QImage image = picture();
        const QSizeF size = image.deviceIndependentSize();
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size.toSize());
        svg.setViewBox(QRectF(QPointF(0, 0), size));
        svg.setTitle(pictureTitle());
        svg.setDescription(kAttribution);
        QPainter painter(&svg);
        painter.setFont(pictureFont());
        paintPicture(painter, QRectF(QPointF(0, 0), size));
        painter.end();
    } else {
        if (!picture().save(&buffer, "PNG"))
            return QStringLiteral("No se ha podido escribir la imagen.");
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("No se ha podido guardar «%1»: %2.").arg(path, file.errorString());
    return {};
}

void MapWindow::copyPicture()
{
    if (scene_)
        QApplication::clipboard()->setImage(picture());
}

void MapWindow::savePictureAs()
{
    QString filter = QStringLiteral("Imagen PNG (*.png)");
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Guardar imagen"), QStringLiteral("mapa.png"),
                                                QStringLiteral("Imagen PNG (*.png);;Dibujo SVG (*.svg)"), &filter);
    if (path.isEmpty())
        return;
    const bool svg = filter.contains(QStringLiteral("svg"));
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) && !path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        path += svg ? QStringLiteral(".svg") : QStringLiteral(".png");
    const QString error = savePicture(path);
    if (!error.isEmpty())
        QMessageBox::warning(this, QStringLiteral("Guardar imagen"), error);
}

void MapWindow::printPicture()
{
    if (!scene_)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Imprimir el mapa"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    printPictureOn(printer);
}

void MapWindow::printPictureOn(QPrinter& printer) const
{
    if (!scene_)
        return;
    QPainter painter(&printer);
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    // The picture is laid out at the window's size and scaled to the page.
    const QSizeF size = picture().deviceIndependentSize();
    const double scale = std::min(page.width() / size.width(), page.height() / size.height());
    painter.scale(scale, scale);
    painter.setFont(pictureFont());
    paintPicture(painter, QRectF(QPointF(0, 0), size));
}

} // namespace map
