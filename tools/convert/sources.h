#pragma once
// The four source tables, read and checked: what each says of the
// municipalities, entities and núcleos, and the problems found in them, each
// with its file and line. A row with a problem is left out; the converter
// writes nothing when there is any.

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "record.h"

namespace convert {

class Problems {
public:
    void add(const std::string& file, std::size_t line, const std::string& message)
    {
        messages_.push_back(file + ':' + std::to_string(line) + ": " + message);
    }
    void add(const std::string& file, const std::string& message) { messages_.push_back(file + ": " + message); }
    bool empty() const { return messages_.empty(); }
    const std::vector<std::string>& messages() const { return messages_; }

private:
    std::vector<std::string> messages_;
};

// A cell as it may be shown in a message: between « », bytes that are not
// UTF-8 written as \xNN.
std::string shown(std::string_view cell);

// A current municipality, from MUNICIPIOS.csv.
struct Current {
    std::size_t line = 0;
    std::string dictionary; // cp1252
    std::string province;
    Figures figures{};
    std::string comarcaCode; // "01" … "33", from COMARCAS.csv
    std::string comarca;     // UTF-8, as IAEST names it
};
using CurrentMap = std::map<std::string, Current>; // by INE code

// A change that ended a historical municipality, from the cell `alteracion`.
struct Change {
    std::string year;
    std::string type;   // EI, EF, ER, ED or EC
    std::string target;      // cp1252, as INE writes it
    std::string destination; // INE code of the municipality it names, from `destino_ine`
};

// A municipality of 1900-2001 that no longer exists, from HISTORICOS.csv.
struct Historical {
    std::size_t line = 0;
    std::string ine;
    std::string province;
    std::string dictionary;              // cp1252
    std::vector<std::string> successors; // INE codes of current municipalities
    std::vector<Change> changes;
    Figures figures{};
};

// An entity or núcleo of NOMENCLATOR.csv, as the row of its latest year gives it.
struct Place {
    std::size_t line = 0;
    std::string year;         // its latest padrón
    std::string first;        // its first padrón (kept for núcleos)
    std::string municipality; // INE code
    std::string entity;       // the code of its entity (of a núcleo; an entity's own)
    std::string dictionary;   // cp1252
    std::uint64_t people = 0; // in its latest padrón, with an entity's núcleos and diseminados
};

struct Nomenclator {
    std::map<std::string, Place> entities, nuclei; // by code
    std::set<std::string> years;                    // of the padrones in the table
    // A place that the nomenclátor recodes, an entity that leaves it while a
    // núcleo of the same name appears later in the same municipality: the
    // entity's code by the núcleo's.
    std::map<std::string, std::string> entityBefore;
    std::set<std::string> recoded; // the entities of entityBefore
};

struct Sources {
    std::string currentFile, historicalFile, nomenclatorFile, comarcaFile;
    CurrentMap current;
    std::vector<std::string> currentInTableOrder; // INE codes
    std::vector<Historical> historical;          // in table order
    Nomenclator nomenclator;
};

// Reads the four tables, given by path: the comarca of each current
// municipality comes from the fourth.
Sources readSources(const std::string& currentPath, const std::string& historicalPath,
                    const std::string& nomenclatorPath, const std::string& comarcaPath, Problems& problems);

} // namespace convert
