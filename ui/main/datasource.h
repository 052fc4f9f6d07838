#pragma once
// A data source: the link between a view and the controls that show it. While
// it is disabled the bound controls see no data set at all (an empty list, an
// empty memo); switching it never moves the view nor runs its afterScroll.

#include <QObject>

#include "view.h"

class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(catalogue::View* dataSet, QObject* parent = nullptr);
    ~DataSource() override;

    catalogue::View* DataSet() const { return dataSet_; }

    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // The view as the bound controls see it: null while disabled or closed.
    catalogue::View* activeDataSet() const;

    // Stops relaying (the view is about to go away).
    void detach();

signals:
    // The rows changed (opened, closed, re-filtered, reordered, or the
    // source was switched on or off): bound controls rebuild.
    void dataSetChanged();
    // Only the current record moved.
    void scrolled();

private:
    catalogue::View* dataSet_;
    int listener_ = 0;
    bool enabled_ = true;
};
