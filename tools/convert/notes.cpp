#include "notes.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <set>
#include <utility>

#include "cp1252.h"
#include "names.h"
#include "numbers.h"
#include "territory.h"

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

// " Su mayor población censal, N habitantes, es la de Y."
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
    if (censusesWithFigure(figures).size() == 1)
        for (std::size_t k = 0; k < kCensusCount; ++k)
            if (figures[k])
                return " Su única cifra censal, " + people(*largest) + ", es la de " + std::string(kYears[k]) + ".";
    std::vector<std::size_t> peak;
    for (std::size_t k = 0; k < kCensusCount; ++k)
        if (figures[k] == largest)
            peak.push_back(k);
    return " Su mayor población censal, " + people(*largest) + ", es la de "
           + (peak.size() == 1 ? "" : "los censos de ") + censusList(peak) + ".";
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
    // As IAEST names them: "la comarca de Sobrarbe", "la Comarca Central", "la
    // Comunidad de Calatayud".
    note += " Forma parte de la " + catalogue::comarcaTitle(m.comarca) + ".";
    if (missing.size() == kCensusCount)
        note += " La serie no da su población en ninguno de los censos de 1900 a 2001.";
    else if (!missing.empty())
        note += " La serie no da su población en " + censuses(missing) + ".";
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

// Where the figures contradict the table: the historical municipalities that
// it places wholly in one current municipality (`members`, with that single
// successor) add up, at some census, to more than the current municipality's
// figure within its present boundaries, which counts their territory and its
// own. Their territory is then only in part that municipality's: "en su mayor
// parte" while the excess is at most half of what they add up to at every such
// census, "en parte" otherwise.
struct Hedge {
    std::vector<const Historical*> members;
    std::size_t census = 0;    // the first at which they add up to more
    std::uint64_t excess = 0;  // by how much, then
    bool mostly = true;
};
using Hedges = std::map<std::string, Hedge>; // by the current municipality's INE code

Hedges hedgesOf(const std::vector<Historical>& all, const CurrentMap& current)
{
    Hedges hedges;
    std::map<std::string, std::vector<const Historical*>> wholly;
    for (const Historical& h : all)
        if (h.successors.size() == 1)
            wholly[h.successors.front()].push_back(&h);
    for (const auto& [ine, members] : wholly) {
        const Current& m = current.at(ine);
        Hedge hedge{members, kCensusCount, 0, true};
        for (std::size_t k = 0; k < kCensusCount; ++k) {
            std::uint64_t sum = 0;
            bool any = false;
            for (const Historical* h : members)
                if (h->figures[k]) {
                    sum += *h->figures[k];
                    any = true;
                }
            if (!any || !m.figures[k] || sum <= *m.figures[k])
                continue;
            const std::uint64_t excess = sum - *m.figures[k];
            if (hedge.census == kCensusCount)
                hedge = {members, k, excess, true};
            hedge.mostly = hedge.mostly && 2 * excess <= sum;
        }
        if (hedge.census != kCensusCount)
            hedges[ine] = hedge;
    }
    return hedges;
}

const char* share(const Hedge& hedge)
{
    return hedge.mostly ? "en su mayor parte" : "en parte";
}

// A municipality that a change names, found by its code (`destino_ine`).
struct Target {
    enum class Kind {
        Successor,  // a current municipality that holds the territory today
        Current,    // another current municipality
        Historical, // a historical municipality of the catalogue
    };
    Kind kind = Kind::Current;
    std::string ine;
    std::string name; // UTF-8, as a sentence writes the catalogue's name
    // INE's name of the time, where its words are not the catalogue's ("Torla"
    // for Torla-Ordesa, "Secorun" for Laguarta, "Veracruz" for Beranuy).
    std::string then;
    // Where INE's words are those of another municipality of the catalogue
    // (Sinués went into Aísa, which INE's record calls Aínsa): that one, as a
    // sentence names it, marked when historical.
    std::string otherwise;
};

Target resolve(const Change& change, const Historical& h, const std::vector<Historical>& all, const CurrentMap& current)
{
    Target t;
    t.ine = change.destination;
    std::string dictionary;
    if (const auto it = current.find(change.destination); it != current.end()) {
        const bool successor =
            std::find(h.successors.begin(), h.successors.end(), change.destination) != h.successors.end();
        t.kind = successor ? Target::Kind::Successor : Target::Kind::Current;
        dictionary = it->second.dictionary;
    } else {
        t.kind = Target::Kind::Historical;
        const auto other = std::find_if(all.begin(), all.end(), [&](const Historical& o) { return o.ine == t.ine; });
        dictionary = other != all.end() ? other->dictionary : change.target;
    }
    t.name = inProse(dictionary);
    const std::vector<std::string> words = nameWords(change.target);
    if (words == nameWords(dictionary))
        return t;
    for (const auto& [ine, m] : current)
        if (ine != t.ine && nameWords(m.dictionary) == words)
            t.otherwise = inProse(m.dictionary);
    for (const Historical& other : all)
        if (other.ine != t.ine && &other != &h && nameWords(other.dictionary) == words)
            t.otherwise = inProse(other.dictionary) + ", otro municipio histórico";
    if (t.otherwise.empty())
        t.then = inProse(dictionaryName(change.target));
    return t;
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

// Historical municipalities as one list: "el municipio histórico de Sin y
// Salinas", "los municipios históricos de Lascasas y Monflorite"; each with
// its "de" where a name holds "y", so that it reads as one.
std::string historicalList(const std::vector<std::string>& names, const char* one, const char* several)
{
    if (names.size() == 1)
        return std::string(one) + names.front();
    const bool joined = std::any_of(names.begin(), names.end(), [](const std::string& name) {
        return name.find(" y ") != std::string::npos || name.find(" e ") != std::string::npos;
    });
    std::vector<std::string> each;
    for (std::size_t k = 0; k < names.size(); ++k)
        each.push_back((k == 0 || !joined ? "" : "de ") + names[k]);
    return std::string(several) + joinList(each);
}

// The sentence of what became of a historical municipality: the change that
// ended it, the municipality it went into by code, as the catalogue names it
// (with INE's name of the time where that differs) and, in a fusion, those that
// went into the new one with it; then the current municipalities that hold its
// territory when those named are not they, in part where the figures say so.
std::string fate(const Historical& h, const std::vector<Historical>& all, const CurrentMap& current,
                 const Hedge* hedge)
{
    using TargetKind = Target::Kind;
    const Change& change = h.changes.front();
    std::vector<Target> targets;
    for (const Change& c : h.changes) {
        Target t = resolve(c, h, all, current);
        if (std::none_of(targets.begin(), targets.end(), [&](const Target& u) { return u.ine == t.ine; }))
            targets.push_back(std::move(t));
    }

    // A fusion: the municipalities merged into the same new one with it, or,
    // when none did, those divided with a part into it (Javierregay's, with
    // Santa Engracia, in Puente la Reina de Jaca).
    std::vector<std::string> merged, parts;
    if (change.type == "EF")
        for (const Historical& other : all)
            for (const Change& c : other.changes)
                if (&other != &h && c.year == change.year && c.destination == change.destination) {
                    if (c.type == "EF")
                        merged.push_back(inProse(other.dictionary));
                    else if (c.type == "ER" || c.type == "ED")
                        parts.push_back(inProse(other.dictionary));
                }

    const auto sameName = [&](const std::string& ine) {
        return nameWords(current.at(ine).dictionary) == nameWords(h.dictionary);
    };
    const bool allHistorical = targets.size() > 1 && std::all_of(targets.begin(), targets.end(), [](const Target& t) {
                                   return t.kind == TargetKind::Historical && t.then.empty();
                               });
    std::vector<Named> names;
    for (const Target& t : targets) {
        if (!t.otherwise.empty())
            names.push_back({t.name + " (el registro del INE dice " + t.otherwise + ")", false});
        else if (t.kind == TargetKind::Historical && !t.then.empty())
            names.push_back({t.then + ", el municipio histórico que este catálogo llama " + t.name, true});
        else if (t.kind == TargetKind::Historical && !allHistorical)
            names.push_back({t.name + ", otro municipio histórico", true});
        else if (!t.then.empty())
            names.push_back({t.then + ", que hoy se llama " + t.name
                                 + (t.kind != TargetKind::Historical && sameName(t.ine) ? ", como este municipio histórico"
                                                                                        : ""),
                             true});
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
        std::string with = "otros municipios";
        if (!merged.empty())
            with = historicalList(merged, "el municipio histórico de ", "los municipios históricos de ");
        else if (!parts.empty())
            with = historicalList(parts, "parte del municipio histórico de ", "partes de los municipios históricos de ");
        const Target& into = targets.front();
        text += "se fusionó con " + with + " en el nuevo municipio de "
                + (into.kind == TargetKind::Historical && into.then.empty() ? into.name + ", también histórico"
                                                                              : names.front().text);
    } else {
        text += "pasó a figurar con el nombre y el código de " + names.front().text;
    }

    // Today's municipalities, unless those named are all of them and the
    // figures do not contradict it.
    std::set<std::string> named;
    for (const Target& t : targets)
        if (t.kind == TargetKind::Successor)
            named.insert(t.ine);
    const std::string hedged = hedge ? std::string(share(*hedge)) + " " : "";
    const bool allNamed = named == std::set<std::string>(h.successors.begin(), h.successors.end());
    if (allNamed && !hedge)
        return text + ".";
    if (allNamed && named.size() == 1)
        return text + ", al que hoy pertenece " + (hedge->mostly ? "la mayor parte" : "parte") + " de su territorio.";
    if (const auto year = yearCreated(h.successors.front()); year && h.successors.size() == 1)
        for (const Target& t : targets)
            if (t.kind == TargetKind::Current)
                return text + "; su territorio, parte de " + t.name + " hasta " + *year + ", es hoy " + hedged
                       + "el municipio de " + inProse(current.at(h.successors.front()).dictionary) + ".";
    // Each with its "a" where a name holds "y": "a Monesma y Cajigar y a Isábena".
    const bool joined = h.successors.size() > 1 && std::any_of(h.successors.begin(), h.successors.end(), [&](const std::string& ine) {
                            const std::string name = inProse(current.at(ine).dictionary);
                            return name.find(" y ") != std::string::npos || name.find(" e ") != std::string::npos;
                        });
    std::vector<Named> today;
    for (const std::string& ine : h.successors) {
        const std::string name = (joined && !today.empty() ? "a " : "") + inProse(current.at(ine).dictionary);
        today.push_back(sameName(ine) ? Named{name + ", el municipio actual del mismo nombre", true} : Named{name, false});
    }
    return text + "; su territorio pertenece hoy " + hedged + "a " + joinNamed(today) + ".";
}

std::string historicalNote(const Historical& h, const std::vector<Historical>& all, const CurrentMap& current,
                           const Hedges& hedges)
{
    const auto hedge = h.successors.size() == 1 ? hedges.find(h.successors.front()) : hedges.end();
    return "Municipio histórico de la provincia de " + h.province + ", con el código INE " + h.ine
           + ". Figura como municipio en " + censuses(censusesWithFigure(h.figures)) + "."
           + fate(h, all, current, hedge == hedges.end() ? nullptr : &hedge->second) + largestPopulation(h.figures);
}

// A territory that went into another current municipality and became a
// municipality of its own after the padrón of 2004 (Villamayor, part of
// Zaragoza until Villamayor de Gállego was created): the notes of both current
// municipalities, given by INE code, say which of their figures count it.
void addTerritoryNotes(const Historical& h, const std::vector<Historical>& all, const CurrentMap& current,
                       const Hedges& hedges, std::map<std::string, std::string>& currentNotes)
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
    if (hedges.count(h.successors.front()))
        madeNote += " Fue parte de " + into.name + " hasta " + *year + "; el padrón de 2004 lo cuenta allí.";
    else
        madeNote += " Sus cifras son las de su territorio actual, que fue el municipio de " + inProse(h.dictionary)
                    + " en " + censuses(censusesWithFigure(h.figures)) + " y, desde antes del de "
                    + h.changes.front().year + " hasta " + *year + ", parte de " + into.name
                    + "; el padrón municipal de 2004 lo cuenta dentro de " + into.name + ".";
    currentNotes.at(into.ine) += " Sus cifras censales no incluyen el territorio de " + inProse(made.dictionary)
                                 + ", municipio aparte desde " + *year + "; la del padrón de 2004, sí.";
}

// What a current municipality's note says of the historical ones whose
// figures add up to more than its own: "Comprende la mayor parte del
// territorio de los municipios históricos de Lascasas y Monflorite, que en 1900
// sumaban 81 habitantes más."
std::string hedgeSentence(const Hedge& hedge)
{
    std::vector<const Historical*> members = hedge.members;
    std::sort(members.begin(), members.end(),
              [](const Historical* a, const Historical* b) { return nameWords(a->dictionary) < nameWords(b->dictionary); });
    std::vector<std::string> names;
    for (const Historical* m : members)
        names.push_back(inProse(m->dictionary));
    return " Comprende " + std::string(hedge.mostly ? "la mayor parte" : "parte") + " del territorio "
           + historicalList(names, "del municipio histórico de ", "de los municipios históricos de ") + ", que en "
           + std::string(kYears[hedge.census]) + (names.size() == 1 ? " tenía " : " sumaban ") + people(hedge.excess)
           + " más.";
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

std::vector<std::string> hedgedTerritories(const Sources& sources)
{
    std::vector<std::string> out;
    for (const auto& [ine, hedge] : hedgesOf(sources.historical, sources.current)) {
        std::vector<std::string> names;
        for (const Historical* m : hedge.members)
            names.push_back(inProse(m->dictionary) + " (" + m->ine + ")");
        out.push_back(joinList(names) + (names.size() == 1 ? " tenía " : " sumaban ") + people(hedge.excess)
                      + " más que " + inProse(sources.current.at(ine).dictionary) + " (" + ine + ") en "
                      + std::string(kYears[hedge.census]) + ": su territorio es " + share(hedge) + " el de " + ine);
    }
    return out;
}

std::vector<Unit> composeUnits(const Sources& sources)
{
    const CurrentMap& current = sources.current;
    const std::vector<Historical>& all = sources.historical;
    std::vector<Unit> units;

    const Hedges hedges = hedgesOf(all, current);
    std::map<std::string, std::string> currentNotes; // by INE code
    for (const auto& [ine, m] : current)
        currentNotes[ine] = currentNote(ine, m);
    for (const Historical& h : all)
        addTerritoryNotes(h, all, current, hedges, currentNotes);
    for (const auto& [ine, hedge] : hedges)
        currentNotes.at(ine) += hedgeSentence(hedge);
    for (const std::string& ine : sources.currentInTableOrder) {
        const Current& m = current.at(ine);
        units.push_back({kMunicipality, ine, sources.currentFile, m.line, m.dictionary, m.dictionary,
                         currentNotes.at(ine), m.figures});
    }
    for (const Historical& h : all) {
        Unit unit{kMunicipality, h.ine, sources.historicalFile, h.line, h.dictionary, h.dictionary,
                  historicalNote(h, all, current, hedges), h.figures};
        // Told apart from today's in the lists, in the longest form its
        // display name has room for: "Aínsa -- municipio histórico".
        for (const char* mark : {" -- municipio histórico", " -- mun. histórico", " -- histórico", " -- hist."}) {
            const std::string marked = h.dictionary + cp1252::fromUtf8(mark).value();
            if (marked.size() <= kDisplayWidth) {
                unit.display = marked;
                break;
            }
        }
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
        // "de la entidad El Tozal, del municipio de El Grado"; "de la entidad y el
        // municipio de Ejea de los Caballeros" when they share the name.
        const std::string& entity = places.entities.at(nucleus.entity).dictionary;
        const std::string of = entity == current.at(nucleus.municipality).dictionary
                                   ? "de la entidad y el municipio de "
                                   : "de la entidad " + inProse(entity) + ", del municipio de ";
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
