// The least a reader of a zip-based workbook can pay with the libraries it
// is built on, doing nothing with the content: read the file, walk its zip
// directory, inflate each part but the content types with zlib and check
// its CRC, parse each in place with pugixml. Written against the libraries
// alone, so that none of our layers is counted.
//
// Usage: mokuji-xlsx-floor FILE.xlsx [ROUNDS]
// Prints the mean time of each step per round, in microseconds.

#include <zlib.h>
#include <pugixml.hpp>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

template <typename T>
T get(const std::vector<std::uint8_t>& b, std::size_t at) {
    if (at + sizeof(T) > b.size()) throw std::runtime_error("truncated zip");
    T v;
    std::memcpy(&v, b.data() + at, sizeof(T));
    return v;
}

struct Part {
    std::size_t offset, compressed, size;
    std::uint32_t crc;
    std::string name;
};

using Clock = std::chrono::steady_clock;
double micro(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: mokuji-xlsx-floor FILE.xlsx [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 20000;
    double reading = 0, inflating = 0, parsing = 0;
    try {
        for (int round = 0; round < rounds; ++round) {
            const auto t0 = Clock::now();
            // Sized as the file is, as a reader must have it.
            std::FILE* f = std::fopen(argv[1], "rb");
            if (!f) throw std::runtime_error("cannot open the file");
            std::fseek(f, 0, SEEK_END);
            std::vector<std::uint8_t> b(static_cast<std::size_t>(std::ftell(f)));
            std::fseek(f, 0, SEEK_SET);
            b.resize(std::fread(b.data(), 1, b.size(), f));
            std::fclose(f);
            // No comment, no ZIP64: the files this is run on have neither.
            std::size_t end = b.size() - 22;
            while (get<std::uint32_t>(b, end) != 0x06054b50) --end;
            const auto count = get<std::uint16_t>(b, end + 10);
            std::size_t at = get<std::uint32_t>(b, end + 16);
            std::vector<Part> parts;
            for (int i = 0; i < count; ++i) {
                const auto nameLength = get<std::uint16_t>(b, at + 28);
                parts.push_back(
                    {get<std::uint32_t>(b, at + 42), get<std::uint32_t>(b, at + 20),
                     get<std::uint32_t>(b, at + 24), get<std::uint32_t>(b, at + 16),
                     std::string(reinterpret_cast<const char*>(&b[at + 46]), nameLength)});
                at += 46u + nameLength + get<std::uint16_t>(b, at + 30) +
                      get<std::uint16_t>(b, at + 32);
            }
            const auto t1 = Clock::now();
            std::vector<std::vector<char>> xml;
            for (const auto& p : parts) {
                if (p.name == "[Content_Types].xml") continue;
                const std::size_t data = p.offset + 30 + get<std::uint16_t>(b, p.offset + 26) +
                                         get<std::uint16_t>(b, p.offset + 28);
                std::vector<char> out(p.size + 1);
                z_stream z{};
                inflateInit2(&z, -MAX_WBITS);
                z.next_in = &b[data];
                z.avail_in = static_cast<uInt>(p.compressed);
                z.next_out = reinterpret_cast<Bytef*>(out.data());
                z.avail_out = static_cast<uInt>(p.size);
                const int ret = inflate(&z, Z_FINISH);
                inflateEnd(&z);
                if (ret != Z_STREAM_END || crc32(0, reinterpret_cast<Bytef*>(out.data()),
                                                 static_cast<uInt>(p.size)) != p.crc)
                    throw std::runtime_error("part " + p.name + " does not inflate");
                xml.push_back(std::move(out));
            }
            const auto t2 = Clock::now();
            for (auto& x : xml) {
                pugi::xml_document doc;
                if (!doc.load_buffer_inplace(x.data(), x.size() - 1,
                                             pugi::parse_default | pugi::parse_ws_pcdata))
                    throw std::runtime_error("a part does not parse");
            }
            const auto t3 = Clock::now();
            reading += micro(t1 - t0);
            inflating += micro(t2 - t1);
            parsing += micro(t3 - t2);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mokuji-xlsx-floor: %s\n", e.what());
        return 1;
    }
    std::printf(
        "read and zip directory %.1f us, inflate and CRC %.1f us, parse %.1f us, "
        "total %.1f us\n",
        reading / rounds, inflating / rounds, parsing / rounds,
        (reading + inflating + parsing) / rounds);
    return 0;
}
