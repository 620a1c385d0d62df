#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xls::cfb::testing {

struct TestStream {
    std::string name;  // ASCII or UTF-8 without surrogates
    std::vector<std::uint8_t> data;
};

// A compound file put together in memory, with where things went so that
// tests can damage it on purpose.
struct BuiltFile {
    std::vector<std::uint8_t> bytes;
    unsigned sectorShift = 9;
    std::vector<std::uint32_t> fatSectors;
    std::vector<std::uint32_t> difatSectors;
    std::uint32_t directoryStart = 0;
    std::vector<std::uint32_t> streamStarts;  // per stream; mini sectors for small ones

    std::size_t sectorOffset(std::uint32_t sector) const {
        return (std::size_t{sector} + 1) << sectorShift;
    }
    std::size_t fatEntryOffset(std::uint32_t sector) const;
    std::size_t directoryEntryOffset(std::uint32_t index) const;
    void put32(std::size_t offset, std::uint32_t value);
};

// Streams of 4096 bytes or more go to regular sectors, smaller ones to the
// mini stream. `extraFatSectors` adds empty FAT sectors, enough of them
// (more than 109) to need DIFAT sectors.
BuiltFile buildCompoundFile(const std::vector<TestStream>& streams, unsigned sectorShift = 9,
                            std::uint32_t extraFatSectors = 0);

}  // namespace xls::cfb::testing
