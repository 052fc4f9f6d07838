#include "notes.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <set>
#include <utility>

#include "cp1252.h"
#include "names.h"
#include "numbers.h"

namespace convert {

namespace cp1252 = catalogue::cp1252;

namespace {

// "a", "a y b", "a, b y c"; "e" in place of "y" before a word that begins with the sound i.
std::string joinList(const std::vector<std::string>& items)
{
    std::string out;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (k > 0 && k + 1 < items.size()) {
            out += ", ";
        } else if (k > 0) {
            const std::string& next = items[k];
            const bool iSound = next.starts_with("I") || next.starts_with("Í")
                                || ((next.starts_with("Hi") || next.starts_with("Hí"))
                                    && std::string_view("aeiouáéíóú").find(next[2]) == std::string_view::npos);
            out += iSound ? " e " : " y ";
        }
        out += items[k];
    }
    return out;
}

std::string people(std::uint64_t n)
{
    return catalogue::formatInteger(n) + (n == 1 ? " habitante" : " habitantes");
}

// "1900 a 1960" for a run of consecutive censuses, else "1900, 1920 y 1930".
std::string censusList(const std::vector<std::size_t>& years)
{
    if (years.size() > 2 && years.back() - years.front() + 1 == years.size())
        return std::string(kYears[years.front()]) + " a " + std::string(kYears[years.back()]);
    std::vector<std::string> names;
    for (std::size_t k : years)
        names.emplace_back(kYears[k]);
    return joinList(names);
}

// The censuses (by index) at which a municipality has a figure.
std::vector<std::size_t> censusesWithFigure(const Figures& figures)
{
    std::vector<std::size_t> present;
    for (std::size_t k = 0; k < kCensusCount; ++k)
        if (figures[k])
            present.push_back(k);
    return present;
}

std::string censuses(const std::vector<std::size_t>& years)
{
    return (years.size() == 1 ? "el censo de " : "los censos de ") + censusList(years);
}

// " Su mayor población censal, N habitantes, corresponde al censo de Y."
std::string largestPopulation(const Figures& figures)
{
    Figure largest;
    for (std::size_t k = 0; k < kCensusCount; ++k)
        if (figures[k] && (!largest || *figures[k] > *largest))
            largest = figures[k];
    if (!largest)
        return "";
    if (*largest == 0)
        return " Todos sus censos con cifra dan 0 habitantes.";
    std::vector<std::size_t> peak;
    for (std::size_t k = 0; k < kCensusCount; ++k)
        if (figures[k] == largest)
            peak.push_back(k);
    return " Su mayor población censal, " + people(*largest) + ", corresponde "
           + (peak.size() == 1 ? "al censo de " : "a los censos de ") + censusList(peak) + ".";
}

// What a current municipality's note says when the padrón of 2004 has no
// figure of its own for it.
constexpr std::string_view kNoFigureIn2004 = " El padrón municipal de 2004 no da cifra propia de este municipio.";

// The current municipalities created after the padrón of 2004, with the year:
// the tables give no year of creation (the data folder's README does).
constexpr std::pair<std::string_view, std::string_view> kCreatedAfter2004[] = {{"50903", "2006"}};

std::optional<std::string> yearCreated(std::string_view ine)
{
    for (const auto& [code, year] : kCreatedAfter2004)
        if (code == ine)
            return std::string(year);
    return std::nullopt;
}

// The current municipalities that INE's municipal register spells otherwise
// than the nomenclátor, whose spelling (that of their entities) the table and
// the catalogue follow: the note gives INE's too, so that a reader who knows
// one form meets the other (the data folder's README lists them).
constexpr std::pair<std::string_view, std::string_view> kIneSpelling[] = {
    {"22006", "Aisa"}, {"22043", "Baélls"}, {"22075", "Camporrélls"}, {"22908", "Hoz y Costean"}, {"50241", "Sabiñán"}};

std::string currentNote(const std::string& ine, const Current& m)
{
    std::string note = "Municipio de la provincia de " + m.province + ", con el código INE " + ine + ".";
    for (const auto& [code, spelling] : kIneSpelling)
        if (code == ine && cp1252::toUtf8(m.dictionary) != spelling)
            note.append(" El INE lo escribe ").append(spelling).append(".");
    std::vector<std::size_t> missing;
    for (std::size_t k = 0; k < kCensusCount; ++k)
        if (!m.figures[k])
            missing.push_back(k);
    if (missing.size() == kCensusCount)
        note += " Sin cifra de población en ninguno de los censos de 1900 a 2001.";
    else if (!missing.empty())
        note += " Sin cifra de población en " + censuses(missing) + ".";
    note += largestPopulation(m.figures);
    const Figure& register2004 = m.figures[kCensusCount];
    if (!register2004)
        note += kNoFigureIn2004;
    else if (*register2004 == 0)
        note += " En el padrón municipal de 2004 no tenía habitantes.";
    else
        note += " En el padrón municipal de 2004 tenía " + people(*register2004) + ".";
    return note;
}

// A municipality that a change names, as this catalogue knows it.
struct Target {
    enum class Kind {
        Successor,  // a current municipality that holds the territory today
        Current,    // another current municipality
        Historical, // a historical municipality of the catalogue
        Renamed,    // a successor that INE names as it was called then ("Torla", today Torla-Ordesa)
        Unknown,    // none of the catalogue's ("Secorun")
    };
    Kind kind = Kind::Unknown;
    std::string ine;  // the municipality's INE code; empty for Unknown
    std::string name; // UTF-8, as a sentence writes it: the catalogue's name, INE's for Renamed and Unknown
};

// The target of a change: a municipality of the catalogue whose name is INE's
// but for accents and articles (a successor first, then any current one, then
// a single historical one); else a successor whose name begins with INE's, or
// INE's with its (renamed since); else unknown.
Target resolve(const Change& change, const Historical& h, const std::vector<Historical>& all, const CurrentMap& current)
{
    const std::vector<std::string> words = nameWords(change.target);
    for (const std::string& ine : h.successors)
        if (nameWords(current.at(ine).dictionary) == words)
            return {Target::Kind::Successor, ine, inProse(current.at(ine).dictionary)};
    for (const auto& [ine, m] : current)
        if (nameWords(m.dictionary) == words)
            return {Target::Kind::Current, ine, inProse(m.dictionary)};
    std::vector<const Historical*> historical;
    for (const Historical& other : all)
        if (&other != &h && nameWords(other.dictionary) == words)
            historical.push_back(&other);
    if (historical.size() == 1)
        return {Target::Kind::Historical, historical.front()->ine, inProse(historical.front()->dictionary)};
    std::vector<std::string> renamed;
    for (const std::string& ine : h.successors) {
        const std::vector<std::string> today = nameWords(current.at(ine).dictionary);
        const std::size_t n = std::min(today.size(), words.size());
        if (n > 0 && std::equal(today.begin(), today.begin() + static_cast<std::ptrdiff_t>(n), words.begin()))
            renamed.push_back(ine);
    }
    const std::string asIne = inProse(dictionaryName(change.target));
    if (renamed.size() == 1)
        return {Target::Kind::Renamed, renamed.front(), asIne};
    return {Target::Kind::Unknown, "", asIne};
}

// A name in a sentence, and whether an apposition follows it ("Aínsa, otro
// municipio histórico"), which a list closes with a comma before its "y".
struct Named {
    std::string text;
    bool apposition = false;
};

std::string joinNamed(const std::vector<Named>& items)
{
    std::vector<std::string> texts;
    for (std::size_t k = 0; k < items.size(); ++k)
        texts.push_back(items[k].text + (items[k].apposition && k + 2 == items.size() ? "," : ""));
    return joinList(texts);
}

// The sentence of what became of a historical municipality: the change that
// ended it, the municipalities it went into as the catalogue names them (and,
// in a fusion, those that went into the new one with it), and the current
// municipalities that hold its territory when those named are not they.
std::string fate(const Historical& h, const std::vector<Historical>& all, const CurrentMap& current)
{
    using TargetKind = Target::Kind;
    const Change& change = h.changes.front();
    std::vector<Target> targets;
    for (const Change& c : h.changes) {
        Target t = resolve(c, h, all, current);
        if (std::none_of(targets.begin(), targets.end(), [&](const Target& u) { return u.name == t.name; }))
            targets.push_back(std::move(t));
    }

    // A fusion: the municipalities merged into the new one with it, or, when
    // none did, those divided with a part into it (Javierregay's, with Santa
    // Engracia, in Puente la Reina de Jaca).
    std::vector<std::string> merged, parts;
    std::vector<const Historical*> members{&h};
    if (change.type == "EF") {
        for (const Historical& other : all)
            for (const Change& c : other.changes)
                if (&other != &h && c.year == change.year && nameWords(c.target) == nameWords(change.target)) {
                    if (c.type == "EF") {
                        merged.push_back(inProse(other.dictionary));
                        members.push_back(&other);
                    } else if (c.type == "ER" || c.type == "ED") {
                        parts.push_back("parte de " + inProse(other.dictionary));
                    }
                }
        if (merged.empty())
            merged = parts;
        // A new municipality that the catalogue does not hold by name (Veracruz)
        // is its members' one successor when that successor holds their
        // territory and no other: it has no other historical municipality, and
        // its census figures are their sums.
        const std::string& successor = h.successors.front();
        bool same = targets.front().kind == TargetKind::Unknown && h.successors.size() == 1;
        for (const Historical* m : members)
            same = same && m->successors == h.successors;
        for (const Historical& other : all)
            same = same
                   && (std::find(members.begin(), members.end(), &other) != members.end()
                       || std::find(other.successors.begin(), other.successors.end(), successor) == other.successors.end());
        std::size_t summed = 0;
        for (std::size_t k = 0; same && k < kCensusCount; ++k) {
            std::uint64_t sum = 0;
            bool everyone = true;
            for (const Historical* m : members) {
                everyone = everyone && m->figures[k];
                sum += m->figures[k].value_or(0);
            }
            if (everyone) {
                same = current.at(successor).figures[k] == sum;
                ++summed;
            }
        }
        if (same && summed > 0)
            targets.front() = {TargetKind::Renamed, successor, targets.front().name};
    }

    const auto sameName = [&](const std::string& ine) {
        return nameWords(current.at(ine).dictionary) == nameWords(h.dictionary);
    };
    const bool allHistorical = targets.size() > 1 && std::all_of(targets.begin(), targets.end(), [](const Target& t) {
                                   return t.kind == TargetKind::Historical;
                               });
    std::vector<Named> names;
    for (const Target& t : targets) {
        if (t.kind == TargetKind::Historical && !allHistorical)
            names.push_back({t.name + ", otro municipio histórico", true});
        else if (t.kind == TargetKind::Renamed)
            names.push_back({t.name + ", que hoy se llama " + inProse(current.at(t.ine).dictionary)
                                 + (sameName(t.ine) ? ", como este municipio histórico" : ""),
                             true});
        else if (t.kind == TargetKind::Unknown)
            names.push_back({t.name + " (así lo escribe el INE), un municipio que este catálogo no recoge", true});
        else
            names.push_back({t.name, false});
    }

    std::string text = " Antes del censo de " + change.year + " ";
    if (change.type == "ER" || change.type == "ED") {
        const bool divided =
            std::any_of(h.changes.begin(), h.changes.end(), [](const Change& c) { return c.type == "ED"; });
        text += divided ? "se dividió entre " : "se repartió entre ";
        if (names.size() == 1)
            text += names.front().text + (names.front().apposition ? "," : "") + " y otros municipios";
        else
            text += joinNamed(names) + (allHistorical ? ", municipios históricos" : "");
    } else if (change.type == "EI") {
        text += "se integró en " + names.front().text;
    } else if (change.type == "EF") {
        text += "se fusionó con " + (merged.empty() ? std::string("otros municipios") : joinList(merged))
                + " en el nuevo municipio de " + names.front().text;
    } else {
        text += "pasó a figurar con el nombre y el código de " + names.front().text;
    }

    // Today's municipalities, unless those named are all of them.
    std::set<std::string> named;
    for (const Target& t : targets)
        if (t.kind == TargetKind::Successor || t.kind == TargetKind::Renamed)
            named.insert(t.ine);
    if (named == std::set<std::string>(h.successors.begin(), h.successors.end()))
        return text + ".";
    if (const auto year = yearCreated(h.successors.front()); year && h.successors.size() == 1)
        for (const Target& t : targets)
            if (t.kind == TargetKind::Current)
                return text + "; su territorio, parte de " + t.name + " hasta " + *year + ", es hoy el municipio de "
                       + inProse(current.at(h.successors.front()).dictionary) + ".";
    std::vector<Named> today;
    for (const std::string& ine : h.successors)
        today.push_back(sameName(ine) ? Named{inProse(current.at(ine).dictionary) + ", el municipio actual del mismo nombre", true}
                                      : Named{inProse(current.at(ine).dictionary), false});
    return text + "; su territorio pertenece hoy a " + joinNamed(today) + ".";
}

std::string historicalNote(const Historical& h, const std::vector<Historical>& all, const CurrentMap& current)
{
    return "Municipio histórico de la provincia de " + h.province + ", con el código INE " + h.ine
           + ". Figura como municipio en " + censuses(censusesWithFigure(h.figures)) + "." + fate(h, all, current)
           + largestPopulation(h.figures);
}

// A territory that went into another current municipality and became a
// municipality of its own after the padrón of 2004 (Villamayor, part of
// Zaragoza until Villamayor de Gállego was created): the notes of both current
// municipalities, given by INE code, say which of their figures count it.
void addTerritoryNotes(const Historical& h, const std::vector<Historical>& all, const CurrentMap& current,
                       std::map<std::string, std::string>& currentNotes)
{
    const auto year = h.successors.size() == 1 ? yearCreated(h.successors.front()) : std::nullopt;
    const Target into = resolve(h.changes.front(), h, all, current);
    if (!year || into.kind != Target::Kind::Current || h.changes.front().type != "EI")
        return;
    const Current& made = current.at(h.successors.front());
    const Current& holder = current.at(into.ine);
    std::string& madeNote = currentNotes.at(h.successors.front());
    if (made.figures[kCensusCount] || !holder.figures[kCensusCount] || !madeNote.ends_with(kNoFigureIn2004))
        return;
    madeNote.erase(madeNote.size() - kNoFigureIn2004.size());
    madeNote += " Sus cifras son las de su territorio actual, que fue el municipio de " + inProse(h.dictionary) + " en "
                + censuses(censusesWithFigure(h.figures)) + " y, desde antes del de " + h.changes.front().year
                + " hasta " + *year + ", parte de " + into.name + "; el padrón municipal de 2004 lo cuenta dentro de "
                + into.name + ".";
    currentNotes.at(into.ine) += " Sus cifras de los censos de 1900 a 2001 no incluyen el territorio de "
                                 + inProse(made.dictionary) + ", municipio aparte desde " + *year
                                 + "; la del padrón municipal de 2004 sí lo incluye.";
}

// The note of an entity or núcleo: the place, why the census fields hold no
// figure (the sources of this catalogue have none by entity or núcleo before
// 2015; others may) and the latest padrón, with the table it comes from.
std::string placeNote(const Place& place, const std::string& lead, const char* by, const char* inhabited,
                      const Sources& sources)
{
    const Current& m = sources.current.at(place.municipality);
    const std::set<std::string>& years = sources.nomenclator.years;
    std::string text = lead + inProse(m.dictionary) + ", en la provincia de " + m.province
                       + ". Las fuentes de este catálogo no dan cifras por " + by
                       + " de 1900 a 2004. Según el Nomenclátor del IAEST, en el padrón de " + place.year + " tenía "
                       + people(place.people);
    const std::vector<std::string> later(years.upper_bound(place.year), years.end());
    if (!later.empty())
        text += ", y no figura como " + std::string(inhabited) + (later.size() == 1 ? " en el de " : " en los de ")
                + joinList(later);
    return text + ".";
}

} // namespace

std::vector<Unit> composeUnits(const Sources& sources)
{
    const CurrentMap& current = sources.current;
    const std::vector<Historical>& all = sources.historical;
    std::vector<Unit> units;

    std::map<std::string, std::string> currentNotes; // by INE code
    for (const auto& [ine, m] : current)
        currentNotes[ine] = currentNote(ine, m);
    for (const Historical& h : all)
        addTerritoryNotes(h, all, current, currentNotes);
    for (const std::string& ine : sources.currentInTableOrder) {
        const Current& m = current.at(ine);
        units.push_back({kMunicipality, ine, sources.currentFile, m.line, m.dictionary, m.dictionary,
                         currentNotes.at(ine), m.figures});
    }
    for (const Historical& h : all) {
        Unit unit{kMunicipality, h.ine, sources.historicalFile, h.line, h.dictionary, h.dictionary,
                  historicalNote(h, all, current), h.figures};
        // Named as another municipality (Biel, Beranuy, Used), it is told apart
        // in the list: "Biel -- municipio histórico".
        if (std::any_of(current.begin(), current.end(), [&](const auto& c) { return c.second.dictionary == h.dictionary; })
            || std::any_of(all.begin(), all.end(),
                           [&](const Historical& other) { return &other != &h && other.dictionary == h.dictionary; }))
            unit.display += cp1252::fromUtf8(" -- municipio histórico").value();
        units.push_back(std::move(unit));
    }

    // Entities that share a dictionary name are told apart in the lists by
    // their municipality: "Name -- Municipality".
    const Nomenclator& places = sources.nomenclator;
    std::map<std::string, int> uses;
    for (const auto& [code, entity] : places.entities)
        uses[entity.dictionary] += places.recoded.count(code) ? 0 : 1;
    for (const auto& [code, entity] : places.entities) {
        if (places.recoded.count(code))
            continue;
        Unit unit{kEntity, code, sources.nomenclatorFile, entity.line, entity.dictionary, entity.dictionary, "", {}};
        if (uses[entity.dictionary] > 1)
            unit.display += " -- " + current.at(entity.municipality).dictionary;
        unit.note = placeNote(entity, "Entidad de población con el código " + code + ", del municipio de ", "entidad",
                              "habitada", sources);
        units.push_back(std::move(unit));
    }
    for (const auto& [code, nucleus] : places.nuclei) {
        Unit unit{kNucleus, code, sources.nomenclatorFile, nucleus.line, nucleus.dictionary, nucleus.dictionary, "", {}};
        // "de la entidad El Tozal del municipio de El Grado"; "de la entidad y el
        // municipio de Ejea de los Caballeros" when they share the name.
        const std::string& entity = places.entities.at(nucleus.entity).dictionary;
        const std::string of = entity == current.at(nucleus.municipality).dictionary
                                   ? "de la entidad y el municipio de "
                                   : "de la entidad " + inProse(entity) + " del municipio de ";
        unit.note = placeNote(nucleus, "Núcleo de población con el código " + code + ", " + of, "núcleo", "habitado",
                              sources);
        if (const auto before = places.entityBefore.find(code); before != places.entityBefore.end()) {
            const Place& asEntity = places.entities.at(before->second);
            unit.note += " Hasta el padrón de " + asEntity.year + " figuró como entidad, con el código " + before->second
                         + " y " + people(asEntity.people) + ".";
        }
        units.push_back(std::move(unit));
    }
    return units;
}

} // namespace convert
