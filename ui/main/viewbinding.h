#pragma once
// The link between a view and the controls that show it (a list, the note).
// While the binding is off the bound controls see no view at all (an empty
// list, an empty note); switching it never moves the view nor runs its
// afterScroll.

#include <QObject>

#include "view.h"

class ViewBinding : public QObject {
    Q_OBJECT
public:
    explicit ViewBinding(catalogue::View* view, QObject* parent = nullptr);
    ~ViewBinding() override;

    catalogue::View* view() const { return view_; }

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // The view as the bound controls see it: null while off or closed.
    catalogue::View* shownView() const;

signals:
    // The rows changed (opened, closed, re-filtered, reordered, or the
    // binding was switched on or off): bound controls rebuild.
    void rowsChanged();
    // Only the current record moved.
    void currentMoved();

private:
    catalogue::View* view_;
    int listener_ = 0;
    bool enabled_ = true;
};

// A view together with the binding that shows it. Members go in reverse
// order, so the binding lets go of its view before the view goes.
struct BoundView {
    catalogue::View view;
    ViewBinding binding{&view};
};
