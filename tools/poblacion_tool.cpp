// Catalogue tool (to be written). For now `build CSV PACKET` writes an empty packet file.
#include <cstring>
#include <fstream>
int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "build") == 0) {
        std::ofstream out(argv[3], std::ios::binary);
        return out ? 0 : 1;
    }
    return 2;
}
