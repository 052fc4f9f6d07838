#include "tform1.h"

#include <QCloseEvent>

TForm1::TForm1(QWidget* parent, const QString& catalogue) : QWidget(parent), catalogue_(catalogue)
{
    setWindowTitle(QStringLiteral("Catálogo"));
    resize(787, 545);
}
TForm1::~TForm1() = default;
void TForm1::closeEvent(QCloseEvent* event) { event->accept(); }
