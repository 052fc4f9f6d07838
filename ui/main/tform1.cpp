#include "tform1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMoveEvent>
#include <QShowEvent>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <array>
#include <memory>
#include <qcustomplot.h>
#include <stdexcept>
#include <string>

#include "accessible.h"
#include "datasource.h"
#include "frame.h"
#include "dbgrid.h"
#include "dbmemo.h"
#include "report.h"
#include "search.h"
#include "searchedit.h"
#include "stringgrid.h"
#include "tform2.h"
#include "text.h"

namespace {

// Colours of the window at start.
const QColor kWindowTint(255, 238, 221);
const QColor kHeadingRed(170, 43, 74);
const QColor kTextMaroon(87, 25, 42);
const QColor kListGrey(95, 95, 95);
const QColor kWhite(255, 255, 255);

const QString kTimes = QStringLiteral("Times New Roman");
const QString kSansSerif = QStringLiteral("MS Sans Serif");

// A font of the layout, by its character height in pixels. Where the named
// face is missing, the metric-compatible Liberation face stands in.
QFont layoutFont(const QString& family, int pixels, bool bold = false, bool italic = false)
{
    const QString substitute = family == kTimes ? QStringLiteral("Liberation Serif") : QStringLiteral("Liberation Sans");
    QFont font(QStringList{family, substitute});
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void setColours(QWidget* widget, QPalette::ColorRole textRole, const QColor& text,
                QPalette::ColorRole backgroundRole = QPalette::NoRole, const QColor& background = {})
{
    QPalette palette = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, textRole, text);
    if (backgroundRole != QPalette::NoRole)
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, backgroundRole, background);
    widget->setPalette(palette);
}

// A label whose width follows its caption, as the window's labels do.
void setCaption(QLabel* label, const QString& caption)
{
    label->setText(caption);
    label->resize(label->sizeHint().width(), label->height());
}

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& place, const QFont& font, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Where the substitute face runs wider than the original, the label grows
    // rather than cutting its caption.
    if (label->sizeHint().width() > place.width())
        label->resize(label->sizeHint().width(), place.height());
    return label;
}

// A read stream over the catalogue packet: a view onto the mapped resource or
// file where the platform allows it, otherwise a copy of its bytes. Released
// (unmapped) when it goes away.
class PacketStream {
public:
    bool open(const QString& path)
    {
        file_.setFileName(path);
        if (!file_.open(QIODevice::ReadOnly))
            return false;
        const qint64 size = file_.size();
        if (size > 0) {
            if (const uchar* mapped = file_.map(0, size)) {
                bytes_ = std::string_view(reinterpret_cast<const char*>(mapped), static_cast<std::size_t>(size));
                return true;
            }
        }
        copy_ = file_.readAll();
        bytes_ = std::string_view(copy_.constData(), static_cast<std::size_t>(copy_.size()));
        return true;
    }
    std::string_view bytes() const { return bytes_; }

private:
    QFile file_;
    QByteArray copy_;
    std::string_view bytes_;
};

} // namespace

TForm1::TForm1(QWidget* parent, const QString& catalogue) : QWidget(parent), catalogue_(catalogue)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Catálogo"));
    setFixedSize(787, 545);
    setFont(layoutFont(kSansSerif, 11));

    ClientDataSet1.afterScroll = [this](catalogue::View& v) { ClientDataSet1AfterScroll(v); };
    ClientDataSet2.afterScroll = [this](catalogue::View& v) { ClientDataSet1AfterScroll(v); };
    ClientDataSet3.afterScroll = [this](catalogue::View& v) { ClientDataSet1AfterScroll(v); };
    ClientDataSet4.afterScroll = [this](catalogue::View& v) { ClientDataSet4AfterScroll(v); };

    createControls();
    a11y::setUp(*this);
    ui::guarded(this, [this] { FormCreate(); });
}

TForm1::~TForm1()
{
    // Nothing may run against the views while the window goes away.
    for (catalogue::View* view : {&ClientDataSet1, &ClientDataSet2, &ClientDataSet3, &ClientDataSet4})
        view->afterScroll = nullptr;
    for (DataSource* source : {DataSource1, DataSource2, DataSource3, DataSource4})
        delete source;
}

void TForm1::createControls()
{
    DataSource1 = new DataSource(&ClientDataSet1, this);
    DataSource2 = new DataSource(&ClientDataSet2, this);
    DataSource3 = new DataSource(&ClientDataSet3, this);
    DataSource4 = new DataSource(&ClientDataSet4, this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource2->setObjectName(QStringLiteral("DataSource2"));
    DataSource3->setObjectName(QStringLiteral("DataSource3"));
    DataSource4->setObjectName(QStringLiteral("DataSource4"));

    const QFont heading = layoutFont(kTimes, 15, true);
    const QFont list = layoutFont(kTimes, 13);

    Label6 = makeLabel(this, "Label6", {80, 8, 404, 23}, layoutFont(kTimes, 21),
                       QStringLiteral("Búsqueda de unidades poblacionales por nombre"));
    Label7 = makeLabel(this, "Label7", {80, 32, 579, 17}, heading,
                       QStringLiteral("Introduzca la denominación de la unidad poblacional o alguna palabra de las que contenga"));
    Label1 = makeLabel(this, "Label1", {80, 64, 68, 17}, heading, QStringLiteral("Población:"));

    Edit1 = new SearchEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(160, 58, 249, 23);
    Edit1->setFont(layoutFont(kTimes, 13));
    Edit1->OnKeyPress = [this](QChar& key) { Edit1KeyPress(key); };

    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setGeometry(424, 58, 23, 22);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    SpeedButton1->setIcon(a11y::buttonImage(QStringLiteral("search.xpm"), QStringLiteral("search@2x.png")));
    SpeedButton1->setIconSize(QSize(16, 16));
    SpeedButton1->setToolTip(QStringLiteral("Buscar una cadena\nde texto"));
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { ui::guarded(this, [this] { SpeedButton1Click(); }); });

    Label2 = makeLabel(this, "Label2", {8, 86, 73, 17}, heading, QStringLiteral("Municipios"));
    Label3 = makeLabel(this, "Label3", {8, 239, 65, 17}, heading, QStringLiteral("Entidades"));
    Label4 = makeLabel(this, "Label4", {8, 389, 53, 17}, heading, QStringLiteral("Núcleos"));

    auto makeGrid = [&](const char* name, const QRect& place, DataSource* source, bool tabWithin) {
        auto* grid = new DBGrid(this);
        grid->setObjectName(QLatin1String(name));
        grid->setGeometry(place);
        grid->setFont(list);
        grid->setFieldName("NOMBREMOST");
        grid->setDataSource(source);
        grid->setTabMovesWithinList(tabWithin);
        return grid;
    };
    DBGrid2 = makeGrid("DBGrid2", {8, 104, 313, 131}, DataSource1, false);
    DBGrid3 = makeGrid("DBGrid3", {8, 256, 313, 131}, DataSource2, true);
    DBGrid1 = makeGrid("DBGrid1", {8, 406, 313, 131}, DataSource3, true);
    DBGrid2->OnEnter = [this] { DBGrid2Enter(); };
    DBGrid3->OnEnter = [this] { DBGrid3Enter(); };
    DBGrid1->OnEnter = [this] { DBGrid1Enter(); };
    DBGrid2->OnKeyUp = [this](int& key, Qt::KeyboardModifiers shift) { DBGrid2KeyUp(key, shift); };
    DBGrid3->OnKeyUp = [this](int& key, Qt::KeyboardModifiers shift) { DBGrid3KeyUp(key, shift); };
    DBGrid1->OnKeyUp = [this](int& key, Qt::KeyboardModifiers shift) { DBGrid1KeyUp(key, shift); };
    DBGrid2->OnMouseUp = [this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) { DBGrid2MouseUp(b, s, x, y); };
    DBGrid3->OnMouseUp = [this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) { DBGrid3MouseUp(b, s, x, y); };
    DBGrid1->OnMouseUp = [this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) { DBGrid1MouseUp(b, s, x, y); };

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setGeometry(336, 104, 441, 393);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setAttribute(Qt::WA_TransparentForMouseEvents);

    Label8 = makeLabel(this, "Label8", {344, 112, 182, 16}, layoutFont(kTimes, 13, true, true), QString());

    DBMemo1 = new DBMemo(this);
    DBMemo1->setObjectName(QStringLiteral("DBMemo1"));
    DBMemo1->setGeometry(344, 128, 425, 89);
    DBMemo1->setFont(layoutFont(kTimes, 13));
    DBMemo1->setFieldName("COMENTARIO");
    DBMemo1->setDataSource(DataSource4);

    Label5 = makeLabel(this, "Label5", {344, 224, 102, 15}, layoutFont(kTimes, 13, true), QStringLiteral("Población por años"));

    StringGrid1 = new StringGrid(6, 4, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(344, 241, 425, 103);
    StringGrid1->setFont(layoutFont(kTimes, 11));
    StringGrid1->setFocusPolicy(Qt::NoFocus);
    StringGrid1->setEnabled(false);
    StringGrid1->OnDrawCell = [this](QPainter& canvas, int col, int row, const QRect& rect) {
        ui::guarded(this, [&] { StringGrid1DrawCell(canvas, col, row, rect); });
    };

    Chart1 = new QCustomPlot(this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setGeometry(344, 352, 425, 137);
    Chart1->setFocusPolicy(Qt::NoFocus);

    auto makeButton = [&](const char* name, const QRect& place, const QString& caption) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(place);
        button->setFont(layoutFont(kTimes, 11));
        button->setAutoDefault(false);
        return button;
    };
    BitBtn3 = makeButton("BitBtn3", {360, 504, 137, 33}, QStringLiteral("Listar todas"));
    BitBtn1 = makeButton("BitBtn1", {552, 504, 75, 33}, QStringLiteral("Ayuda"));
    BitBtn1->setIcon(a11y::buttonImage(QStringLiteral("help.xpm"), QStringLiteral("help@2x.png")));
    BitBtn1->setIconSize(QSize(18, 18));
    BitBtn2 = makeButton("BitBtn2", {680, 504, 75, 33}, QStringLiteral("Salir"));
    BitBtn2->setIcon(a11y::buttonImage(QStringLiteral("exit.xpm"), QStringLiteral("exit@2x.png")));
    BitBtn2->setIconSize(QSize(18, 18));
    connect(BitBtn1, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { BitBtn2Click(); }); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { BitBtn3Click(); }); });

    // Tab order: the search box, the note, the three lists, then the buttons.
    QWidget* order[] = {Edit1, DBMemo1, DBGrid2, DBGrid3, DBGrid1, BitBtn1, BitBtn2, BitBtn3};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    Edit1->setFocus(Qt::OtherFocusReason);
}

void TForm1::applyStartColours()
{
    setAutoFillBackground(true);
    {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, kWindowTint);
        setPalette(palette);
    }
    for (QLabel* label : {Label2, Label3, Label4, Label6})
        setColours(label, QPalette::WindowText, kHeadingRed);
    for (QLabel* label : {Label1, Label5, Label7, Label8})
        setColours(label, QPalette::WindowText, kTextMaroon);
    setColours(Edit1, QPalette::Text, kTextMaroon, QPalette::Base, kWhite);
    setColours(DBMemo1, QPalette::Text, kTextMaroon, QPalette::Base, kWhite);
    for (DBGrid* grid : {DBGrid1, DBGrid2, DBGrid3})
        setColours(grid, QPalette::Text, kListGrey, QPalette::Base, kWhite);
    setColours(StringGrid1, QPalette::Text, kTextMaroon, QPalette::Base,
               QApplication::palette().color(QPalette::ToolTipBase));
    setColours(StringGrid1, QPalette::Text, kTextMaroon, QPalette::Window,
               QApplication::palette().color(QPalette::ToolTipBase));
    setColours(BitBtn3, QPalette::ButtonText, kHeadingRed);
    BitBtn3->setText(QStringLiteral("Listar todas las\nunidades poblacionales"));
}

void TForm1::FormCreate()
{
    // 1.
    LoadError.clear();
    LoadErrorMessage.clear();
    // 2. Views are never bound to a file: closing saves nothing.
    for (catalogue::View* view : {&ClientDataSet1, &ClientDataSet2, &ClientDataSet3, &ClientDataSet4})
        view->close();
    // 3. One read stream over the packet for each view.
    auto streams = std::make_unique<std::array<PacketStream, 4>>();
    QString openFailure;
    for (PacketStream& stream : *streams) {
        if (!stream.open(catalogue_)) {
            openFailure = QStringLiteral("No se puede abrir el archivo %1").arg(catalogue_);
            break;
        }
    }
    // 4. Guarded load.
    try {
        if (!openFailure.isEmpty())
            throw std::runtime_error(openFailure.toStdString());
        ClientDataSet1.setFilter("tiponum = 2");
        ClientDataSet2.setFilter("tiponum = 3");
        ClientDataSet3.setFilter("tiponum = 4");
        ClientDataSet1.setFiltered(true);
        ClientDataSet2.setFiltered(true);
        ClientDataSet3.setFiltered(true);
        catalogue::View* views[] = {&ClientDataSet1, &ClientDataSet2, &ClientDataSet3, &ClientDataSet4};
        for (std::size_t i = 0; i < streams->size(); ++i)
            views[i]->loadFromBytes((*streams)[i].bytes());
        ClientDataSet1.setIndexFieldNames("NOMBREBUSC");
        ClientDataSet2.setIndexFieldNames("NOMBREBUSC");
        ClientDataSet3.setIndexFieldNames("NOMBREBUSC");
        DataSource4->setEnabled(false);
        Label8->setVisible(false);
    } catch (const std::exception& e) {
        LoadError = QStringLiteral("MIDAS.DLL");
        LoadErrorMessage = QString::fromUtf8(e.what());
    } catch (...) {
        LoadError = QStringLiteral("MIDAS.DLL");
        LoadErrorMessage = QStringLiteral("Error desconocido");
    }
    // 5.
    streams.reset();
    // 6.
    StringGrid1->setDefaultColWidth(StringGrid1->width() / 6 - 1);
    StringGrid1->setSelection(QRect(QPoint(-1, -1), QPoint(-1, -1)));
    // 7.
    DataSource1->setEnabled(false);
    DataSource2->setEnabled(false);
    DataSource3->setEnabled(false);
    // 8.
    DBGrid1->setEnabled(false);
    DBGrid2->setEnabled(false);
    DBGrid3->setEnabled(false);
    // 9.
    Label8->setVisible(false);
    // 10.
    static const char* const kYears[2][6] = {{"1900", "1910", "1920", "1930", "1940", "1950"},
                                             {"1960", "1970", "1981", "1991", "2001", "2004"}};
    for (int col = 0; col < 6; ++col) {
        StringGrid1->setCells(col, 0, QLatin1String(kYears[0][col]));
        StringGrid1->setCells(col, 2, QLatin1String(kYears[1][col]));
    }
    for (int col = 0; col < 6; ++col) {
        StringGrid1->setCells(col, 1, QString());
        StringGrid1->setCells(col, 3, QString());
    }
    // 11.
    FreeChartSeries();
    a11y::panelChanged(*this);
    // 12.
    applyStartColours();
    // 13.
    setUpChart();
    // 14.
    for (DBGrid* grid : {DBGrid1, DBGrid2, DBGrid3}) {
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    // 15.
    placeWindow();
}

QPoint windowPlacement(const QSize& screen, const QSize& window)
{
    int left = (screen.width() - window.width()) / 2;
    if (left <= 0)
        left = 1;
    int top = (screen.height() - window.height()) / 2;
    if (top <= 0)
        top = 1;
    if (screen.height() < 700)
        top = 1;
    return {left, top};
}

void TForm1::placeWindow()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    // move() places the outer top-left corner of a window; its outer size is
    // known before it is shown where the window system tells the frame.
    placedFrameSize_ = size().grownBy(ui::windowFrame(this));
    move(area.topLeft() + windowPlacement(area.size(), placedFrameSize_));
}

void TForm1::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // A window manager that tells the frame only once the window is shown:
    // the window is placed again by its real outer size, that once.
    if (event->spontaneous() && !framePlaced_ && frameGeometry().size() != geometry().size()) {
        framePlaced_ = true;
        if (frameGeometry().size() != placedFrameSize_)
            placeWindow();
    }
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Platforms that know the frame only once the window exists: place the
    // window again with its real outer size before it appears.
    if (!event->spontaneous() && !placedFrameSize_.isEmpty() && frameGeometry().size() != placedFrameSize_)
        placeWindow();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    ui::guarded(this, [this] { FormClose(); });
    event->accept();
}

void TForm1::FormClose()
{
    FreeChartSeries();
    // The views are bound to no file: closing them saves nothing.
    ClientDataSet1.close();
    ClientDataSet2.close();
    ClientDataSet3.close();
    ClientDataSet4.close();
}

void TForm1::BitBtn1Click() { showHelpWindow(this); }

void TForm1::BitBtn2Click() { close(); }

void TForm1::BitBtn3Click()
{
    Edit1->setText(QString());
    SpeedButton1->click();
}

void TForm1::Edit1KeyPress(QChar& key)
{
    if (key == QChar(u'\r'))
        SpeedButton1->click();
}

void TForm1::SpeedButton1Click()
{
    // 1.-2. The text with its accented capital vowels folded.
    const std::string text = catalogue::foldSearchText(ui::toCp1252(Edit1->text()));
    // 3.
    catalogue::View* views[] = {&ClientDataSet1, &ClientDataSet2, &ClientDataSet3};
    for (std::size_t i = 0; i < 3; ++i) {
        views[i]->setFilter(catalogue::nameSearchFilter(static_cast<int>(i) + 2, text));
        views[i]->setFiltered(true);
    }
    // 4.
    DataSource1->setEnabled(true);
    DataSource2->setEnabled(true);
    DataSource3->setEnabled(true);
    // 5.
    setCaption(Label2, QStringLiteral("Municipios (%1)").arg(ClientDataSet1.recordCount()));
    setCaption(Label3, QStringLiteral("Entidades (%1)").arg(ClientDataSet2.recordCount()));
    setCaption(Label4, QStringLiteral("Núcleos (%1)").arg(ClientDataSet3.recordCount()));
    // 6.
    DataSource4->setEnabled(false);
    Label8->setVisible(false);
    // 7. A list that loses its hits may hold the focus: the focus goes to the
    // search box first, so that disabling the list hands it to no other list
    // (whose enter handler would fill the panel again).
    const std::pair<DBGrid*, bool> lists[] = {{DBGrid1, ClientDataSet3.recordCount() >= 1},
                                              {DBGrid2, ClientDataSet1.recordCount() >= 1},
                                              {DBGrid3, ClientDataSet2.recordCount() >= 1}};
    for (const auto& [grid, enabled] : lists)
        if (!enabled && focusWidget() == grid)
            Edit1->setFocus(Qt::OtherFocusReason);
    for (const auto& [grid, enabled] : lists)
        grid->setEnabled(enabled);
    // 8.
    for (int col = 0; col < 6; ++col) {
        StringGrid1->setCells(col, 1, QString());
        StringGrid1->setCells(col, 3, QString());
    }
    // 9.
    FreeChartSeries();
    a11y::panelChanged(*this);
}

void TForm1::ClientDataSet1AfterScroll(catalogue::View& dataSet)
{
    if (dataSet.recordCount() > 0)
        showUnit(dataSet);
}

void TForm1::showUnit(catalogue::View& view)
{
    // 1.-2.
    const std::int32_t ident = view.fieldByName("ident").asInteger();
    const std::string filter = "ident = " + std::to_string(ident);
    // 3.-4.
    ClientDataSet4.setFilter(filter);
    ClientDataSet4.setFiltered(true);
    // 5.
    DataSource4->setEnabled(true);
    // 6. The title's width follows its caption.
    Label8->resize(Label8->sizeHint().width(), Label8->height());
    Label8->setVisible(true);
}

void TForm1::DBGrid1Enter() { ClientDataSet1AfterScroll(ClientDataSet3); }
void TForm1::DBGrid2Enter() { ClientDataSet1AfterScroll(ClientDataSet1); }
void TForm1::DBGrid3Enter() { ClientDataSet1AfterScroll(ClientDataSet2); }

namespace {
bool showsUnit(int key) { return key == 38 || key == 40 || key == 9; }
} // namespace

void TForm1::DBGrid1KeyUp(int& key, Qt::KeyboardModifiers)
{
    if (showsUnit(key))
        showUnit(ClientDataSet3);
}
void TForm1::DBGrid2KeyUp(int& key, Qt::KeyboardModifiers)
{
    if (showsUnit(key))
        showUnit(ClientDataSet1);
}
void TForm1::DBGrid3KeyUp(int& key, Qt::KeyboardModifiers)
{
    if (showsUnit(key))
        showUnit(ClientDataSet2);
}

void TForm1::DBGrid1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) { showUnit(ClientDataSet3); }
void TForm1::DBGrid2MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) { showUnit(ClientDataSet1); }
void TForm1::DBGrid3MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) { showUnit(ClientDataSet2); }

void prepareApplication()
{
    QApplication::setApplicationName(QStringLiteral("POBLACION"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/images/poblacion16.xpm"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/images/poblacion32.xpm"), QSize(32, 32));
    QApplication::setWindowIcon(icon);
    ui::installSpanishTranslations();
}

QString loadFailureMessage(const TForm1& form)
{
    if (form.LoadError.isEmpty())
        return {};
    QString message = QStringLiteral("No se ha podido cargar el catálogo de unidades poblacionales.");
    if (!form.LoadErrorMessage.isEmpty())
        message += QLatin1Char('\n') + form.LoadErrorMessage;
    return message;
}
