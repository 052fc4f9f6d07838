// The catalogue tool: turns a catalogue CSV into a data packet and back, and
// answers questions about a packet (filters, counts) from the command line.
//
//   poblacion-tool dump PACKET
//   poblacion-tool build CSV PACKET
//   poblacion-tool filter PACKET EXPR [--order FIELD]
//   poblacion-tool counts PACKET
//   poblacion-tool number N
//
// The CSV is UTF-8: a header line with the field names joined by ",", then one
// line per record. A value is written between double quotes with inner quotes
// doubled; an empty cell is a null value. Lines end with "\n".

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "cp1252.h"
#include "csv.h"
#include "error.h"
#include "files.h"
#include "numbers.h"
#include "packet.h"
#include "table.h"
#include "units.h"
#include "view.h"

namespace {

using catalogue::FieldDef;
using catalogue::FieldKind;

constexpr int kOk = 0;
constexpr int kRejected = 1;
constexpr int kUsage = 2;

constexpr const char* kUsageText =
    "Uso:\n"
    "  poblacion-tool dump PAQUETE\n"
    "      Escribe el paquete de datos como CSV (UTF-8) en la salida estándar.\n"
    "  poblacion-tool build CSV PAQUETE\n"
    "      Construye el paquete de datos del catálogo a partir de un CSV como el de dump.\n"
    "  poblacion-tool filter PAQUETE EXPRESIÓN [--order CAMPO]\n"
    "      Muestra cuántos registros cumplen el filtro y el IDENT de cada uno.\n"
    "  poblacion-tool counts PAQUETE\n"
    "      Muestra el número de entradas (nombres de diccionario distintos) y de referencias.\n"
    "  poblacion-tool number NÚMERO\n"
    "      Escribe el número entero con un punto entre los millares, como el programa (4068: 4.068).\n"
    "Códigos de salida: 0 correcto, 1 entrada rechazada, 2 uso incorrecto.\n";

// A failure that ends the command with exit code 1; the text is UTF-8.
struct Rejected {
    std::string message;
};

std::string readFile(const std::string& path)
{
    std::string data;
    if (const int error = ::readFile(path, data))
        throw Rejected{"No se puede leer el archivo " + path + ": " + systemReason(error) + "."};
    return data;
}

void writeFile(const std::string& path, std::string_view data)
{
    if (const int error = writeFileAtomically(path, data))
        throw Rejected{"No se puede escribir el archivo " + path + ": " + systemReason(error) + "."};
}

void writeStdout(std::string_view data)
{
    if (!writeAll(STDOUT_FILENO, data))
        throw Rejected{"No se puede escribir la salida: " + systemReason(errno) + "."};
}

catalogue::Table loadPacket(const std::string& path)
{
    const std::string bytes = readFile(path);
    try {
        return catalogue::readPacket(bytes);
    } catch (const catalogue::PacketError& e) {
        throw Rejected{"El archivo " + path + " no es un paquete de datos válido: " + e.what()};
    }
}

// --- CSV ------------------------------------------------------------------------------

// The catalogue CSV keeps a note's line breaks, and an empty line is a record
// (of one cell, which no catalogue has).
constexpr csv::Rules kCatalogueCsv{.lineBreaksInQuotes = true, .skipEmptyLines = false};

std::string faultText(csv::Fault fault)
{
    switch (fault) {
    case csv::Fault::UnclosedQuote: return "faltan las comillas de cierre de un valor";
    case csv::Fault::TextAfterClosingQuote:
        return "después de las comillas de cierre debe venir una coma o el fin de la línea";
    case csv::Fault::QuoteInBareCell: return "comillas en medio de un valor sin comillas";
    case csv::Fault::StrayCarriageReturn: return "retorno de carro fuera de comillas";
    }
    return {};
}

[[noreturn]] void rejectLine(const std::string& path, std::size_t line, const std::string& why)
{
    throw Rejected{path + ", línea " + std::to_string(line) + ": " + why + "."};
}

std::string fieldNames(const std::vector<FieldDef>& fields)
{
    std::string out;
    for (std::size_t f = 0; f < fields.size(); ++f) {
        if (f)
            out += ',';
        out += catalogue::cp1252::toUtf8(fields[f].name);
    }
    return out;
}

catalogue::Table tableFromCsv(const std::string& path)
{
    const std::string text = readFile(path);
    csv::Reader csv(text, kCatalogueCsv);
    csv::Record row;
    const auto readRow = [&] {
        if (const std::optional<csv::Error> error = csv.next(row))
            rejectLine(path, error->line, faultText(error->fault));
    };
    // The catalogue's nineteen fields, or the eighteen of a catalogue without codes.
    std::vector<FieldDef> fields = catalogue::unitFields();
    if (csv.atEnd())
        rejectLine(path, 1, "el archivo está vacío y falta la cabecera " + fieldNames(fields));
    readRow();
    if (row.cells.size() + 1 == fields.size())
        fields.pop_back();
    bool headerOk = row.cells.size() == fields.size();
    for (std::size_t f = 0; headerOk && f < fields.size(); ++f)
        headerOk = row.cells[f] && *row.cells[f] == fields[f].name;
    if (!headerOk)
        rejectLine(path, row.line, "la cabecera debe ser exactamente " + fieldNames(catalogue::unitFields())
                                       + " (o la misma sin " + std::string(catalogue::kCodeField) + ")");

    catalogue::Table table(fields, catalogue::kSpanishTraditional);
    while (!csv.atEnd()) {
        readRow();
        if (row.cells.size() != fields.size())
            rejectLine(path, row.line,
                "hay " + std::to_string(row.cells.size()) + (row.cells.size() == 1 ? " celda" : " celdas")
                    + " y deben ser " + std::to_string(fields.size()));
        std::vector<std::optional<std::string>> values;
        values.reserve(fields.size());
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const auto& cell = row.cells[f];
            if (!cell) {
                values.emplace_back();
                continue;
            }
            std::optional<std::string> value = catalogue::cp1252::fromUtf8(*cell);
            if (!value)
                rejectLine(path, row.line, "el valor de " + fields[f].name
                                       + " no es UTF-8 válido o tiene caracteres que la página de códigos 1252 no "
                                         "puede representar");
            if (fields[f].kind == FieldKind::String && value->size() > fields[f].width)
                rejectLine(path, row.line, "el valor de " + fields[f].name + " (\"" + *cell + "\") ocupa "
                                       + std::to_string(value->size()) + " bytes y el campo admite "
                                       + std::to_string(fields[f].width));
            values.push_back(std::move(value));
        }
        table.addRecord(values);
    }
    return table;
}

// --- Commands ---------------------------------------------------------------------------

int dump(const std::string& packetPath)
{
    const catalogue::Table table = loadPacket(packetPath);
    std::string out = fieldNames(table.fields());
    out += '\n';
    for (std::size_t r = 0; r < table.recordCount(); ++r) {
        for (std::size_t f = 0; f < table.fieldCount(); ++f) {
            if (f)
                out += ',';
            if (!table.isNull(r, f))
                csv::appendQuoted(out, catalogue::cp1252::toUtf8(table.text(r, f)));
        }
        out += '\n';
    }
    writeStdout(out);
    return kOk;
}

int build(const std::string& csvPath, const std::string& packetPath)
{
    const catalogue::Table table = tableFromCsv(csvPath);
    std::string packet;
    try {
        packet = catalogue::writePacket(table);
    } catch (const catalogue::PacketError& e) {
        throw Rejected{e.what()};
    }
    writeFile(packetPath, packet);
    return kOk;
}

std::string toCp1252(const std::string& utf8, const char* what)
{
    std::optional<std::string> text = catalogue::cp1252::fromUtf8(utf8);
    if (!text)
        throw Rejected {std::string(what)
            + " no es UTF-8 válido o tiene caracteres que la página de códigos 1252 no puede representar."};
    return *text;
}

int filter(const std::string& packetPath, const std::string& expression, const std::string* order)
{
    const std::string bytes = readFile(packetPath);
    const std::string filterText = toCp1252(expression, "La expresión de filtro");
    const std::string orderField = order ? toCp1252(*order, "El campo de orden") : std::string();

    catalogue::View view;
    try {
        view.loadFromBytes(bytes);
    } catch (const catalogue::PacketError& e) {
        throw Rejected{"El archivo " + packetPath + " no es un paquete de datos válido: " + e.what()};
    }
    const int ident = view.table().fieldIndex("IDENT");
    if (ident < 0)
        throw Rejected{"El paquete " + packetPath + " no tiene el campo IDENT."};
    try {
        view.setFilter(filterText);
        view.setFiltered(true);
        if (order)
            view.setIndexFieldNames(orderField);
    } catch (const catalogue::Error& e) {
        throw Rejected{e.what()};
    }
    const int count = view.recordCount();
    std::string out = std::to_string(count) + '\n';
    for (int row = 0; row < count; ++row) {
        out += catalogue::cp1252::toUtf8(view.table().text(view.recordAt(row), static_cast<std::size_t>(ident)));
        out += '\n';
    }
    writeStdout(out);
    return kOk;
}

int counts(const std::string& packetPath)
{
    const catalogue::Table table = loadPacket(packetPath);
    const int dictionary = table.fieldIndex("NOMBREDICC");
    if (dictionary < 0)
        throw Rejected{"El paquete " + packetPath + " no tiene el campo NOMBREDICC."};
    std::unordered_set<std::string_view> names;
    for (std::size_t r = 0; r < table.recordCount(); ++r)
        if (!table.isNull(r, static_cast<std::size_t>(dictionary)))
            names.insert(table.text(r, static_cast<std::size_t>(dictionary)));
    writeStdout("entradas " + std::to_string(names.size()) + "\nreferencias " + std::to_string(table.recordCount())
                + "\n");
    return kOk;
}

// A whole number as the program writes it, for the scripts that state figures
// (such as the build of the help document).
int number(const std::string& text)
{
    const std::optional<std::int32_t> value = catalogue::parseInteger(text);
    if (!value)
        throw Rejected{"'" + text + "' no es un número entero."};
    writeStdout(catalogue::formatInteger(*value) + '\n');
    return kOk;
}

int usage(const char* problem)
{
    if (problem)
        std::fprintf(stderr, "poblacion-tool: %s\n", problem);
    std::fputs(kUsageText, stderr);
    return kUsage;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usage(nullptr);
    const std::string& command = args[0];
    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(kUsageText, stdout);
        return kOk;
    }
    try {
        if (command == "dump") {
            if (args.size() != 2)
                return usage("dump necesita un argumento: el paquete.");
            return dump(args[1]);
        }
        if (command == "build") {
            if (args.size() != 3)
                return usage("build necesita dos argumentos: el CSV y el paquete.");
            return build(args[1], args[2]);
        }
        if (command == "filter") {
            if (args.size() == 3)
                return filter(args[1], args[2], nullptr);
            if (args.size() == 5 && args[3] == "--order")
                return filter(args[1], args[2], &args[4]);
            return usage("filter necesita el paquete y la expresión, y opcionalmente --order CAMPO.");
        }
        if (command == "counts") {
            if (args.size() != 2)
                return usage("counts necesita un argumento: el paquete.");
            return counts(args[1]);
        }
        if (command == "number") {
            if (args.size() != 2)
                return usage("number necesita un argumento: el número.");
            return number(args[1]);
        }
        return usage(("orden desconocida: " + command).c_str());
    } catch (const Rejected& e) {
        std::fprintf(stderr, "poblacion-tool: %s\n", e.message.c_str());
        return kRejected;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "poblacion-tool: %s\n", e.what());
        return kRejected;
    }
}
