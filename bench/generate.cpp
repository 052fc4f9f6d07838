#include "generate.h"

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string_view>
#include <vector>

#include "cp1252.h"
#include "numbers.h"
#include "packet.h"
#include "units.h"

namespace bench {
namespace {

using catalogue::FieldDef;
using catalogue::FieldKind;

// Texts here are written in UTF-8 and converted once.
std::string cp(std::string_view utf8)
{
    return catalogue::cp1252::fromUtf8(utf8).value_or(std::string(utf8));
}

class Names {
public:
    explicit Names(std::mt19937& rng) : rng_(rng) {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }

    template <std::size_t N>
    std::string_view from(const std::array<std::string_view, N>& list)
    {
        return list[static_cast<std::size_t>(pick(static_cast<int>(N)))];
    }

    // A place-like word, dictionary spelling (UTF-8, accents included).
    std::string word()
    {
        static constexpr std::array<std::string_view, 48> kStart = {
            "Al", "Ba", "Be", "Bi", "Ca", "Ce", "Cu", "Cha", "Che", "Chi", "Da", "E", "Fa", "Fue", "Ga", "Gra",
            "Gua", "Güe", "I", "La", "Le", "Lla", "Llo", "Lu", "Ma", "Mo", "Mu", "Na", "Nue", "O", "Pa", "Pe",
            "Pi", "Pla", "Que", "Ra", "Ri", "Sa", "Se", "So", "Ta", "To", "Tra", "U", "Va", "Vi", "Ya", "Za"};
        static constexpr std::array<std::string_view, 40> kMiddle = {
            "ba", "be", "ca", "ce", "cha", "da", "de", "fe", "ga", "gue", "güe", "la", "le", "lle", "lla", "ma",
            "me", "na", "ne", "ña", "ñe", "ño", "pa", "ra", "re", "rra", "rre", "sa", "se", "ta", "te", "tri",
            "va", "ve", "za", "ro", "lo", "co", "mo", "so"};
        static constexpr std::array<std::string_view, 24> kEnd = {
            "l", "n", "r", "s", "z", "", "", "", "do", "da", "na", "no", "ra", "ro", "sa", "so", "la", "lo",
            "te", "ta", "jo", "ja", "ca", "ga"};
        std::string w(from(kStart));
        const int middles = 1 + pick(3);
        for (int i = 0; i < middles; ++i)
            w += from(kMiddle);
        w += from(kEnd);
        if (chance(0.3))
            accent(w);
        return w;
    }

    // A name as the catalogue has them: words, particles, articles after the
    // name in parentheses, hyphens, sometimes digits.
    std::string name()
    {
        static constexpr std::array<std::string_view, 10> kSaints = {
            "San Juan", "San Pedro", "Santa María", "San Martín", "Santa Eulalia", "San Esteban",
            "San Vicente", "Santa Cruz", "San Julián", "San Miguel"};
        static constexpr std::array<std::string_view, 8> kLeads = {
            "Torre", "Villa", "Castel", "Fuen", "Val", "Monte", "Puebla", "Casas"};
        static constexpr std::array<std::string_view, 6> kArticles = {" (La)", " (El)", " (Los)", " (Las)", " (La)", " (El)"};
        std::string n;
        switch (pick(20)) {
        case 0: case 1: n = std::string(from(kSaints)) + (chance(0.5) ? " de " + word() : ""); break;
        case 2: case 3: n = word() + " de " + word(); break;
        case 4: n = word() + " del " + word(); break;
        case 5: n = std::string(from(kLeads)) + "-" + word(); break;
        case 6: case 7: n = std::string(from(kLeads)) + " " + word(); break;
        case 8: case 9: n = word() + std::string(from(kArticles)); break;
        case 10: n = word() + " " + std::to_string(1 + pick(2)); break;
        default: n = word(); break;
        }
        return n.size() > 46 ? n.substr(0, 46) : n;
    }

private:
    // Puts an acute accent on one vowel of the word.
    void accent(std::string& w)
    {
        static constexpr std::array<std::pair<char, std::string_view>, 5> kVowels = {
            {{'a', "á"}, {'e', "é"}, {'i', "í"}, {'o', "ó"}, {'u', "ú"}}};
        for (std::size_t tries = 0; tries < 4; ++tries) {
            const std::size_t at = static_cast<std::size_t>(pick(static_cast<int>(w.size())));
            for (const auto& [plain, accented] : kVowels)
                if (w[at] == plain) {
                    // A new string rather than replace() in place, which GCC 12
                    // at -O3 flags (-Wrestrict) as a possibly overlapping copy.
                    std::string out;
                    out.reserve(w.size() + accented.size());
                    out.append(w, 0, at).append(accented).append(w, at + 1);
                    w = std::move(out);
                    return;
                }
        }
    }

    std::mt19937& rng_;
};

std::string note(Names& names, int kind, const std::string& name, const std::string& municipality)
{
    static constexpr std::array<std::string_view, 8> kSentences = {
        " Pertenece al partido judicial de la cabecera de la comarca.",
        " Incorpora en la década de 1970 el término de un municipio vecino.",
        " Aparece en los nomenclátores con denominaciones diferentes.",
        " Su población se agrupa en un núcleo y varios diseminados.",
        " Figura como aldea en los censos de la primera mitad del siglo.",
        " Despoblado desde mediados del siglo pasado.",
        " Cambia de nombre en 1916 por acuerdo del ayuntamiento.",
        " La serie incluye la población de sus entidades menores."};
    std::string text;
    switch (kind) {
    case 2: text = names.chance(0.9) ? "Municipio de la provincia, con capital en " + name + "." : "Municipio histórico, hoy integrado en " + municipality + ".";
        break;
    case 3: text = names.chance(0.8) ? "Entidad de " + municipality + "." : "Entidad histórica de " + municipality + ".";
        break;
    default: text = "Núcleo de " + municipality + ", en el término de " + name + "."; break;
    }
    std::string out = cp(text);
    // Mostly short notes, a few near the longest.
    const std::size_t target = names.chance(0.02) ? 300 + static_cast<std::size_t>(names.pick(100))
                                                  : 61 + static_cast<std::size_t>(names.pick(names.pick(200) + 1));
    while (out.size() < target)
        out += cp(names.from(kSentences));
    if (out.size() > 399) {
        const std::size_t cut = out.rfind('.', 398);
        out.resize(cut != std::string::npos && cut >= 61 ? cut + 1 : 399);
    }
    return out;
}

struct Census {
    std::array<std::optional<std::string>, 12> values;
};

Census census(Names& names, int kind)
{
    Census c;
    // How often a unit is missing from a year's gazetteer, by kind.
    const double missing = kind == 2 ? 0.05 : (kind == 3 ? 0.6 : 0.85);
    int population = kind == 2 ? 50 + names.pick(names.pick(20000) + 1) : names.pick(names.pick(3000) + 1);
    bool any = false;
    for (auto& value : c.values) {
        population = std::min(999999, std::max(0, population + names.pick(population / 5 + 3) - population / 10 - 1));
        if (names.chance(missing)) {
            value.emplace("-");
        } else {
            value = catalogue::formatInteger(population);
            any = true;
        }
    }
    if (!any)
        c.values[11] = catalogue::formatInteger(population);
    return c;
}

int digitsFor(int count)
{
    int d = 4;
    for (int limit = 10000; count >= limit; limit *= 10)
        ++d;
    return d;
}

std::vector<FieldDef> catalogueFields(int identWidth)
{
    std::vector<FieldDef> fields = {
        {"IDENT", FieldKind::String, static_cast<std::uint16_t>(identWidth)},
        {"TIPONUM", FieldKind::String, 1},
        {"NOMBREBUSC", FieldKind::String, 46},
        {"NOMBREDICC", FieldKind::String, 46},
        {"NOMBREMOST", FieldKind::String, 55},
        {"COMENTARIO", FieldKind::Memo, 1},
    };
    for (std::string_view year : catalogue::kCensusFields)
        fields.push_back({std::string(year), FieldKind::String, 7});
    fields.push_back({std::string(catalogue::kCodeField), FieldKind::String, 11});
    return fields;
}

// Codes shaped as the catalogue's: five digits for a municipality, its
// municipality's and four more for an entity, six more for a nucleus.
std::string digits(int value, int width)
{
    std::string out = std::to_string(value);
    return std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(out.size()))), '0') + out;
}

} // namespace

CatalogueShape shapeOf(int scale)
{
    return {995 * scale, 3976 * scale, 55 * scale};
}

std::int32_t identOf(int kind, int n, int scale)
{
    const CatalogueShape shape = shapeOf(scale);
    const int d = digitsFor(std::max({shape.municipalities, shape.entities, shape.nuclei}));
    std::int32_t power = 1;
    for (int i = 0; i < d; ++i)
        power *= 10;
    return kind * power + n;
}

catalogue::Table generateCatalogue(int scale, std::uint32_t seed)
{
    const CatalogueShape shape = shapeOf(scale);
    std::mt19937 rng(seed);
    Names names(rng);
    const int identWidth = 1 + digitsFor(std::max({shape.municipalities, shape.entities, shape.nuclei}));
    catalogue::Table table(catalogueFields(identWidth), catalogue::kSpanishTraditional);
    const std::size_t units = static_cast<std::size_t>(shape.municipalities + shape.entities + shape.nuclei);
    table.reserve(units, units * 240);

    // Municipality names (cp1252); two pairs share a name, as "Biel" and "Used".
    std::vector<std::string> municipalities;
    municipalities.reserve(static_cast<std::size_t>(shape.municipalities));
    for (int i = 0; i < shape.municipalities; ++i)
        municipalities.push_back(cp(names.name()));
    if (shape.municipalities > 10) {
        municipalities[7] = municipalities[3];
        municipalities[9] = municipalities[5];
    }

    // Entity names: about 211 in 1,000 names are shared by 698 in 3,976 units.
    const int sharedNames = std::max(1, shape.entities * 211 / 3976);
    std::vector<std::string> shared;
    for (int i = 0; i < sharedNames; ++i)
        shared.push_back(cp(names.name()));
    const double sharedShare = 0.16;

    auto addUnit = [&](int kind, int n, const std::string& dicc, const std::optional<std::string>& most,
                       const std::string& municipality, int municipalityNumber) {
        std::vector<std::optional<std::string>> values;
        values.reserve(19);
        values.emplace_back(std::to_string(identOf(kind, n, scale)));
        values.emplace_back(std::to_string(kind));
        values.emplace_back(catalogue::cp1252::withoutAcuteAccents(dicc));
        values.emplace_back(dicc);
        values.push_back(most);
        values.emplace_back(note(names, kind, catalogue::cp1252::toUtf8(dicc), catalogue::cp1252::toUtf8(municipality)));
        const Census c = census(names, kind);
        for (const auto& v : c.values)
            values.push_back(v);
        // One entity has no display name and words in some census fields,
        // which the packet allows and the views must bear.
        if (kind == 3 && n == 1625) {
            values[4] = std::nullopt;
            const std::optional<std::string> odd[] = {"Hostal", "El Cier", std::nullopt, "Hostal", "El Cier", std::nullopt};
            for (std::size_t k = 0; k < 12; ++k)
                values[6 + k] = k < 6 ? odd[k] : std::optional<std::string>("-");
        }
        const std::string code = digits(10000 + municipalityNumber % 90000, 5);
        values.emplace_back(kind == 2 ? code : kind == 3 ? code + digits(n % 10000, 4) : code + digits(n % 1000000, 6));
        table.addRecord(values);
    };

    for (int i = 0; i < shape.municipalities; ++i) {
        const std::string& dicc = municipalities[static_cast<std::size_t>(i)];
        addUnit(2, i + 1, dicc, dicc, municipalities[static_cast<std::size_t>(names.pick(shape.municipalities))], i);
    }
    for (int i = 0; i < shape.entities; ++i) {
        const int municipalityNumber = names.pick(shape.municipalities);
        const std::string& municipality = municipalities[static_cast<std::size_t>(municipalityNumber)];
        const bool isShared = names.chance(sharedShare);
        const std::string dicc = isShared ? shared[static_cast<std::size_t>(names.pick(sharedNames))] : cp(names.name());
        // Shared names are told apart by their municipality in the lists.
        std::optional<std::string> most = dicc;
        if (isShared || names.chance(0.0025))
            most = (dicc + " -- " + municipality).substr(0, 55);
        addUnit(3, i + 1, dicc, most, municipality, municipalityNumber);
    }
    for (int i = 0; i < shape.nuclei; ++i) {
        const std::string dicc = cp(names.name());
        const int municipalityNumber = names.pick(shape.municipalities);
        addUnit(4, i + 1, dicc, dicc, municipalities[static_cast<std::size_t>(municipalityNumber)], municipalityNumber);
    }
    return table;
}

std::string generatePacket(int scale, std::uint32_t seed)
{
    return catalogue::writePacket(generateCatalogue(scale, seed));
}

const catalogue::Table& cachedCatalogue(int scale)
{
    static std::map<int, std::unique_ptr<catalogue::Table>> cache;
    auto& entry = cache[scale];
    if (!entry)
        entry = std::make_unique<catalogue::Table>(generateCatalogue(scale));
    return *entry;
}

const std::string& cachedPacket(int scale)
{
    static std::map<int, std::string> cache;
    auto it = cache.find(scale);
    if (it == cache.end())
        it = cache.emplace(scale, catalogue::writePacket(cachedCatalogue(scale))).first;
    return it->second;
}

} // namespace bench
