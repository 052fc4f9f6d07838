#include "viewbinding.h"

ViewBinding::ViewBinding(catalogue::View* view, QObject* parent) : QObject(parent), view_(view)
{
    if (view_) {
        listener_ = view_->addListener([this](catalogue::View::DataEvent event) {
            if (!enabled_)
                return;
            if (event == catalogue::View::DataEvent::Scroll)
                emit currentMoved();
            else
                emit rowsChanged();
        });
    }
}

ViewBinding::~ViewBinding()
{
    if (view_ && listener_)
        view_->removeListener(listener_);
    view_ = nullptr;
    // The bound controls that outlive the binding are left showing nothing.
    if (enabled_) {
        enabled_ = false;
        emit rowsChanged();
    }
}

void ViewBinding::setEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    emit rowsChanged();
}

catalogue::View* ViewBinding::shownView() const
{
    return enabled_ && view_ && view_->active() ? view_ : nullptr;
}
