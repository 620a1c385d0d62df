#include "native/book/string_table.h"

#include <algorithm>
#include <stdexcept>

#include "native/biff/record_ids.h"
#include "native/book/layout.h"
#include "native/book/record_writer.h"
#include "native/text/unicode.h"

namespace xls::book {

std::uint32_t StringTable::add(std::string_view text, bool lasting) {
    ++uses_;
    if (auto found = index_.find(text); found != index_.end()) return found->second;
    if (!lasting) text = copies_.emplace_back(text);
    const auto index = static_cast<std::uint32_t>(order_.size());
    index_.emplace(text, index);
    order_.push_back(text);
    textBytes_ += text.size();
    return index;
}

std::uint32_t StringTable::indexOf(std::string_view text) const {
    auto found = index_.find(text);
    if (found == index_.end()) throw std::out_of_range("a text not in the string table");
    return found->second;
}

namespace {

// Writes records of at most kMaxRecordData bytes, opening a CONTINUE when
// the current one is full.
class ContinuedRecord {
  public:
    ContinuedRecord(std::vector<std::uint8_t>& out, std::uint16_t id) : out_(out) {
        start_ = beginRecord(out_, id);
    }
    std::size_t room() const { return kMaxRecordData - (out_.size() - start_ - 4); }
    void next() {
        endRecord(out_, start_);
        start_ = beginRecord(out_, biff::rec::Continue);
    }
    void finish() { endRecord(out_, start_); }
    std::size_t recordStart() const { return start_; }
    ByteWriter writer() { return ByteWriter(out_); }

  private:
    std::vector<std::uint8_t>& out_;
    std::size_t start_;
};

struct BucketStart {
    std::uint32_t streamPos;
    std::uint16_t inRecord;
};

}  // namespace

void StringTable::write(std::vector<std::uint8_t>& out, std::size_t streamOffset) const {
    const std::size_t count = order_.size();
    // Strings per EXTSST bucket: at least 8, and no more than 128 buckets.
    const std::size_t perBucket = std::max<std::size_t>(8, count / 128 + 1);
    std::vector<BucketStart> buckets;
    buckets.reserve(count / perBucket + 1);

    ContinuedRecord rec(out, biff::rec::Sst);
    ByteWriter w = rec.writer();
    w.u32(uses_);
    w.u32(static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::u16string units = text::utf8ToUtf16(order_[i]);
        const bool narrow = fitsCompressed(units);
        const std::size_t charSize = narrow ? 1 : 2;
        // Header plus at least one character must fit, or the string starts
        // in the next record.
        if (rec.room() < 3 + (units.empty() ? 0 : charSize)) rec.next();
        if (i % perBucket == 0)
            buckets.push_back({static_cast<std::uint32_t>(streamOffset + out.size()),
                               static_cast<std::uint16_t>(out.size() - rec.recordStart())});
        w.u16(static_cast<std::uint16_t>(units.size()));
        w.u8(narrow ? 0 : 1);
        std::size_t done = 0;
        while (done < units.size()) {
            std::size_t fit = rec.room() / charSize;
            if (fit == 0) {
                rec.next();
                w.u8(narrow ? 0 : 1);
                continue;
            }
            std::size_t n = std::min(fit, units.size() - done);
            // A character of two units stays in one record: readers decode
            // each record's part of a string on its own.
            if (done + n < units.size() && text::isHighSurrogate(units[done + n - 1])) --n;
            if (n == 0) {
                rec.next();
                w.u8(narrow ? 0 : 1);
                continue;
            }
            for (std::size_t k = 0; k < n; ++k) {
                if (narrow)
                    w.u8(static_cast<std::uint8_t>(units[done + k]));
                else
                    w.u16(units[done + k]);
            }
            done += n;
        }
    }
    rec.finish();

    const std::size_t ext = beginRecord(out, biff::rec::ExtSst);
    ByteWriter e(out);
    e.u16(static_cast<std::uint16_t>(perBucket));
    for (const auto& b : buckets) {
        e.u32(b.streamPos);
        e.u16(b.inRecord);
        e.u16(0);
    }
    endRecord(out, ext);
}

}  // namespace xls::book
