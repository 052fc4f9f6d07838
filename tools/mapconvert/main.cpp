// poblacion-mapconvert: the compact map resource (geo/mapformat.h) from the
// municipal boundaries of es-atlas (TopoJSON) and the comarca table:
//
//   poblacion-mapconvert MUNICIPIOS.json COMARCAS.csv SALIDA
//   poblacion-mapconvert --espana MUNICIPIOS.json SALIDA
//
// The first form keeps Aragón: the current municipalities of COMARCAS.csv
// (ine,municipio_iaest,comarca_codigo,comarca), each with its comarca, and the
// shared territories that lie wholly inside them (every arc of theirs is an arc
// of a municipality of Aragón). The second keeps every municipality and shared
// territory of Spain, without comarcas; it is for the benchmarks.
//
// It refuses, with "file: reason" on standard error, exit 1 and nothing
// written: a file that is no TopoJSON or ends before its end, a geometry of
// another shape or referring to an arc that is not there, a current
// municipality without a geometry, and a geometry of Aragón that is no current
// municipality. A wrong command line exits 2.

#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cp1252.h"
#include "csv.h"
#include "files.h"
#include "mapformat.h"

namespace {

using nlohmann::json;

struct Failure {
    std::string file;
    std::string reason;
};

struct ComarcaRow {
    int code = 0;
    std::string name; // cp1252
};

int usage()
{
    std::cerr << "uso: poblacion-mapconvert MUNICIPIOS.json COMARCAS.csv SALIDA\n"
                 "     poblacion-mapconvert --espana MUNICIPIOS.json SALIDA\n"
                 "  MUNICIPIOS.json  límites municipales en TopoJSON (es-atlas)\n"
                 "  COMARCAS.csv     comarca de cada municipio actual: ine,municipio_iaest,comarca_codigo,comarca\n"
                 "  SALIDA           mapa compacto para Población\n"
                 "  --espana         todos los municipios de España, sin comarcas (para las pruebas de velocidad)\n";
    return 2;
}

bool isCode(const std::string& s)
{
    return s.size() == 5 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isAragon(const std::string& code)
{
    return code.starts_with("22") || code.starts_with("44") || code.starts_with("50");
}

std::string readText(const std::string& path)
{
    std::string data;
    if (const int error = readFile(path, data))
        throw Failure{path, systemReason(error)};
    return data;
}

// The comarca of each current municipality, by INE code.
std::map<std::string, ComarcaRow> readComarcas(const std::string& path)
{
    const std::string text = readText(path);
    csv::Reader reader(text, {false, true});
    csv::Record record;
    std::map<std::string, ComarcaRow> rows;
    bool header = true;
    while (!reader.atEnd()) {
        const auto fault = reader.next(record);
        const std::string where = "línea " + std::to_string(record.line) + ": ";
        if (fault)
            throw Failure{path, "línea " + std::to_string(fault->line) + ": CSV mal formado"};
        if (header) {
            if (record.text != "ine,municipio_iaest,comarca_codigo,comarca")
                throw Failure{path, where + "la cabecera debe ser ine,municipio_iaest,comarca_codigo,comarca"};
            header = false;
            continue;
        }
        if (record.cells.size() != 4 || !record.cells[0] || !record.cells[2] || !record.cells[3])
            throw Failure{path, where + "se esperan cuatro campos"};
        const std::string& ine = *record.cells[0];
        const std::string& code = *record.cells[2];
        if (!isCode(ine) || !isAragon(ine))
            throw Failure{path, where + "código INE no válido: " + ine};
        if (code.size() != 2 || !std::isdigit(static_cast<unsigned char>(code[0]))
            || !std::isdigit(static_cast<unsigned char>(code[1])))
            throw Failure{path, where + "código de comarca no válido: " + code};
        const auto name = catalogue::cp1252::fromUtf8(*record.cells[3]);
        if (!name)
            throw Failure{path, where + "nombre de comarca que no cabe en la página de códigos 1252"};
        if (!rows.emplace(ine, ComarcaRow{std::stoi(code), *name}).second)
            throw Failure{path, where + "municipio repetido: " + ine};
    }
    if (rows.empty())
        throw Failure{path, "no hay ningún municipio"};
    return rows;
}

// Every arc index a geometry refers to, checked against the arcs there are.
void collectArcs(const json& node, std::size_t arcCount, std::vector<std::int32_t>& out)
{
    if (node.is_number_integer()) {
        const std::int64_t ref = node.get<std::int64_t>();
        const std::int64_t index = ref < 0 ? ~ref : ref;
        if (index >= static_cast<std::int64_t>(arcCount))
            throw std::runtime_error("una geometría se refiere a un arco que no existe");
        out.push_back(static_cast<std::int32_t>(ref));
        return;
    }
    if (!node.is_array())
        throw std::runtime_error("una geometría tiene arcos mal formados");
    for (const json& child : node)
        collectArcs(child, arcCount, out);
}

struct Geometry {
    std::string code;
    std::vector<std::vector<std::vector<std::int32_t>>> polygons; // as TopoJSON numbers them
    std::set<std::int32_t> arcs;                                  // indices used
};

std::vector<std::vector<std::int32_t>> ringsOf(const json& polygon, std::size_t arcCount)
{
    if (!polygon.is_array() || polygon.empty())
        throw std::runtime_error("un polígono sin anillos");
    std::vector<std::vector<std::int32_t>> rings;
    for (const json& ring : polygon) {
        if (!ring.is_array() || ring.empty())
            throw std::runtime_error("un anillo sin arcos");
        std::vector<std::int32_t> refs;
        for (const json& ref : ring) {
            if (!ref.is_number_integer())
                throw std::runtime_error("una referencia a un arco que no es un número entero");
            collectArcs(ref, arcCount, refs);
        }
        rings.push_back(std::move(refs));
    }
    return rings;
}

geo::MapSource convert(const std::string& topologyPath, const std::map<std::string, ComarcaRow>* comarcas)
{
    const std::string text = readText(topologyPath);
    json topology;
    try {
        topology = json::parse(text);
    } catch (const json::exception& e) {
        throw Failure{topologyPath, std::string("no es un JSON válido o está cortado (") + e.what() + ")"};
    }
    geo::MapSource map;
    std::vector<Geometry> geometries;
    std::vector<std::vector<geo::GridPoint>> allArcs;
    try {
        if (!topology.is_object() || topology.value("type", "") != "Topology")
            throw std::runtime_error("no es un TopoJSON (falta \"type\": \"Topology\")");
        const json& transform = topology.at("transform");
        for (int i = 0; i < 2; ++i) {
            map.scale[i] = transform.at("scale").at(i).get<double>();
            map.translate[i] = transform.at("translate").at(i).get<double>();
        }
        if (!(map.scale[0] > 0 && map.scale[1] > 0))
            throw std::runtime_error("la transformación no es válida");
        const json& arcs = topology.at("arcs");
        if (!arcs.is_array())
            throw std::runtime_error("\"arcs\" no es una lista");
        for (const json& arc : arcs) {
            if (!arc.is_array() || arc.size() < 2)
                throw std::runtime_error("un arco de menos de dos puntos");
            std::vector<geo::GridPoint> points;
            std::int64_t x = 0, y = 0;
            for (const json& step : arc) {
                x += step.at(0).get<std::int64_t>();
                y += step.at(1).get<std::int64_t>();
                if (std::llabs(x) > geo::kGridLimit || std::llabs(y) > geo::kGridLimit)
                    throw std::runtime_error("un punto fuera de la rejilla");
                points.push_back({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)});
            }
            allArcs.push_back(std::move(points));
        }
        const json& list = topology.at("objects").at("municipalities").at("geometries");
        if (!list.is_array())
            throw std::runtime_error("\"geometries\" no es una lista");
        for (const json& g : list) {
            const json& id = g.at("id");
            if (!id.is_string())
                throw std::runtime_error("una geometría sin código");
            Geometry geometry;
            geometry.code = id.get<std::string>();
            if (!isCode(geometry.code))
                continue; // Gibraltar
            const std::string type = g.at("type").get<std::string>();
            if (type == "Polygon") {
                geometry.polygons.push_back(ringsOf(g.at("arcs"), allArcs.size()));
            } else if (type == "MultiPolygon") {
                for (const json& polygon : g.at("arcs"))
                    geometry.polygons.push_back(ringsOf(polygon, allArcs.size()));
                if (geometry.polygons.empty())
                    throw std::runtime_error("el municipio " + geometry.code + " no tiene polígonos");
            } else {
                throw std::runtime_error("la geometría " + geometry.code + " es de tipo " + type);
            }
            for (const auto& polygon : geometry.polygons)
                for (const auto& ring : polygon)
                    for (std::int32_t ref : ring)
                        geometry.arcs.insert(ref < 0 ? ~ref : ref);
            geometries.push_back(std::move(geometry));
        }
    } catch (const json::exception& e) {
        throw Failure{topologyPath, std::string("TopoJSON mal formado (") + e.what() + ")"};
    } catch (const std::runtime_error& e) {
        throw Failure{topologyPath, e.what()};
    }

    // Which geometries go in, and of what kind.
    std::vector<const Geometry*> kept;
    std::set<std::int32_t> aragonArcs;
    if (comarcas) {
        std::set<std::string> found;
        for (const Geometry& g : geometries)
            if (isAragon(g.code)) {
                if (!comarcas->count(g.code))
                    throw Failure{topologyPath, "la geometría " + g.code + " no es de ningún municipio actual de Aragón"};
                if (!found.insert(g.code).second)
                    throw Failure{topologyPath, "la geometría " + g.code + " está repetida"};
                kept.push_back(&g);
                aragonArcs.insert(g.arcs.begin(), g.arcs.end());
            }
        for (const auto& [code, row] : *comarcas)
            if (!found.count(code))
                throw Failure{topologyPath, "el municipio " + code + " no tiene geometría"};
        for (const Geometry& g : geometries)
            if (g.code.starts_with("53") && std::all_of(g.arcs.begin(), g.arcs.end(), [&](std::int32_t a) {
                    return aragonArcs.count(a) > 0;
                }))
                kept.push_back(&g);
    } else {
        for (const Geometry& g : geometries)
            kept.push_back(&g);
    }
    std::sort(kept.begin(), kept.end(), [](const Geometry* a, const Geometry* b) { return a->code < b->code; });

    // The comarcas in the order of their codes.
    std::map<int, std::string> comarcaNames;
    if (comarcas)
        for (const auto& [code, row] : *comarcas)
            comarcaNames.emplace(row.code, row.name);
    std::map<int, int> comarcaIndex;
    for (const auto& [code, name] : comarcaNames) {
        comarcaIndex[code] = static_cast<int>(map.comarcas.size());
        map.comarcas.push_back({code, name});
    }

    // The arcs in the order the areas first use them, renumbered.
    std::map<std::int32_t, std::int32_t> renumbered;
    double latitudeLow = 90, latitudeHigh = -90;
    for (const Geometry* g : kept) {
        geo::StoredArea area;
        area.code = g->code;
        area.kind = g->code.starts_with("53") ? geo::AreaKind::SharedTerritory : geo::AreaKind::Municipality;
        if (comarcas && area.kind == geo::AreaKind::Municipality)
            area.comarca = comarcaIndex.at(comarcas->at(g->code).code);
        for (const auto& polygon : g->polygons) {
            auto& rings = area.polygons.emplace_back();
            for (const auto& ring : polygon) {
                auto& refs = rings.emplace_back();
                for (std::int32_t ref : ring) {
                    const std::int32_t index = ref < 0 ? ~ref : ref;
                    auto [it, added] = renumbered.emplace(index, static_cast<std::int32_t>(map.arcs.size()));
                    if (added) {
                        map.arcs.push_back(allArcs[index]);
                        for (const geo::GridPoint& p : allArcs[index]) {
                            const double latitude = p[1] * map.scale[1] + map.translate[1];
                            latitudeLow = std::min(latitudeLow, latitude);
                            latitudeHigh = std::max(latitudeHigh, latitude);
                        }
                    }
                    refs.push_back(ref < 0 ? ~it->second : it->second);
                }
            }
        }
        map.areas.push_back(std::move(area));
    }
    if (map.areas.empty())
        throw Failure{topologyPath, "no hay ningún municipio"};
    // The projection about the middle latitude, to a tenth of a degree.
    map.referenceLatitude = std::round((latitudeLow + latitudeHigh) / 2 * 10) / 10;
    return map;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (std::any_of(args.begin(), args.end(), [](const std::string& a) { return a.empty(); }))
        return usage();
    const bool spain = !args.empty() && args[0] == "--espana";
    if (args.size() != 3)
        return usage();
    const std::string& outputPath = args[2];
    try {
        geo::MapSource map;
        if (spain) {
            map = convert(args[1], nullptr);
        } else {
            const auto comarcas = readComarcas(args[1]);
            map = convert(args[0], &comarcas);
        }
        if (const int error = writeFileAtomically(outputPath, geo::encodeMap(map)))
            throw Failure{outputPath, systemReason(error)};
    } catch (const Failure& f) {
        std::cerr << f.file << ": " << f.reason << "\n";
        return 1;
    }
    return 0;
}
