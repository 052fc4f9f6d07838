#include "unitlist.h"

#include <QAbstractListModel>
#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QWheelEvent>
#include <algorithm>

#include "cp1252text.h"
#include "messages.h"
#include "viewbinding.h"

// The rows of a bound view, one field each, as a list model.
class UnitListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setBinding(ViewBinding* binding);
    void setFieldName(std::string name);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The view while it is shown (binding on, view open).
    catalogue::View* view() const;

signals:
    void rowsRebuilt();

private:
    void rebuild();

    QPointer<ViewBinding> binding_;
    std::string fieldName_;
    int field_ = -1;
    int rows_ = 0;
};

void UnitListModel::setBinding(ViewBinding* binding)
{
    if (binding_)
        disconnect(binding_, nullptr, this, nullptr);
    binding_ = binding;
    if (binding_)
        connect(binding_, &ViewBinding::rowsChanged, this, &UnitListModel::rebuild);
    rebuild();
}

void UnitListModel::setFieldName(std::string name)
{
    fieldName_ = std::move(name);
    rebuild();
}

catalogue::View* UnitListModel::view() const
{
    return binding_ ? binding_->shownView() : nullptr;
}

void UnitListModel::rebuild()
{
    beginResetModel();
    catalogue::View* v = view();
    rows_ = v ? v->recordCount() : 0;
    field_ = v ? v->table().fieldIndex(fieldName_) : -1;
    endResetModel();
    emit rowsRebuilt();
}

int UnitListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

QVariant UnitListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rows_ || field_ < 0)
        return {};
    catalogue::View* v = view();
    if (!v || index.row() >= v->recordCount())
        return {};
    const std::size_t record = v->recordAt(index.row());
    return ui::fromCp1252(v->table().text(record, static_cast<std::size_t>(field_)));
}

Qt::ItemFlags UnitListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

namespace {

// Cells as the list draws them: the text 2 pixels in from the left and the
// top, clipped at the cell; the current row is highlighted only while the
// list has the focus.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(UnitList* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return {list_->viewport()->width(), list_->rowHeight()};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool current = list_->hasFocus() && list_->currentIndex() == index;
        const QPalette& palette = list_->palette();
        painter->save();
        painter->fillRect(option.rect, current ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base));
        painter->setPen(current ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text));
        painter->setFont(list_->font());
        painter->setClipRect(option.rect);
        const QRect textRect = option.rect.adjusted(2, 2, 0, 0);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

private:
    UnitList* list_;
};

} // namespace

UnitList::UnitList(QWidget* parent) : QListView(parent), model_(new UnitListModel(this))
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
    // The list scrolls where followView says, not at every new current row
    // (a click on a list the wheel scrolled would first scroll it back).
    setAutoScroll(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(model_, &UnitListModel::rowsRebuilt, this, [this] {
        chosen_ = false;
        followView();
    });
}

void UnitList::setBinding(ViewBinding* binding)
{
    if (binding)
        connect(binding, &ViewBinding::currentMoved, this, &UnitList::followView);
    model_->setBinding(binding);
}

void UnitList::setFieldName(std::string name) { model_->setFieldName(std::move(name)); }

int UnitList::rowHeight() const { return fontMetrics().height() + 3; }

int UnitList::visibleRowCount() const { return std::max(1, viewport()->height() / rowHeight()); }

void UnitList::followView() { follow(true); }

void UnitList::follow(bool scroll)
{
    catalogue::View* v = model_->view();
    const int row = v ? v->recNo() : -1;
    if (row < 0 || row >= model_->rowCount()) {
        clearChoice();
        viewport()->update();
        return;
    }
    const QModelIndex index = model_->index(row);
    // The current row is highlighted, and is the list's choice to assistive
    // technology, only while the list has the focus and the user has chosen
    // it (entered the list or moved in it since its rows last changed: after
    // a search the panel is blank); otherwise the list keeps its place in the
    // view and shows no choice.
    if (!hasFocus() || !chosen_)
        clearChoice();
    else if (currentIndex() != index || !selectionModel()->isSelected(index))
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    if (scroll)
        scrollTo(index, QAbstractItemView::EnsureVisible);
    viewport()->update();
}

void UnitList::clearChoice()
{
    if (selectionModel()->hasSelection())
        selectionModel()->clearSelection();
    if (currentIndex().isValid())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

template <class Move>
void UnitList::move(Move&& m)
{
    catalogue::View* v = model_->view();
    if (!v)
        return;
    // Even a move that does not move the view (at either end) chooses the row.
    chosen_ = true;
    ui::guarded(window(), [&] { m(*v); });
    followView();
}

void UnitList::moveBy(int n)
{
    move([n](catalogue::View& v) { v.moveBy(n); });
}

bool UnitList::event(QEvent* event)
{
    // Ctrl+C is the list's own, before any shortcut of the window.
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        return true;
    }
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
    }
    return QListView::event(event);
}

void UnitList::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        emit copyRequested();
        event->accept();
        return;
    }
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

void UnitList::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    emit keyReleased(event->key());
    event->accept();
}

void UnitList::pressAt(const QPoint& pos)
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return;
    const int row = index.row();
    move([row](catalogue::View& v) { v.moveBy(row - v.recNo()); });
}

void UnitList::chooseRow(int row)
{
    move([row](catalogue::View& v) { v.moveBy(row - v.recNo()); });
    emit focusEntered();
}

void UnitList::enterByMouse()
{
    if (!enteringByMouse_)
        return;
    enteringByMouse_ = false;
    enter(false);
}

void UnitList::enter(bool scroll)
{
    chosen_ = true;
    follow(scroll);
    emit focusEntered();
}

void UnitList::mousePressEvent(QMouseEvent* event)
{
    // The focus came first; the list is entered, then the view moves.
    enterByMouse();
    pressAt(event->position().toPoint());
    event->accept();
}

void UnitList::mouseDoubleClickEvent(QMouseEvent* event)
{
    enterByMouse();
    pressAt(event->position().toPoint());
    event->accept();
}

void UnitList::dragTo(const QPoint& pos)
{
    const int rows = model_->rowCount();
    if (rows == 0)
        return;
    const int top = verticalScrollBar()->value();
    int row = 0;
    if (pos.y() < 0)
        row = top - 1;
    else if (pos.y() >= viewport()->height())
        row = top + visibleRowCount();
    else if (const QModelIndex index = indexAt(QPoint(0, pos.y())); index.isValid())
        row = index.row();
    else
        row = rows - 1; // below the last row of a short list
    row = std::clamp(row, 0, rows - 1);
    move([row](catalogue::View& v) {
        if (v.recNo() != row)
            v.moveBy(row - v.recNo());
    });
}

void UnitList::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() != Qt::NoButton)
        dragTo(event->position().toPoint());
    event->accept();
}

void UnitList::mouseReleaseEvent(QMouseEvent* event)
{
    emit mouseReleased();
    event->accept();
}

void UnitList::wheelEvent(QWheelEvent* event)
{
    // The wheel scrolls the rows, as in any list, focused or not: it moves
    // neither the view nor the unit shown.
    QListView::wheelEvent(event);
}

void UnitList::focusInEvent(QFocusEvent* event)
{
    QListView::focusInEvent(event);
    // A click lands on the row under the pointer: the rows stay where the
    // wheel or the scroll bar left them. The keys bring the current row into sight.
    follow(event->reason() != Qt::MouseFocusReason);
    // Told after the list itself is announced as focused.
    QMetaObject::invokeMethod(this, &UnitList::announceCurrent, Qt::QueuedConnection);
    // Coming back to the window is no entering of the list.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    // A click enters the list only on its rows: one on the scroll bar
    // scrolls, and the panel keeps its unit.
    if (event->reason() == Qt::MouseFocusReason) {
        enteringByMouse_ = true;
        return;
    }
    enter(true);
}

void UnitList::focusOutEvent(QFocusEvent* event)
{
    QListView::focusOutEvent(event);
    enteringByMouse_ = false;
    announcedRow_ = -1;
    // Left for another control, whose unit the panel may show next: the row
    // is chosen again when the list is entered again. A dialog or a menu over
    // the window leaves it chosen.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        chosen_ = false;
    clearChoice();
    viewport()->update();
}

void UnitList::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    // The list view would announce every new current row, also while the
    // focus is elsewhere (as during a search): only the list with the focus
    // announces its unit.
    QAbstractItemView::currentChanged(current, previous);
    QMetaObject::invokeMethod(this, &UnitList::announceCurrent, Qt::QueuedConnection);
}

void UnitList::announceCurrent()
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

#include "unitlist.moc"
