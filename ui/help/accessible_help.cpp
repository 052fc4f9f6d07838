// What assistive technology reads of the help window, and its focus indicator.

#include <QMenu>
#include <QMenuBar>
#include <QTextEdit>

#include "focusring.h"
#include "tform2.h"

void help::nameControls(TForm2& form)
{
    form.RichEdit1->setAccessibleName(QStringLiteral("Texto de la ayuda"));
    form.RichEdit1->setAccessibleDescription(QStringLiteral("Documento de ayuda del catálogo, solo de lectura"));
    ui::showFocusRing(form.RichEdit1);
    form.MainMenu1->setAccessibleName(QStringLiteral("Menú de la ayuda"));
    if (QMenu* acciones = form.Acciones1->menu()) {
        acciones->setAccessibleName(QStringLiteral("Acciones"));
        acciones->setAccessibleDescription(QStringLiteral("Copiar, imprimir o guardar la ayuda"));
    }
}
