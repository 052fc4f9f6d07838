#pragma once
// "Mapa de Aragón": a window of its own beside the main window, not modal.
// It draws the current municipalities coloured as "Colorear por" says, with
// their comarca and province borders and the shared territories, a legend,
// and beside the map a table of the municipalities (or comarcas) by the value
// coloured, highest first. It follows the unit the main window shows
// (showUnit) and reports a click on a municipality, on the map or in the table
// (municipalityClicked), for the main window to show it.
//
// It reads the map resource when it is made, and only then; a resource that
// cannot be read leaves a window that says so, in Spanish, and nothing else
// of the program is touched.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>

#include "mapcolouring.h"
#include "mapfigures.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QTableWidget;

namespace map {

class MapCanvas;
class MapLegend;
class MapScene;

// What the main window knows of the unit it shows.
struct MapUnit {
    enum class Kind { Municipality, HistoricalMunicipality, Entity, Nucleus };
    Kind kind = Kind::Municipality;
    QString code;               // its CODIGO
    QString name;               // as the main window shows it
    // The current municipalities to highlight: the municipality itself, the
    // one an entity or a núcleo lies in, or those holding a historical
    // municipality's territory today.
    QStringList municipalities;
};

class MapWindow : public QWidget {
    Q_OBJECT
public:
    // `mapResource`: the compact map (":/MAPA" in the program; tests give others).
    explicit MapWindow(MunicipalFigures figures, QWidget* parent = nullptr,
                       const QString& mapResource = QStringLiteral(":/MAPA"));
    ~MapWindow() override;

    // Whether the map could be read; when not, errorText() says why.
    bool mapDrawn() const { return scene_ != nullptr; }
    QString errorText() const;

    const Colouring& colouring() const { return colouring_; }
    void setColouring(const Colouring& colouring);
    // The caption under the map (also the map's accessible description).
    QString caption() const;

    MapCanvas* canvas() const { return canvas_; }
    QTableWidget* table() const { return table_; }
    const ColouredMap& colours() const { return *colours_; }

    // The picture that is saved, printed and copied: the map as drawn, with
    // title, legend, date and attribution.
    QImage picture() const;
    // Writes the picture as PNG or SVG (by the name's ending), whole or not at
    // all; an empty text when done, else the reason in Spanish.
    QString savePicture(const QString& path) const;
    // Prints the picture on the printer's page, scaled to fit it whole.
    void printPictureOn(QPrinter& printer) const;

public slots:
    void showUnit(const map::MapUnit& unit);
    void clearUnit();
    void copyPicture();
    void savePictureAs();
    void printPicture();

signals:
    // A municipality clicked on the map or chosen in the table: its INE code.
    void municipalityClicked(const QString& code);

private:
    void createControls();
    void loadMap(const QString& resource);
    void colouringChosen();
    void recolour();
    void fillTable();
    void describeUnit();
    void tableRowActivated(int row);
    QString describeArea(int area) const;
    QString pictureTitle() const;
    QFont pictureFont() const;
    void paintPicture(QPainter& painter, const QRectF& page) const;

    MunicipalFigures figures_;
    std::unique_ptr<const geo::MapData> map_;
    std::unique_ptr<const MapScene> scene_;
    std::unique_ptr<ColouredMap> colours_;
    Colouring colouring_;
    std::optional<MapUnit> unit_;
    QString error_;

    QComboBox* measureBox_ = nullptr;
    QComboBox* dateBox_ = nullptr;
    QComboBox* fromBox_ = nullptr;
    QComboBox* toBox_ = nullptr;
    QCheckBox* comarcaBox_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* printButton_ = nullptr;
    MapCanvas* canvas_ = nullptr;
    MapLegend* legend_ = nullptr;
    QTableWidget* table_ = nullptr;
    QLabel* caption_ = nullptr;
    QLabel* errorLabel_ = nullptr;
};

} // namespace map
