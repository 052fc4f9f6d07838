#pragma once
// The map's tests: the figures of the embedded catalogue and the embedded
// map, each read once, and a window on the map, shown at a fixed size.

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "mapcanvas.h"
#include "mapdata.h"
#include "mapfigures.h"
#include "mapwindow.h"
#include "store.h"

inline const map::MunicipalFigures& catalogueFigures()
{
    static const map::MunicipalFigures figures = [] {
        QFile packet(QStringLiteral(PUEBLOS_PACKET));
        if (!packet.open(QIODevice::ReadOnly))
            return map::MunicipalFigures();
        const QByteArray bytes = packet.readAll();
        return map::figuresFromStore(*catalogue::Store::read(std::string_view(bytes.constData(), bytes.size())));
    }();
    return figures;
}

// The map the program carries (the resource MAPA).
inline const geo::MapData& aragon()
{
    static const geo::MapData map = [] {
        QFile file(QStringLiteral(":/MAPA"));
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        return geo::MapData::read(std::string_view(bytes.constData(), bytes.size()));
    }();
    return map;
}

class MapWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<map::MapWindow>(catalogueFigures());
        window->resize(1100, 760);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ASSERT_TRUE(window->mapDrawn()) << window->errorText().toStdString();
        canvas = window->canvas();
    }

    // The canvas position of a place given in degrees.
    QPoint at(double latitude, double longitude) const
    {
        return canvas->positionOf(mapData().projection().project(longitude, latitude)).toPoint();
    }
    const geo::MapData& mapData() const { return *mapOf(); }
    // The canvas position of an area's inside point.
    QPoint inside(const char* code) const
    {
        const geo::MapData& m = *mapOf();
        return canvas->positionOf(m.areas()[m.areaOf(code)].inside).toPoint();
    }
    std::string codeAt(const QPoint& p) const
    {
        const int a = canvas->areaAt(p);
        return a < 0 ? "" : mapOf()->areas()[a].code;
    }

    std::unique_ptr<map::MapWindow> window;
    map::MapCanvas* canvas = nullptr;

private:
    const geo::MapData* mapOf() const
    {
        static const geo::MapData m = [] {
            QFile file(QStringLiteral(":/MAPA"));
            file.open(QIODevice::ReadOnly);
            const QByteArray b = file.readAll();
            return geo::MapData::read(std::string_view(b.constData(), b.size()));
        }();
        return &m;
    }
};
