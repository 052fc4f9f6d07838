#include "tform2.h"

TForm2::TForm2(QWidget* parent) : QDialog(parent) {}
void TForm2::FormShow() {}
void TForm2::Copiar1Click() {}
void TForm2::Marcartodoycopiar1Click() {}
void TForm2::Imprimir1Click() {}
void TForm2::Guardar1Click() {}
void TForm2::Salir1Click() {}
void showHelpWindow(QWidget*) {}
