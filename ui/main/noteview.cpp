#include "noteview.h"

#include <QKeyEvent>

#include "cp1252text.h"
#include "viewbinding.h"

NoteView::NoteView(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    setUndoRedoEnabled(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    document()->setDocumentMargin(2);
}

bool NoteView::event(QEvent* event)
{
    // Ctrl+C is the note's own, before any shortcut of the window.
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        return true;
    }
    return QPlainTextEdit::event(event);
}

void NoteView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy) && !textCursor().hasSelection()) {
        emit copyRequested();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void NoteView::setBinding(ViewBinding* binding)
{
    if (binding_)
        disconnect(binding_, nullptr, this, nullptr);
    binding_ = binding;
    if (binding_) {
        connect(binding_, &ViewBinding::rowsChanged, this, &NoteView::refresh);
        connect(binding_, &ViewBinding::currentMoved, this, &NoteView::refresh);
    }
    refresh();
}

void NoteView::setFieldName(std::string name)
{
    fieldName_ = std::move(name);
    refresh();
}

void NoteView::refresh()
{
    QString text;
    catalogue::View* view = binding_ ? binding_->shownView() : nullptr;
    if (view && view->recordCount() > 0) {
        const int field = view->table().fieldIndex(fieldName_);
        const std::size_t record = view->currentRecord();
        if (field >= 0 && record < view->table().recordCount())
            text = ui::fromCp1252(view->table().text(record, static_cast<std::size_t>(field)));
    }
    if (text != toPlainText())
        setPlainText(text);
}
