#include "datasource.h"

DataSource::DataSource(catalogue::View* dataSet, QObject* parent) : QObject(parent), dataSet_(dataSet)
{
    if (dataSet_) {
        listener_ = dataSet_->addListener([this](catalogue::View::DataEvent event) {
            if (!enabled_)
                return;
            if (event == catalogue::View::DataEvent::Scroll)
                emit scrolled();
            else
                emit dataSetChanged();
        });
    }
}

DataSource::~DataSource() { detach(); }

void DataSource::detach()
{
    if (dataSet_ && listener_)
        dataSet_->removeListener(listener_);
    listener_ = 0;
    dataSet_ = nullptr;
    if (enabled_) {
        enabled_ = false;
        emit dataSetChanged();
    }
}

void DataSource::setEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    emit dataSetChanged();
}

catalogue::View* DataSource::activeDataSet() const
{
    return enabled_ && dataSet_ && dataSet_->active() ? dataSet_ : nullptr;
}
