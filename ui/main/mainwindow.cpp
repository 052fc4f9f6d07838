#include "mainwindow.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMoveEvent>
#include <QPushButton>
#include <QScreen>
#include <QMenuBar>
#include <QShortcut>
#include <QShowEvent>
#include <QToolButton>
#include <array>
#include <memory>
#include <stdexcept>
#include <string>

#include "accessiblewindow.h"
#include "cp1252.h"
#include "cp1252text.h"
#include "detailpanel.h"
#include "helpwindow.h"
#include "images.h"
#include "layoutstyle.h"
#include "messages.h"
#include "modaldialog.h"
#include "noteview.h"
#include "search.h"
#include "searchbox.h"
#include "unitlist.h"
#include "unitkind.h"
#include "units.h"
#include "windowframe.h"

namespace {

// The field the three lists are ordered by.
const char* const kListOrder = "NOMBREBUSC";

std::int32_t unitIdent(const catalogue::View& view) { return view.fieldByName("ident").asInteger(); }

void describe(QWidget* widget, const QString& name, const QString& description)
{
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
}

[[maybe_unused]] const bool kReadAsWindow = ui::readAsWindow("MainWindow");

} // namespace

MainWindow::MainWindow(std::shared_ptr<const catalogue::Store> catalogue, QWidget* parent)
    : QWidget(parent), catalogue_(std::move(catalogue))
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Catálogo"));
    setFixedSize(787, 545);

    for (BoundView* list : {&municipalities_, &entities_, &nuclei_})
        list->view.afterScroll = [this](catalogue::View& view) { showCurrentUnit(view); };

    setFont(layout::windowFont());
    createControls();
    setColours();
    nameForAssistiveTechnology();
    ui::guarded(this, [this] { loadCatalogue(); });
    placeWindow();
}

// The views go after the controls' links to them: each binding lets go of its
// view first (BoundView), and the lists and the note outlive the bindings
// showing nothing.
MainWindow::~MainWindow() = default;

void MainWindow::createControls()
{
    title_ = layout::placeLabel(this, "title", {80, 8, 404, 23}, layout::titleFont(),
                                QStringLiteral("Búsqueda de unidades poblacionales por nombre"));
    instructions_ = layout::placeLabel(
        this, "instructions", {80, 32, 579, 17}, layout::headingFont(),
        QStringLiteral("Introduzca la denominación de la unidad poblacional o alguna palabra de las que contenga"));
    searchLabel_ = layout::placeLabel(this, "searchLabel", {80, 64, 68, 17}, layout::headingFont(),
                                      QStringLiteral("Población:"));

    searchBox_ = new SearchBox(this);
    searchBox_->setObjectName(QStringLiteral("searchBox"));
    searchBox_->setGeometry(160, 58, 249, 23);
    searchBox_->setFont(layout::textFont());

    searchButton_ = new QToolButton(this);
    searchButton_->setObjectName(QStringLiteral("searchButton"));
    searchButton_->setGeometry(424, 58, 23, 22);
    searchButton_->setFocusPolicy(Qt::NoFocus);
    searchButton_->setIcon(ui::resourceIcon({QStringLiteral("search.xpm"), QStringLiteral("search@2x.png")}));
    searchButton_->setIconSize(QSize(16, 16));
    searchButton_->setToolTip(QStringLiteral("Buscar una cadena\nde texto"));
    connect(searchButton_, &QToolButton::clicked, this, [this] { ui::guarded(this, [this] { search(); }); });
    connect(searchBox_, &SearchBox::searchRequested, searchButton_, &QToolButton::click);

    municipalityHeading_ = layout::placeLabel(this, "municipalityHeading", {8, 86, 73, 17}, layout::headingFont(),
                                              QStringLiteral("Municipios"));
    entityHeading_ = layout::placeLabel(this, "entityHeading", {8, 239, 65, 17}, layout::headingFont(),
                                        QStringLiteral("Entidades"));
    nucleusHeading_ = layout::placeLabel(this, "nucleusHeading", {8, 389, 53, 17}, layout::headingFont(),
                                         QStringLiteral("Núcleos"));

    municipalityList_ = createList("municipalityList", {8, 104, 313, 131}, municipalities_, false);
    entityList_ = createList("entityList", {8, 256, 313, 131}, entities_, true);
    nucleusList_ = createList("nucleusList", {8, 406, 313, 131}, nuclei_, true);

    detailPanel_ = new DetailPanel(this);
    detailPanel_->setObjectName(QStringLiteral("detailPanel"));
    connect(detailPanel_, &DetailPanel::shownUnitChanged, this, &MainWindow::shownUnitChanged);
    detailPanel_->setGeometry(336, 104, 441, 393);

    auto makeButton = [&](const char* name, const QRect& place, const QString& caption) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(place);
        button->setFont(layout::smallFont());
        button->setAutoDefault(false);
        return button;
    };
    listAllButton_ = makeButton("listAllButton", {360, 504, 137, 33},
                                QStringLiteral("Listar todas las\nunidades poblacionales"));
    helpButton_ = makeButton("helpButton", {552, 504, 75, 33}, QStringLiteral("Ayuda"));
    helpButton_->setIcon(ui::resourceIcon({QStringLiteral("help.xpm"), QStringLiteral("help@2x.png")}));
    helpButton_->setIconSize(QSize(18, 18));
    exitButton_ = makeButton("exitButton", {680, 504, 75, 33}, QStringLiteral("Salir"));
    exitButton_->setIcon(ui::resourceIcon({QStringLiteral("exit.xpm"), QStringLiteral("exit@2x.png")}));
    exitButton_->setIconSize(QSize(18, 18));
    connect(helpButton_, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { showHelp(); }); });
    connect(exitButton_, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { close(); }); });
    connect(listAllButton_, &QPushButton::clicked, this, [this] { ui::guarded(this, [this] { listAll(); }); });

    // Ctrl+C copies the unit shown. The lists, the note and the search box
    // take it first (see createList, DetailPanel); elsewhere (the buttons)
    // the window does, which is how the census table, never focused, is
    // copied from the keyboard.
    auto* copyUnit = new QShortcut(QKeySequence::Copy, this);
    copyUnit->setObjectName(QStringLiteral("copyUnitShortcut"));
    connect(copyUnit, &QShortcut::activated, this, [this] { ui::guarded(this, [this] { detailPanel_->copyUnit(); }); });

    // Tab order: the search box, the note, the three lists, then the buttons.
    QWidget* order[] = {searchBox_,  detailPanel_->note(), municipalityList_, entityList_,
                        nucleusList_, helpButton_,         exitButton_,       listAllButton_};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    // Ctrl+Tab and Enter on every control (eventFilter).
    for (QWidget* control : order)
        control->installEventFilter(this);
    searchBox_->setFocus(Qt::OtherFocusReason);
}

UnitList* MainWindow::createList(const char* name, const QRect& place, BoundView& shown, bool tabWithinList)
{
    auto* list = new UnitList(this);
    list->setObjectName(QLatin1String(name));
    list->setGeometry(place);
    list->setFont(layout::textFont());
    list->setFieldName("NOMBREMOST");
    list->setBinding(&shown.binding);
    list->setTabMovesWithinList(tabWithinList);
    catalogue::View& view = shown.view;
    connect(list, &UnitList::focusEntered, this, [this, &view] {
        ui::guarded(this, [&] { showCurrentUnit(view); });
    });
    // The arrows and Tab move in the list (Tab only where it stays in the
    // list); a click may have moved it; either way the panel shows where it is.
    connect(list, &UnitList::keyReleased, this, [this, &view](int key) {
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Tab || key == Qt::Key_Backtab)
            ui::guarded(this, [&] { detailPanel_->showUnit(unitIdent(view)); });
    });
    connect(list, &UnitList::mouseReleased, this, [this, &view] {
        ui::guarded(this, [&] { detailPanel_->showUnit(unitIdent(view)); });
    });
    // Ctrl+C in a list copies its current unit, if the panel shows it (after
    // a search it shows none, and nothing is copied).
    connect(list, &UnitList::copyRequested, this, [this, &view] {
        ui::guarded(this, [&] {
            if (view.recordCount() > 0 && detailPanel_->shownUnit() == unitIdent(view))
                detailPanel_->copyUnit();
        });
    });
    return list;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    // Ctrl+Tab and Ctrl+Shift+Tab go on from any control, the lists that
    // Tab moves within included.
    if (tab && (key->modifiers() & Qt::ControlModifier) && !(key->modifiers() & Qt::AltModifier)) {
        const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
        focusNextPrevChild(!back);
        return true;
    }
    // Enter, of either keyboard, presses a button, as Space does.
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    auto* button = qobject_cast<QPushButton*>(watched);
    if (enter && button && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (!key->isAutoRepeat())
            button->click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::setColours()
{
    setAutoFillBackground(true);
    QPalette tinted = palette();
    tinted.setColor(QPalette::Window, layout::kWindowTint);
    setPalette(tinted);
    for (QLabel* label : {title_, municipalityHeading_, entityHeading_, nucleusHeading_})
        layout::setColours(label, QPalette::WindowText, layout::kHeadingRed);
    for (QLabel* label : {instructions_, searchLabel_})
        layout::setColours(label, QPalette::WindowText, layout::kTextMaroon);
    layout::setColours(searchBox_, QPalette::Text, layout::kTextMaroon, QPalette::Base, layout::kFieldWhite);
    for (UnitList* list : {municipalityList_, entityList_, nucleusList_})
        layout::setColours(list, QPalette::Text, layout::kListGrey, QPalette::Base, layout::kFieldWhite);
    layout::setColours(listAllButton_, QPalette::ButtonText, layout::kHeadingRed);
}

void MainWindow::nameForAssistiveTechnology()
{
    describe(searchBox_, QStringLiteral("Población"), instructions_->text());
    searchLabel_->setBuddy(searchBox_);
    describe(searchButton_, QStringLiteral("Buscar"), QStringLiteral("Buscar una cadena de texto"));
    describe(municipalityList_, municipalityHeading_->text(), QStringLiteral("Municipios hallados por la búsqueda"));
    // In these two lists Tab steps through the rows: the way out is told.
    const QString tabWithin = QStringLiteral(". Tab pasa a la fila siguiente; Ctrl+Tab sale de la lista");
    describe(entityList_, entityHeading_->text(),
             QStringLiteral("Entidades de población halladas por la búsqueda") + tabWithin);
    describe(nucleusList_, nucleusHeading_->text(),
             QStringLiteral("Núcleos de población hallados por la búsqueda") + tabWithin);
    municipalityHeading_->setBuddy(municipalityList_);
    entityHeading_->setBuddy(entityList_);
    nucleusHeading_->setBuddy(nucleusList_);
    describe(listAllButton_, QStringLiteral("Listar todas las unidades poblacionales"),
             QStringLiteral("Muestra en las listas todas las unidades del catálogo"));
    describe(helpButton_, QStringLiteral("Ayuda"), QStringLiteral("Abre la ventana de ayuda"));
    describe(exitButton_, QStringLiteral("Salir"), QStringLiteral("Cierra el catálogo"));
}

void MainWindow::loadCatalogue()
{
    loadFailure_.clear();
    listOrderPending_ = false;
    // The lists and the panel end blank whatever the load does. Switched off
    // from here, the lists are not rebuilt, and laid out over every unit, nor
    // the note filled, at each close, load and order below.
    for (BoundView* list : {&municipalities_, &entities_, &nuclei_})
        list->binding.setEnabled(false);
    detailPanel_->blank();
    loading_ = true;
    catalogue::View* views[] = {&municipalities_.view, &entities_.view, &nuclei_.view, &detailPanel_->view()};
    // Views are never bound to a file: closing saves nothing.
    for (catalogue::View* view : views)
        view->close();
    // Without a catalogue the views stay closed, the lists empty.
    loaded_ = catalogue_ != nullptr;
    try {
        if (catalogue_) {
            for (std::size_t i = 0; i < catalogue::kUnitKinds.size(); ++i) {
                views[i]->setFilter(catalogue::kindFilter(catalogue::kUnitKinds[i]));
                views[i]->setFiltered(true);
            }
            // Each list view's notification puts the detail view on its first
            // unit (showCurrentUnit), so the detail view opens on the first
            // nucleus, and its own notification fills the blank panel's table
            // and chart from it (the chart keeps that unit's axis range).
            for (catalogue::View* view : views)
                view->load(catalogue_);
            // The lists show nothing before a search: their order is built
            // once the window has painted, or by the first search if that
            // comes first (orderLists). A catalogue without the field fails
            // here, as ordering by it would.
            for (BoundView* list : {&municipalities_, &entities_, &nuclei_})
                list->view.fieldByName(kListOrder);
            listOrderPending_ = true;
        }
    } catch (const std::exception& e) {
        loaded_ = false;
        loadFailure_ = QString::fromUtf8(e.what());
    } catch (...) {
        loaded_ = false;
        loadFailure_ = QStringLiteral("Error desconocido");
    }
    loading_ = false;

    for (UnitList* list : {nucleusList_, municipalityList_, entityList_})
        list->setEnabled(false);
    detailPanel_->blank();
}

QString MainWindow::loadFailureMessage() const { return loaded_ ? QString() : catalogueFailureMessage(loadFailure_); }

QString catalogueFailureMessage(const QString& why)
{
    QString message = QStringLiteral("No se ha podido cargar el catálogo de unidades poblacionales.");
    if (!why.isEmpty())
        message += QLatin1Char('\n') + why;
    return message;
}

void MainWindow::search()
{
    orderLists();
    // The text without acute accents (the box holds capitals only, so "É"
    // is searched as "E").
    const std::string text = catalogue::cp1252::withoutAcuteAccents(ui::toCp1252(searchBox_->text()));
    // A text of digits also finds the units whose code begins with it, where
    // the catalogue gives codes.
    const bool withCodes = municipalities_.view.table().fieldIndex(std::string(catalogue::kCodeField)) >= 0;
    std::array<std::string, 3> filters;
    for (std::size_t i = 0; i < filters.size(); ++i)
        filters[i] = catalogue::nameSearchFilter(catalogue::kUnitKinds[i], text, withCodes);
    showLists(filters);
}

void MainWindow::listUnits(const std::array<std::string, 3>& filters, const QString& caption)
{
    if (!loaded_)
        return;
    orderLists();
    searchBox_->setText(caption);
    showLists(filters);
}

void MainWindow::showLists(const std::array<std::string, 3>& filters)
{
    // Each view's notification puts the detail view on its first hit.
    BoundView* lists[] = {&municipalities_, &entities_, &nuclei_};
    for (std::size_t i = 0; i < std::size(lists); ++i) {
        lists[i]->view.setFilter(filters[i]);
        lists[i]->view.setFiltered(true);
    }
    for (BoundView* list : lists)
        list->binding.setEnabled(true);
    setHeadings(municipalities_.view.recordCount(), entities_.view.recordCount(), nuclei_.view.recordCount());

    // A list that loses its hits may hold the focus: the focus goes to the
    // search box first, so that disabling the list hands it to no other list
    // (whose focusEntered would fill the panel again).
    const std::pair<UnitList*, bool> hits[] = {{nucleusList_, nuclei_.view.recordCount() >= 1},
                                               {municipalityList_, municipalities_.view.recordCount() >= 1},
                                               {entityList_, entities_.view.recordCount() >= 1}};
    for (const auto& [list, enabled] : hits)
        if (!enabled && focusWidget() == list)
            searchBox_->setFocus(Qt::OtherFocusReason);
    for (const auto& [list, enabled] : hits)
        list->setEnabled(enabled);

    detailPanel_->blank();
}

bool MainWindow::chooseMunicipality(std::string_view code)
{
    catalogue::View& view = municipalities_.view;
    if (!loaded_ || !municipalities_.binding.isEnabled())
        return false;
    const int field = view.table().fieldIndex(std::string(catalogue::kCodeField));
    if (field < 0)
        return false;
    for (int row = 0; row < view.recordCount(); ++row) {
        if (view.table().text(view.recordAt(row), static_cast<std::size_t>(field)) != code)
            continue;
        activateWindow();
        raise();
        municipalityList_->setFocus(Qt::OtherFocusReason);
        municipalityList_->chooseRow(row);
        return true;
    }
    return false;
}

std::optional<std::size_t> MainWindow::shownRecord() const
{
    if (!detailPanel_->shownUnit())
        return std::nullopt;
    return detailPanel_->view().currentRecord();
}

void MainWindow::setMenuBar(QMenuBar* bar)
{
    const int height = bar->sizeHint().height();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != bar && !child->isWindow())
            child->move(child->pos() + QPoint(0, height));
    bar->setParent(this);
    bar->setGeometry(0, 0, width(), height);
    bar->show();
    setFixedSize(width(), height + 545);
    placeWindow();
}

void MainWindow::listAll()
{
    searchBox_->setText(QString());
    searchButton_->click();
}

void MainWindow::setHeadings(int municipalities, int entities, int nuclei)
{
    const std::tuple<QLabel*, UnitList*, QString> headings[] = {
        {municipalityHeading_, municipalityList_, QStringLiteral("Municipios (%1)").arg(municipalities)},
        {entityHeading_, entityList_, QStringLiteral("Entidades (%1)").arg(entities)},
        {nucleusHeading_, nucleusList_, QStringLiteral("Núcleos (%1)").arg(nuclei)}};
    for (const auto& [heading, list, caption] : headings) {
        heading->setText(caption);
        layout::fitToCaption(heading);
        // A list is named by its heading.
        if (list->accessibleName() != caption)
            list->setAccessibleName(caption);
    }
}

void MainWindow::showCurrentUnit(const catalogue::View& list)
{
    if (list.recordCount() == 0)
        return;
    // While the catalogue loads the panel stays blank: the detail view is
    // only put on the unit.
    if (loading_)
        detailPanel_->holdUnit(unitIdent(list));
    else
        detailPanel_->showUnit(unitIdent(list));
}

void MainWindow::showHelp()
{
    // A fresh help window each time, gone once closed.
    const auto help = std::make_unique<HelpWindow>(this);
    ui::execModal(*help);
    help->hide();
}

void MainWindow::orderLists()
{
    if (!listOrderPending_)
        return;
    listOrderPending_ = false;
    for (BoundView* list : {&municipalities_, &entities_, &nuclei_})
        list->view.setIndexFieldNames(kListOrder);
}

void MainWindow::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    // Queued from the first paint, it runs once that paint is on the screen.
    if (!startupFinishing_) {
        startupFinishing_ = true;
        QMetaObject::invokeMethod(
            this, [this] { ui::guarded(this, [this] { finishStartup(); }); }, Qt::QueuedConnection);
    }
}

void MainWindow::finishStartup()
{
    detailPanel_->makeChart();
    orderLists();
    detailPanel_->prepareTitle();
    startupFinished_ = true;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    ui::guarded(this, [this] { closeViews(); });
    event->accept();
}

void MainWindow::closeViews()
{
    detailPanel_->closeView();
    for (BoundView* list : {&municipalities_, &entities_, &nuclei_})
        list->view.close();
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

void MainWindow::placeWindow()
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

void MainWindow::moveEvent(QMoveEvent* event)
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

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Platforms that know the frame only once the window exists: place the
    // window again with its real outer size before it appears.
    if (!event->spontaneous() && !placedFrameSize_.isEmpty() && frameGeometry().size() != placedFrameSize_)
        placeWindow();
}
