#pragma once
// A data-bound memo: shows one text field of its data source's current
// record, read-only, wrapped at its width, without scroll bars. Tab leaves it.

#include <QPlainTextEdit>
#include <QPointer>
#include <string>

#include "datasource.h"

class DBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DBMemo(QWidget* parent = nullptr);

    void setDataSource(DataSource* dataSource);
    DataSource* dataSource() const { return dataSource_; }
    void setFieldName(std::string name);

private:
    void refresh();

    QPointer<DataSource> dataSource_;
    std::string fieldName_;
};
