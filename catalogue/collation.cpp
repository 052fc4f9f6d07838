#include "collation.h"
// TODO: implementation
namespace catalogue {
struct Collation::Impl {};
Collation::Collation(std::int32_t) {}
Collation::~Collation() = default;
int Collation::compare(std::string_view a, std::string_view b) const { return a.compare(b); }
std::string Collation::sortKey(std::string_view a) const { return std::string(a); }
std::vector<std::uint32_t> orderBy(const Table& t, std::size_t, const Collation&) {
    std::vector<std::uint32_t> v(t.recordCount());
    for (std::uint32_t i = 0; i < v.size(); ++i) v[i] = i;
    return v;
}
} // namespace catalogue
