#include "native/biff/continue_reader.h"

#include <algorithm>

#include "native/biff/strings.h"
#include "native/io/byte_reader.h"
#include "native/text/unicode.h"

namespace xls::biff {

ContinueReader::ContinueReader(std::span<const std::span<const std::uint8_t>> parts)
    : parts_(parts) {}

bool ContinueReader::settle() {
    while (part_ < parts_.size() && pos_ == parts_[part_].size()) {
        if (part_ + 1 == parts_.size()) return false;
        ++part_;
        pos_ = 0;
    }
    return part_ < parts_.size();
}

void ContinueReader::fail(std::size_t wanted) const {
    throw io::ReadPastEnd("read of " + std::to_string(wanted) + " bytes passes the end (" +
                          std::to_string(remaining()) + " bytes left in the record and its " +
                          std::to_string(parts_.empty() ? 0 : parts_.size() - 1) +
                          " CONTINUE records)");
}

std::size_t ContinueReader::remaining() const {
    if (part_ >= parts_.size()) return 0;
    std::size_t n = parts_[part_].size() - pos_;
    for (std::size_t i = part_ + 1; i < parts_.size(); ++i) n += parts_[i].size();
    return n;
}

std::uint8_t ContinueReader::u8() {
    if (!settle()) fail(1);
    return parts_[part_][pos_++];
}

std::uint16_t ContinueReader::u16() {
    if (settle() && parts_[part_].size() - pos_ >= 2) {
        const std::uint16_t v = io::le16(parts_[part_].data() + pos_);
        pos_ += 2;
        return v;
    }
    if (remaining() < 2) fail(2);
    const std::uint8_t lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
}

std::uint32_t ContinueReader::u32() {
    if (settle() && parts_[part_].size() - pos_ >= 4) {
        const std::uint32_t v = io::le32(parts_[part_].data() + pos_);
        pos_ += 4;
        return v;
    }
    if (remaining() < 4) fail(4);
    const std::uint32_t lo = u16();
    return lo | (static_cast<std::uint32_t>(u16()) << 16);
}

void ContinueReader::skip(std::size_t n) {
    // Walks only as far as n reaches: counting all that is left first would
    // go over every later part each time, quadratic over a long table.
    std::size_t part = part_, pos = pos_, left = n;
    while (left > 0) {
        if (part >= parts_.size()) fail(n);
        const std::size_t take = std::min(left, parts_[part].size() - pos);
        pos += take;
        left -= take;
        if (left > 0) {
            ++part;
            pos = 0;
        }
    }
    part_ = part;
    pos_ = pos;
}

bool ContinueReader::atEnd() const {
    for (std::size_t i = part_; i < parts_.size(); ++i)
        if (parts_[i].size() > (i == part_ ? pos_ : 0)) return false;
    return true;
}

void ContinueReader::appendBytes(std::size_t n, std::vector<std::uint8_t>& out) {
    if (n > remaining()) fail(n);
    while (n > 0) {
        settle();
        const std::size_t take = std::min(n, parts_[part_].size() - pos_);
        const std::uint8_t* p = parts_[part_].data() + pos_;
        out.insert(out.end(), p, p + take);
        pos_ += take;
        n -= take;
    }
}

std::string ContinueReader::characters(std::size_t cch, bool highByte) {
    if (cch == 0) return {};
    // Most strings lie within one part: convert straight from the record.
    // No settle() first: characters that start exactly at a part boundary
    // are still preceded by a fresh option byte in the next part.
    if (part_ < parts_.size()) {
        const std::size_t avail = parts_[part_].size() - pos_;
        const std::size_t bytes = highByte ? cch * 2 : cch;
        if (bytes <= avail) {
            auto s = parts_[part_].subspan(pos_, bytes);
            pos_ += bytes;
            return highByte ? text::utf16leToUtf8(s) : compressedToUtf8(s);
        }
    }
    // Gathered as UTF-16 units so a surrogate pair cut by the boundary
    // still joins up.
    scratch_.clear();
    std::size_t left = cch;
    bool high = highByte;
    while (left > 0) {
        if (part_ >= parts_.size() || pos_ == parts_[part_].size()) {
            if (part_ + 1 >= parts_.size()) fail(high ? left * 2 : left);
            ++part_;
            pos_ = 0;
            // Skips empty CONTINUE records some writers leave behind.
            if (!settle()) fail(high ? left * 2 : left);
            high = (parts_[part_][pos_++] & 0x01) != 0;
            continue;
        }
        const std::uint8_t* p = parts_[part_].data() + pos_;
        const std::size_t avail = parts_[part_].size() - pos_;
        if (high) {
            const std::size_t take = std::min(left, avail / 2);
            if (take == 0) {
                // Half a character before a CONTINUE: some writers leave a
                // stray byte there; the text goes on in the next part.
                pos_ = parts_[part_].size();
                continue;
            }
            for (std::size_t i = 0; i < take; ++i) scratch_.push_back(io::le16(p + 2 * i));
            pos_ += take * 2;
            left -= take;
        } else {
            const std::size_t take = std::min(left, avail);
            for (std::size_t i = 0; i < take; ++i) scratch_.push_back(p[i]);
            pos_ += take;
            left -= take;
        }
    }
    return text::utf16ToUtf8(scratch_);
}

std::string ContinueReader::unicodeStringNoCch(std::size_t cch) {
    const bool high = (u8() & 0x01) != 0;
    return characters(cch, high);
}

std::string ContinueReader::unicodeString() {
    const std::uint16_t cch = u16();
    return unicodeStringNoCch(cch);
}

}  // namespace xls::biff
