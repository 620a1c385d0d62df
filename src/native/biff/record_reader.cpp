#include "native/biff/record_reader.h"

#include "native/biff/biff_error.h"
#include "native/biff/record_ids.h"
#include "native/io/byte_reader.h"
#include "native/text/hex.h"

namespace xls::biff {

std::string recordLabel(std::uint16_t id, std::uint32_t offset) {
    const char* name = recordName(id);
    std::string label = name;
    if (label == "record") {
        label = "record " + text::hexNumber(id, 4);
    } else {
        label += " record";
    }
    return label + " at offset " + std::to_string(offset);
}

RecordReader::RecordReader(std::span<const std::uint8_t> stream, std::size_t start)
    : stream_(stream), pos_(start) {
    // Offsets are kept as 32-bit values, as BOUNDSHEET stores them.
    if (stream_.size() > 0xFFFFFFFFu) {
        throw BiffError("workbook stream of " + std::to_string(stream_.size()) +
                        " bytes is larger than 4 GiB");
    }
    if (start > stream_.size()) {
        throw BiffError("record offset " + std::to_string(start) + " lies past the end of the " +
                        std::to_string(stream_.size()) + "-byte workbook stream");
    }
}

bool RecordReader::next(Record& out) {
    const std::size_t left = stream_.size() - pos_;
    if (left == 0) return false;
    if (left < 4) {
        throw BiffError("record header at offset " + std::to_string(pos_) +
                        " is cut off: " + std::to_string(left) + " bytes left in the stream");
    }
    const std::uint8_t* p = stream_.data() + pos_;
    const std::uint16_t id = io::le16(p);
    const std::uint16_t size = io::le16(p + 2);
    if (size > left - 4) {
        throw BiffError(recordLabel(id, static_cast<std::uint32_t>(pos_)) + ": size " +
                        std::to_string(size) + " runs past the end of the stream (" +
                        std::to_string(left - 4) + " bytes left)");
    }
    out.id = id;
    out.offset = static_cast<std::uint32_t>(pos_);
    out.data = stream_.subspan(pos_ + 4, size);
    pos_ += 4u + size;
    return true;
}

int RecordReader::peekId() const {
    if (stream_.size() - pos_ < 4) return -1;
    return io::le16(stream_.data() + pos_);
}

void RecordReader::takeContinues(std::vector<std::span<const std::uint8_t>>& parts,
                                 std::vector<RecordRef>& refs) {
    Record r;
    while (peekId() == rec::Continue) {
        next(r);
        parts.push_back(r.data);
        refs.push_back(r.ref());
    }
}

}  // namespace xls::biff
