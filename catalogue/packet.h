#pragma once
// The data packet format: header, field descriptors, packet properties, records.

#include <string>
#include <string_view>

#include "table.h"

namespace catalogue {

// Reads one whole packet. Throws PacketError ("Mismatch in datapacket.",
// "Datapacket contains no meta data.", or a message naming what is wrong and
// the offset) for anything that is not a well-formed packet; never reads past
// `bytes` and never allocates more than the packet can justify.
Table readPacket(std::string_view bytes, PacketBytes kind = PacketBytes::Copied);

// Writes a packet that readPacket reads back to an equal table: version 1.0,
// attributes 3, string fields 0x00490001 with WIDTH, memo fields 0x004B0004 with
// SUBTYPE "Text" and WIDTH 1, packet property LCID.
std::string writePacket(const Table& table);

} // namespace catalogue
