// Writes the generated catalogue of a scale as a data packet:
//   generate_packet <scale> <file>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "generate.h"

int main(int argc, char** argv)
{
    const int scale = argc == 3 ? std::atoi(argv[1]) : 0;
    if (scale < 1) {
        std::fprintf(stderr, "uso: generate_packet <escala> <archivo>\n");
        return 2;
    }
    const std::string packet = bench::generatePacket(scale);
    std::ofstream out(argv[2], std::ios::binary);
    out.write(packet.data(), static_cast<std::streamsize>(packet.size()));
    return out ? 0 : 1;
}
