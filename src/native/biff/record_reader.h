#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace xls::biff {

// Where one record lies in its stream. Kept for every record, interpreted or
// not, so a writer can copy the ones it does not model unchanged.
struct RecordRef {
    std::uint16_t id = 0;
    std::uint32_t offset = 0;  // of the 4-byte header
    std::uint16_t size = 0;    // of the data after the header
};

// One record: its header fields and a view of its data in the stream.
struct Record {
    std::uint16_t id = 0;
    std::uint32_t offset = 0;
    std::span<const std::uint8_t> data;

    RecordRef ref() const { return {id, offset, static_cast<std::uint16_t>(data.size())}; }
};

// "SST record at offset 1234", the prefix of every message about a record.
std::string recordLabel(std::uint16_t id, std::uint32_t offset);

// Walks the [id u16][size u16][data] records of a stream. A header or data
// running past the end of the stream is a BiffError naming the record.
class RecordReader {
  public:
    explicit RecordReader(std::span<const std::uint8_t> stream, std::size_t start = 0);

    // False when the stream ends exactly at a record boundary.
    bool next(Record& out);

    // Id of the record next() would return, or -1 when no complete header
    // follows.
    int peekId() const;

    // Consumes the CONTINUE records that follow, appending their data to
    // parts and their positions to refs.
    void takeContinues(std::vector<std::span<const std::uint8_t>>& parts,
                       std::vector<RecordRef>& refs);

    std::size_t position() const { return pos_; }
    std::span<const std::uint8_t> stream() const { return stream_; }

  private:
    std::span<const std::uint8_t> stream_;
    std::size_t pos_;
};

}  // namespace xls::biff
