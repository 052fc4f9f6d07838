// poblacion-map-viewer: the map window alone, with the embedded catalogue, for
// screenshots and for trying it by hand before a main window opens it.
//
//   poblacion-map-viewer [--colour nada|AÑO|DESDE-HASTA] [--comarcas]
//                        [--unit TIPO:CODIGO:NOMBRE:MUNICIPIOS] [--shot IMAGEN.png]
//                        [--save DIBUJO.png|DIBUJO.svg]
//
// TIPO is municipio, historico, entidad or nucleo; MUNICIPIOS the current
// municipality codes to highlight, separated by commas. With --shot the window
// is drawn once, saved as IMAGEN.png (and the picture that "Guardar imagen…" writes as
// DIBUJO, with --save) and the program ends.

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QTimer>
#include <iostream>

#include "mapcolouring.h"
#include "mapfigures.h"
#include "mapwindow.h"
#include "store.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QFile packet(QStringLiteral(":/PUEBLOS"));
    if (!packet.open(QIODevice::ReadOnly)) {
        std::cerr << "no se encuentra el catálogo\n";
        return 1;
    }
    const QByteArray bytes = packet.readAll();
    const auto store = catalogue::Store::read(std::string_view(bytes.constData(), bytes.size()));
    map::MapWindow window(map::figuresFromStore(*store));
    QObject::connect(&window, &map::MapWindow::municipalityClicked,
                     [](const QString& code) { std::cout << "municipio " << code.toStdString() << std::endl; });
    QString shot, save;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        const QString& option = args[i];
        const QString& value = args[i + 1];
        if (option == QStringLiteral("--colour")) {
            map::Colouring c = window.colouring();
            if (value == QStringLiteral("nada")) {
                c.kind = map::Colouring::Kind::None;
            } else if (value.contains(QLatin1Char('-'))) {
                c.kind = map::Colouring::Kind::Change;
                c.from = static_cast<int>(map::censusDates().indexOf(value.section(QLatin1Char('-'), 0, 0)));
                c.to = static_cast<int>(map::censusDates().indexOf(value.section(QLatin1Char('-'), 1, 1)));
            } else {
                c.kind = map::Colouring::Kind::Population;
                c.date = static_cast<int>(map::censusDates().indexOf(value));
            }
            window.setColouring(c);
        } else if (option == QStringLiteral("--unit")) {
            const QStringList parts = value.split(QLatin1Char(':'));
            if (parts.size() != 4)
                continue;
            map::MapUnit unit;
            unit.kind = parts[0] == QStringLiteral("historico") ? map::MapUnit::Kind::HistoricalMunicipality
                        : parts[0] == QStringLiteral("entidad") ? map::MapUnit::Kind::Entity
                        : parts[0] == QStringLiteral("nucleo")  ? map::MapUnit::Kind::Nucleus
                                                                : map::MapUnit::Kind::Municipality;
            unit.code = parts[1];
            unit.name = parts[2];
            unit.municipalities = parts[3].split(QLatin1Char(','));
            window.showUnit(unit);
        } else if (option == QStringLiteral("--save")) {
            save = value;
        } else if (option == QStringLiteral("--shot")) {
            shot = value;
        }
    }
    if (args.contains(QStringLiteral("--comarcas"))) {
        map::Colouring c = window.colouring();
        c.byComarca = true;
        window.setColouring(c);
    }
    window.show();
    if (!shot.isEmpty())
        QTimer::singleShot(700, [&] {
            window.grab().save(shot);
            if (!save.isEmpty())
                std::cerr << window.savePicture(save).toStdString();
            app.quit();
        });
    return app.exec();
}
