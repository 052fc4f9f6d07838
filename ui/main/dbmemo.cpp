#include "dbmemo.h"

#include "text.h"

DBMemo::DBMemo(QWidget* parent) : QPlainTextEdit(parent)
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

void DBMemo::setDataSource(DataSource* dataSource)
{
    if (dataSource_)
        disconnect(dataSource_, nullptr, this, nullptr);
    dataSource_ = dataSource;
    if (dataSource_) {
        connect(dataSource_, &DataSource::dataSetChanged, this, &DBMemo::refresh);
        connect(dataSource_, &DataSource::scrolled, this, &DBMemo::refresh);
    }
    refresh();
}

void DBMemo::setFieldName(std::string name)
{
    fieldName_ = std::move(name);
    refresh();
}

void DBMemo::refresh()
{
    QString text;
    catalogue::View* view = dataSource_ ? dataSource_->activeDataSet() : nullptr;
    if (view && view->recordCount() > 0) {
        const int field = view->table().fieldIndex(fieldName_);
        const std::size_t record = view->currentRecord();
        if (field >= 0 && record < view->table().recordCount())
            text = ui::fromCp1252(view->table().text(record, static_cast<std::size_t>(field)));
    }
    if (text != toPlainText())
        setPlainText(text);
}
