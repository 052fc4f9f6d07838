// Fuzz target: the data packet reader. Any input either gives a table or a
// PacketError; a table that the writer accepts reads back equal (but for the
// width of a memo field, which the writer always writes as 1).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "error.h"
#include "packet.h"

namespace {

bool sameTable(const catalogue::Table& a, const catalogue::Table& b)
{
    if (a.lcid() != b.lcid() || a.fieldCount() != b.fieldCount() || a.recordCount() != b.recordCount())
        return false;
    for (std::size_t f = 0; f < a.fieldCount(); ++f)
        if (a.fields()[f].name != b.fields()[f].name || a.fields()[f].kind != b.fields()[f].kind
            || (a.fields()[f].kind == catalogue::FieldKind::String && a.fields()[f].width != b.fields()[f].width))
            return false;
    for (std::size_t r = 0; r < a.recordCount(); ++r)
        for (std::size_t f = 0; f < a.fieldCount(); ++f)
            if (a.isNull(r, f) != b.isNull(r, f) || a.text(r, f) != b.text(r, f))
                return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const catalogue::Table table = catalogue::readPacket(bytes);
        std::string written;
        try {
            written = catalogue::writePacket(table);
        } catch (const catalogue::PacketError&) {
            return 0; // the reader accepts more than the writer writes (e.g. WIDTH above 255)
        }
        if (!sameTable(catalogue::readPacket(written), table))
            __builtin_trap();
    } catch (const catalogue::PacketError&) {
    }
    return 0;
}
