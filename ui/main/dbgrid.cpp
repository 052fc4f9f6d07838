#include "dbgrid.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QWheelEvent>

#include "report.h"
#include "text.h"

int windowsKeyCode(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 0x70 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    default: return 0;
    }
}

// ---------------------------------------------------------------------------

DataSourceListModel::DataSourceListModel(QObject* parent) : QAbstractListModel(parent) {}

void DataSourceListModel::setDataSource(DataSource* dataSource)
{
    if (dataSource_)
        disconnect(dataSource_, nullptr, this, nullptr);
    dataSource_ = dataSource;
    if (dataSource_)
        connect(dataSource_, &DataSource::dataSetChanged, this, &DataSourceListModel::rebuild);
    rebuild();
}

void DataSourceListModel::setFieldName(std::string name)
{
    fieldName_ = std::move(name);
    rebuild();
}

catalogue::View* DataSourceListModel::view() const
{
    return dataSource_ ? dataSource_->activeDataSet() : nullptr;
}

void DataSourceListModel::rebuild()
{
    beginResetModel();
    catalogue::View* v = view();
    rows_ = v ? v->recordCount() : 0;
    field_ = v ? v->table().fieldIndex(fieldName_) : -1;
    endResetModel();
    emit rowsRebuilt();
}

int DataSourceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

QVariant DataSourceListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rows_ || field_ < 0)
        return {};
    catalogue::View* v = view();
    if (!v || index.row() >= v->recordCount())
        return {};
    const std::size_t record = v->recordAt(index.row());
    return ui::fromCp1252(v->table().text(record, static_cast<std::size_t>(field_)));
}

Qt::ItemFlags DataSourceListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

// ---------------------------------------------------------------------------

namespace {

// Cells as the list draws them: the text 2 pixels in from the left and the
// top, clipped at the cell; the current row is highlighted only while the
// list has the focus.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(DBGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return {grid_->viewport()->width(), grid_->rowHeight()};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool current = grid_->hasFocus() && grid_->currentIndex() == index;
        const QPalette& palette = grid_->palette();
        painter->save();
        painter->fillRect(option.rect, current ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base));
        painter->setPen(current ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text));
        painter->setFont(grid_->font());
        painter->setClipRect(option.rect);
        const QRect textRect = option.rect.adjusted(2, 2, 0, 0);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

private:
    DBGrid* grid_;
};

} // namespace

DBGrid::DBGrid(QWidget* parent) : QListView(parent), model_(new DataSourceListModel(this))
{
    setModel(model_);
    setItemDelegate(new CellDelegate(this));
    setUniformItemSizes(true);
    // The current row is also the selected one, so that assistive technology
    // reads it as the list's choice; the rows are painted by the delegate alone.
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setDragEnabled(false);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setFocusPolicy(Qt::StrongFocus);
    connect(model_, &DataSourceListModel::rowsRebuilt, this, &DBGrid::followView);
}

void DBGrid::setDataSource(DataSource* dataSource)
{
    if (dataSource)
        connect(dataSource, &DataSource::scrolled, this, &DBGrid::followView);
    model_->setDataSource(dataSource);
}

int DBGrid::rowHeight() const { return fontMetrics().height() + 3; }

int DBGrid::visibleRowCount() const { return std::max(1, viewport()->height() / rowHeight()); }

void DBGrid::followView()
{
    catalogue::View* v = model_->view();
    const int row = v ? v->recNo() : -1;
    if (row < 0 || row >= model_->rowCount()) {
        if (currentIndex().isValid())
            selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        viewport()->update();
        return;
    }
    const QModelIndex index = model_->index(row);
    if (currentIndex() != index || !selectionModel()->isSelected(index))
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index, QAbstractItemView::EnsureVisible);
    viewport()->update();
}

template <class Move>
void DBGrid::move(Move&& m)
{
    catalogue::View* v = model_->view();
    if (!v)
        return;
    ui::guarded(window(), [&] { m(*v); });
}

void DBGrid::moveBy(int n)
{
    move([n](catalogue::View& v) { v.moveBy(n); });
}

bool DBGrid::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress && tabWithin_) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
            move([back](catalogue::View& v) {
                const int row = v.recNo();
                if (row < 0)
                    return;
                if (back && row > 0)
                    v.moveBy(-1);
                else if (!back && row < v.recordCount() - 1)
                    v.moveBy(1);
            });
            event->accept();
            return true;
        }
        // Ctrl+Tab and Ctrl+Shift+Tab leave the list, so that the keyboard
        // alone can always go on to the next control.
        if (tab && key->modifiers() & Qt::ControlModifier) {
            const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
            focusNextPrevChild(!back);
            event->accept();
            return true;
        }
    }
    return QListView::event(event);
}

void DBGrid::keyPressEvent(QKeyEvent* event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Up:
        if (ctrl)
            move([this](catalogue::View& v) { v.moveBy(-(v.recNo() - verticalScrollBar()->value())); });
        else
            moveBy(-1);
        break;
    case Qt::Key_Down:
        if (ctrl)
            move([this](catalogue::View& v) {
                v.moveBy(verticalScrollBar()->value() + visibleRowCount() - 1 - v.recNo());
            });
        else
            moveBy(1);
        break;
    case Qt::Key_PageUp: moveBy(-visibleRowCount()); break;
    case Qt::Key_PageDown: moveBy(visibleRowCount()); break;
    case Qt::Key_Home: move([](catalogue::View& v) { v.first(); }); break;
    case Qt::Key_End: move([](catalogue::View& v) { v.last(); }); break;
    default:
        // No editing and no search by typing: other keys are not the list's.
        event->ignore();
        return;
    }
    event->accept();
}

void DBGrid::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    int key = windowsKeyCode(event->key());
    if (OnKeyUp) {
        const Qt::KeyboardModifiers shift = event->modifiers();
        ui::guarded(window(), [&] { OnKeyUp(key, shift); });
    }
    event->accept();
}

void DBGrid::pressAt(const QPoint& pos)
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return;
    const int row = index.row();
    move([row](catalogue::View& v) { v.moveBy(row - v.recNo()); });
}

void DBGrid::mousePressEvent(QMouseEvent* event)
{
    // The focus came first (and with it OnEnter); now the view moves.
    pressAt(event->position().toPoint());
    event->accept();
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    pressAt(event->position().toPoint());
    event->accept();
}

void DBGrid::mouseMoveEvent(QMouseEvent* event) { event->accept(); }

void DBGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (OnMouseUp) {
        const QPoint pos = event->position().toPoint();
        const Qt::MouseButton button = event->button();
        const Qt::KeyboardModifiers shift = event->modifiers();
        ui::guarded(window(), [&] { OnMouseUp(button, shift, pos.x(), pos.y()); });
    }
    event->accept();
}

void DBGrid::wheelEvent(QWheelEvent* event)
{
    wheelRemainder_ += event->angleDelta().y();
    const int notches = wheelRemainder_ / 120;
    wheelRemainder_ -= notches * 120;
    for (int i = 0; i < std::abs(notches); ++i)
        moveBy(notches > 0 ? -1 : 1);
    event->accept();
}

void DBGrid::focusInEvent(QFocusEvent* event)
{
    QListView::focusInEvent(event);
    followView();
    // Told after the list itself is announced as focused.
    QMetaObject::invokeMethod(this, &DBGrid::announceCurrent, Qt::QueuedConnection);
    // Coming back to the window is no entering of the list.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (OnEnter)
        ui::guarded(window(), [&] { OnEnter(); });
}

void DBGrid::focusOutEvent(QFocusEvent* event)
{
    QListView::focusOutEvent(event);
    announcedRow_ = -1;
    viewport()->update();
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    // The list view would announce every new current row, also while the
    // focus is elsewhere (as during a search): only the list with the focus
    // announces its unit.
    QAbstractItemView::currentChanged(current, previous);
    QMetaObject::invokeMethod(this, &DBGrid::announceCurrent, Qt::QueuedConnection);
}

void DBGrid::announceCurrent()
{
    const int row = currentIndex().row();
    if (!hasFocus() || row < 0 || row == announcedRow_)
        return;
    announcedRow_ = row;
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    event.setChild(row);
    QAccessible::updateAccessibility(&event);
}
