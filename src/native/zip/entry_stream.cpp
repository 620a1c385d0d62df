#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "native/text/hex.h"
#include "native/zip/entry_stream_state.h"
#include "native/zip/zip_format.h"

namespace xls::zip {

namespace {

// zlib counts in 32-bit units; larger spans are handed over in pieces.
constexpr std::size_t kMaxPiece = std::size_t{1} << 30;

}  // namespace

void refuseUnreadable(const Entry& entry, std::uint64_t maxBytes) {
    const std::string label = "entry '" + entry.name + "'";
    if (entry.flags & kFlagEncrypted) throw ZipRefused(label + " is encrypted");
    if (entry.method != kMethodStored && entry.method != kMethodDeflate)
        throw ZipRefused(label + " is compressed with method " + std::to_string(entry.method) +
                         "; only stored (0) and deflate (8) are read");
    if (entry.uncompressedSize > maxBytes)
        throw ZipRefused(label + " declares " + std::to_string(entry.uncompressedSize) +
                         " bytes, more than the " + std::to_string(maxBytes) + " allowed");
}

EntryStream::State::State(const Entry& entry, std::span<const std::uint8_t> data)
    : label_("entry '" + entry.name + "'"),
      method_(entry.method),
      expectedCrc_(entry.crc32),
      declared_(entry.uncompressedSize),
      input_(data) {
    if (method_ == kMethodStored) {
        if (entry.compressedSize != entry.uncompressedSize)
            throw ZipError("stored " + label_ + " has " + std::to_string(entry.compressedSize) +
                           " bytes of data but declares " + std::to_string(entry.uncompressedSize));
        return;
    }
    // Some writers store an empty entry as no deflate data at all.
    if (declared_ == 0 && data.empty()) {
        streamEnded_ = true;
        return;
    }
    if (inflateInit2(&z_, -MAX_WBITS) != Z_OK)
        throw ZipError("cannot start inflating " + label_ + ": " + (z_.msg ? z_.msg : "no memory"));
    inflating_ = true;
}

EntryStream::State::~State() {
    endInflater();
}

void EntryStream::State::endInflater() {
    if (inflating_) inflateEnd(&z_);
    inflating_ = false;
}

std::size_t EntryStream::State::read(std::uint8_t* out, std::size_t size) {
    if (!failure_.empty()) throw ZipError(failure_);
    if (done_ || size == 0) return 0;
    try {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(size, declared_ - produced));
        std::size_t n = 0;
        if (want > 0) {
            n = method_ == kMethodStored ? copyStored(out, want) : inflateSome(out, want);
            crc_ = static_cast<std::uint32_t>(crc32_z(crc_, out, n));
            produced += n;
        }
        // Checked on the read that delivers the last declared byte, so a
        // reader that stops there has its bytes verified all the same.
        if (produced == declared_) finish();
        return n;
    } catch (const ZipError& e) {
        failure_ = e.what();
        endInflater();
        throw;
    }
}

std::size_t EntryStream::State::copyStored(std::uint8_t* out, std::size_t want) {
    // The constructor made the data exactly as long as declared.
    std::memcpy(out, input_.data(), want);
    input_ = input_.subspan(want);
    return want;
}

void EntryStream::State::feed() {
    if (z_.avail_in != 0 || input_.empty()) return;
    const std::size_t n = std::min(input_.size(), kMaxPiece);
    z_.next_in = input_.data();
    z_.avail_in = static_cast<uInt>(n);
    input_ = input_.subspan(n);
}

std::size_t EntryStream::State::inflateSome(std::uint8_t* out, std::size_t want) {
    const uInt room = static_cast<uInt>(std::min(want, kMaxPiece));
    for (;;) {
        feed();
        z_.next_out = out;
        z_.avail_out = room;
        const int ret = inflate(&z_, Z_NO_FLUSH);
        const std::size_t got = room - z_.avail_out;
        if (ret == Z_STREAM_END) {
            streamEnded_ = true;
            if (produced + got < declared_)
                throw ZipError(label_ + " inflates to " + std::to_string(produced + got) +
                               " bytes, fewer than the " + std::to_string(declared_) + " declared");
            return got;
        }
        if (got > 0 && ret == Z_OK) return got;
        // zlib says Z_BUF_ERROR only when it could make no progress, and it
        // is always given all the input there is: the data stop before the
        // deflate stream does.
        if (ret != Z_OK) inflateFailed(ret);
    }
}

void EntryStream::State::expectStreamEnd() {
    // All the declared bytes are out; whatever else the stream holds must
    // be nothing. One byte of room is enough to tell.
    std::uint8_t extra;
    while (!streamEnded_) {
        feed();
        z_.next_out = &extra;
        z_.avail_out = 1;
        const int ret = inflate(&z_, Z_NO_FLUSH);
        if (z_.avail_out == 0)
            throw ZipError(label_ + " inflates to more than the " + std::to_string(declared_) +
                           " bytes declared");
        if (ret == Z_STREAM_END)
            streamEnded_ = true;
        else if (ret != Z_OK)
            inflateFailed(ret);
    }
}

void EntryStream::State::finish() {
    if (method_ == kMethodDeflate) expectStreamEnd();
    // Bytes left after the end of the deflate stream are not read; what
    // came out is exactly what was declared, and the CRC says whether it
    // is right.
    if (crc_ != expectedCrc_)
        throw ZipError(label_ + " has CRC-32 " + text::hexNumber(crc_, 8) +
                       ", the directory says " + text::hexNumber(expectedCrc_, 8));
    done_ = true;
    endInflater();
}

void EntryStream::State::inflateFailed(int ret) const {
    const std::string at =
        " after " + std::to_string(produced) + " of " + std::to_string(declared_) + " bytes";
    if (ret == Z_BUF_ERROR) throw ZipError(label_ + ": deflate data end" + at);
    const std::string detail = z_.msg ? z_.msg : "zlib error " + std::to_string(ret);
    throw ZipError(label_ + ": bad deflate data" + at + " (" + detail + ")");
}

EntryStream::EntryStream(std::unique_ptr<State> state) : state_(std::move(state)) {}
EntryStream::EntryStream(EntryStream&&) noexcept = default;
EntryStream& EntryStream::operator=(EntryStream&&) noexcept = default;
EntryStream::~EntryStream() = default;

std::size_t EntryStream::read(std::uint8_t* out, std::size_t size) {
    return state_ ? state_->read(out, size) : 0;
}

std::uint64_t EntryStream::produced() const {
    return state_ ? state_->produced : 0;
}

}  // namespace xls::zip
