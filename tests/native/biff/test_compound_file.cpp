#include "native/biff/test_compound_file.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace xls::biff::testing {

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;

std::uint32_t at32(const std::vector<std::uint8_t>& b, std::size_t off) {
    if (off + 4 > b.size()) throw std::runtime_error("compound file: read past end");
    return b[off] | (b[off + 1] << 8) | (b[off + 2] << 16) | (std::uint32_t{b[off + 3]} << 24);
}

std::uint16_t at16(const std::vector<std::uint8_t>& b, std::size_t off) {
    if (off + 2 > b.size()) throw std::runtime_error("compound file: read past end");
    return static_cast<std::uint16_t>(b[off] | (b[off + 1] << 8));
}

class Compound {
  public:
    explicit Compound(const std::vector<std::uint8_t>& f) : f_(f) {
        static const std::uint8_t sig[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        if (f.size() < 512 || std::memcmp(f.data(), sig, 8) != 0)
            throw std::runtime_error("not a compound file");
        shift_ = at16(f, 30);
        if (shift_ != 9 && shift_ != 12) throw std::runtime_error("odd sector size");
        sector_ = std::size_t{1} << shift_;
        // FAT sector numbers: 109 in the header, the rest in the DIFAT chain.
        std::vector<std::uint32_t> fatSectors;
        const std::uint32_t nFat = at32(f, 44);
        for (std::size_t i = 0; i < 109 && fatSectors.size() < nFat; ++i)
            fatSectors.push_back(at32(f, 76 + 4 * i));
        std::uint32_t difat = at32(f, 68);
        for (int guard = 0; fatSectors.size() < nFat && difat < kEndOfChain && guard < 10000;
             ++guard) {
            const std::size_t base = offset(difat);
            for (std::size_t i = 0; i + 1 < sector_ / 4 && fatSectors.size() < nFat; ++i)
                fatSectors.push_back(at32(f, base + 4 * i));
            difat = at32(f, base + sector_ - 4);
        }
        for (std::uint32_t s : fatSectors)
            for (std::size_t i = 0; i < sector_ / 4; ++i)
                fat_.push_back(at32(f, offset(s) + 4 * i));
        dir_ = chain(at32(f, 48), fat_, std::size_t(-1), false);
        miniFat_.clear();
        auto mf = chain(at32(f, 60), fat_, std::size_t(-1), false);
        for (std::size_t i = 0; i + 4 <= mf.size(); i += 4) miniFat_.push_back(at32(mf, i));
        if (dir_.size() >= 128) mini_ = chain(at32(dir_, 116), fat_, at32(dir_, 120), false);
        cutoff_ = at32(f, 56);
    }

    std::vector<std::uint8_t> stream(const std::string& a, const std::string& b) {
        for (std::size_t e = 0; e + 128 <= dir_.size(); e += 128) {
            const std::size_t len = std::min<std::size_t>(at16(dir_, e + 64), 64);
            std::string name;
            for (std::size_t i = 0; i + 2 < len; i += 2)
                name += static_cast<char>(std::tolower(dir_[e + i]));
            if (dir_[e + 66] != 2 || (name != a && name != b)) continue;
            const std::uint32_t start = at32(dir_, e + 116);
            const std::size_t size = at32(dir_, e + 120);
            return size < cutoff_ ? chain(start, miniFat_, size, true)
                                  : chain(start, fat_, size, false);
        }
        throw std::runtime_error("no workbook stream");
    }

  private:
    std::size_t offset(std::uint32_t s) const { return (std::size_t{s} + 1) << shift_; }

    std::vector<std::uint8_t> chain(std::uint32_t s, const std::vector<std::uint32_t>& table,
                                    std::size_t size, bool mini) const {
        std::vector<std::uint8_t> out;
        const std::size_t unit = mini ? 64 : sector_;
        for (std::size_t guard = 0; s < kEndOfChain && out.size() < size && guard <= table.size();
             ++guard) {
            const std::size_t off = mini ? std::size_t{s} * 64 : offset(s);
            const auto& src = mini ? mini_ : f_;
            // A file cut short keeps what its last sector still holds.
            if (off >= src.size()) throw std::runtime_error("chain runs past the file");
            const std::size_t take = std::min(unit, src.size() - off);
            out.insert(out.end(), src.begin() + off, src.begin() + off + take);
            if (s >= table.size()) throw std::runtime_error("bad sector number");
            s = table[s];
        }
        if (size != std::size_t(-1)) {
            if (out.size() > size) out.resize(size);
        }
        return out;
    }

    const std::vector<std::uint8_t>& f_;
    unsigned shift_ = 9;
    std::size_t sector_ = 512;
    std::size_t cutoff_ = 4096;
    std::vector<std::uint32_t> fat_, miniFat_;
    std::vector<std::uint8_t> dir_, mini_;
};

}  // namespace

std::vector<std::uint8_t> readTestFile(const std::string& relativePath) {
    const std::string path = std::string(MOKUJI_TEST_DATA_DIR) + "/" + relativePath;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> workbookStream(const std::vector<std::uint8_t>& file) {
    return Compound(file).stream("workbook", "book");
}

std::vector<std::uint8_t> corpusWorkbook(const std::string& relativePath) {
    return workbookStream(readTestFile("corpus/" + relativePath));
}

}  // namespace xls::biff::testing
