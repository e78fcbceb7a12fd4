// Writes the seed corpus for the data-file fuzzer: intact files and typical damage.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/CryptUtil.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

static Bytes encode(const fs::path& dir, const std::string& text) {
    const fs::path tmp = dir / ".encode.tmp";
    CCryptUtil crypt;
    if (crypt.CreateDataFile(tmp.string(), static_cast<uint32_t>(text.size()),
                             reinterpret_cast<const uint8_t*>(text.data())) != 1) {
        std::fprintf(stderr, "cannot write %s: %s\n", tmp.c_str(),
                     crypt.GetLastFaultText().c_str());
        std::exit(1);
    }
    std::ifstream in(tmp, std::ios::binary);
    Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::remove(tmp);
    return b;
}

static void put(const fs::path& dir, const std::string& name, const Bytes& b) {
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path dir = argv[1];
    fs::create_directories(dir);

    const Bytes empty = encode(dir, "");
    const Bytes shortText = encode(dir, "XML_PARA_VER=1.0");
    const Bytes xml = encode(dir, "<?xml version=\"1.0\"?><data><XML_PARA_VER>3</XML_PARA_VER>"
                                  "<model name=\"TARVOS-N\" unit=\"A\" count=\"2\"/></data>");
    put(dir, "empty.nsr", empty);
    put(dir, "short.nsr", shortText);
    put(dir, "xml.nsr", xml);

    Bytes appended = shortText;
    appended.push_back(0);
    put(dir, "appended.nsr", appended);
    put(dir, "cut.nsr", Bytes(xml.begin(), xml.end() - 5));
    Bytes flipped = xml;
    flipped[40] ^= 0x10;
    put(dir, "flipped.nsr", flipped);
    Bytes h20 = shortText;
    h20[0] = 20;
    h20.insert(h20.begin() + 20, {0, 0, 0, 0});
    put(dir, "digest20.nsr", h20);
    Bytes hugeH = shortText;
    hugeH[3] = 0xFF;
    put(dir, "digest_huge.nsr", hugeH);
    put(dir, "tiny.nsr", Bytes{0x10, 0, 0});
    put(dir, "zero8.nsr", Bytes(8, 0));
    return 0;
}
