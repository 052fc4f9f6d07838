#pragma once
// The note of the selected unit: shows one text field of a bound view's
// current record, read-only, wrapped at its width, without scroll bars. Tab
// leaves it.

#include <QPlainTextEdit>
#include <QPointer>
#include <string>

class ViewBinding;

class NoteView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit NoteView(QWidget* parent = nullptr);

    void setBinding(ViewBinding* binding);
    void setFieldName(std::string name);

signals:
    // Ctrl+C with no text selected.
    void copyRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refresh();

    QPointer<ViewBinding> binding_;
    std::string fieldName_;
};
