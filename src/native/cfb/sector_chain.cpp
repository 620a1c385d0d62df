#include "native/cfb/sector_chain.h"

#include <cstring>
#include <string>

#include "native/cfb/cfb_error.h"
#include "native/cfb/header.h"

namespace xls::cfb {

namespace {

std::string quoted(std::string_view what) {
    return "'" + std::string(what) + "'";
}

// Visited marks for loop detection, sized to the sectors that exist.
class VisitedSet {
  public:
    explicit VisitedSet(std::uint64_t n) : bits_((n + 63) / 64, 0) {}
    bool isFree(std::uint32_t s) const {
        return (bits_[s / 64] & (std::uint64_t{1} << (s % 64))) == 0;
    }
    // Returns false if `s` was already marked.
    bool mark(std::uint32_t s) {
        std::uint64_t& word = bits_[s / 64];
        std::uint64_t bit = std::uint64_t{1} << (s % 64);
        if (word & bit) return false;
        word |= bit;
        return true;
    }

  private:
    std::vector<std::uint64_t> bits_;
};

}  // namespace

std::uint64_t SectorSpace::sectorCount() const {
    if (data.size() <= firstSectorOffset) return 0;
    std::uint64_t bytes = data.size() - firstSectorOffset;
    return (bytes + (std::uint64_t{1} << shift) - 1) >> shift;
}

namespace {

// A stream cannot be larger than the sectors there are: a size that says
// otherwise is refused before anything of that size is allocated.
void requireSectorsFor(const SectorSpace& space, std::uint64_t size, std::string_view what) {
    const std::uint64_t unit = std::uint64_t{1} << space.shift;
    const std::uint64_t available = space.sectorCount();
    const std::uint64_t needed = (size + unit - 1) >> space.shift;
    if (needed > available)
        throw CfbError("stream " + quoted(what) + " of " + std::to_string(size) + " bytes needs " +
                       std::to_string(needed) + " " + space.unitName + "s, only " +
                       std::to_string(available) + " exist");
}

// Follows the chain of a stream of size bytes, checking every link, and
// gives each run of adjacent sectors to copy(offset in data, bytes, offset
// in the stream).
template <typename Copy>
void walkChain(const SectorSpace& space, std::uint32_t start, std::uint64_t size,
               std::string_view what, Copy&& copy) {
    requireSectorsFor(space, size, what);
    const std::uint64_t unit = std::uint64_t{1} << space.shift;
    const std::uint64_t available = space.sectorCount();
    const std::uint64_t needed = (size + unit - 1) >> space.shift;
    VisitedSet visited(available);
    std::uint64_t written = 0;
    std::uint32_t runFirst = 0;
    std::uint64_t runLength = 0;
    auto flush = [&] {
        std::uint64_t offset = space.firstSectorOffset + (std::uint64_t{runFirst} << space.shift);
        std::uint64_t n = std::min(runLength << space.shift, size - written);
        if (offset + n > space.data.size())
            throw CfbError("stream " + quoted(what) + ": " + space.unitName + " " +
                           std::to_string(runFirst + runLength - 1) +
                           " is cut short by the end of the data (" +
                           std::to_string(space.data.size()) + " bytes)");
        copy(offset, n, written);
        written += n;
    };

    std::uint32_t current = start;
    for (std::uint64_t step = 0; step < needed; ++step) {
        if (current > kMaxRegularSector)
            throw CfbError("stream " + quoted(what) + " of " + std::to_string(size) +
                           " bytes ends after " + std::to_string(step) + " " + space.unitName +
                           "s");
        if (current >= available)
            throw CfbError("stream " + quoted(what) + ": " + space.unitName + " " +
                           std::to_string(current) + " beyond end of data (" +
                           std::to_string(available) + " " + space.unitName + "s)");
        if (!visited.mark(current))
            throw CfbError("stream " + quoted(what) + ": chain loops back to " + space.unitName +
                           " " + std::to_string(current) + " after " + std::to_string(step) +
                           " steps");
        if (runLength != 0 && current == runFirst + runLength) {
            ++runLength;
        } else {
            if (runLength != 0) flush();
            runFirst = current;
            runLength = 1;
        }
        if (step + 1 == needed) break;
        if (current >= space.table.size())
            throw CfbError("stream " + quoted(what) + ": " + space.unitName + " " +
                           std::to_string(current) + " has no allocation table entry (" +
                           std::to_string(space.table.size()) + " entries)");
        current = space.table[current];
    }
    flush();
}

}  // namespace

void readChain(const SectorSpace& space, std::uint32_t start, std::uint64_t size,
               std::string_view what, std::vector<std::uint8_t>& out) {
    out.clear();
    if (size == 0) return;
    requireSectorsFor(space, size, what);
    out.resize(size);
    walkChain(space, start, size, what, [&](std::uint64_t from, std::uint64_t n, std::uint64_t to) {
        std::memcpy(out.data() + to, space.data.data() + from, n);
    });
}

bool readChainInPlace(const SectorSpace& space, std::uint32_t start, std::uint64_t size,
                      std::string_view what, std::vector<std::uint8_t>& buffer) {
    if (space.data.data() != buffer.data() || space.data.size() != buffer.size()) return false;
    // Every run moves towards the front, so none overwrites a run still to
    // come; the walk checks that before anything moves.
    bool forward = true;
    walkChain(space, start, size, what, [&](std::uint64_t from, std::uint64_t, std::uint64_t to) {
        forward = forward && to <= from;
    });
    if (!forward) return false;
    walkChain(space, start, size, what, [&](std::uint64_t from, std::uint64_t n, std::uint64_t to) {
        std::memmove(buffer.data() + to, buffer.data() + from, n);
    });
    buffer.resize(size);
    return true;
}

std::vector<std::uint32_t> chainSectors(const SectorSpace& space, std::uint32_t start,
                                        std::string_view what, ChainEnd end) {
    std::vector<std::uint32_t> sectors;
    const std::uint64_t available = space.sectorCount();
    VisitedSet visited(available);
    // Any marker ends the chain: writers are not consistent about ending
    // with ENDOFCHAIN rather than FREESECT.
    for (std::uint32_t current = start; current <= kMaxRegularSector;) {
        bool broken =
            current >= available || current >= space.table.size() || !visited.isFree(current);
        if (broken && end == ChainEnd::Lenient && !sectors.empty()) break;
        if (current >= available)
            throw CfbError(std::string(what) + ": " + space.unitName + " " +
                           std::to_string(current) + " beyond end of data (" +
                           std::to_string(available) + " " + space.unitName + "s)");
        if (!visited.mark(current))
            throw CfbError(std::string(what) + ": chain loops back to " + space.unitName + " " +
                           std::to_string(current) + " after " + std::to_string(sectors.size()) +
                           " steps");
        sectors.push_back(current);
        if (current >= space.table.size())
            throw CfbError(std::string(what) + ": " + space.unitName + " " +
                           std::to_string(current) + " has no allocation table entry (" +
                           std::to_string(space.table.size()) + " entries)");
        current = space.table[current];
    }
    return sectors;
}

}  // namespace xls::cfb
