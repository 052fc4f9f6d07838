#include "packet.h"

#include "error.h"

// Skeleton: the packet reader and writer are being written.
namespace catalogue {
Table readPacket(std::string_view) { throw PacketError("Mismatch in datapacket."); }
std::string writePacket(const Table&) { return {}; }
} // namespace catalogue
