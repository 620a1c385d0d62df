#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "native/zip/zip_archive.h"

namespace xls::zip {

// Throws ZipRefused for an entry we will not read: encrypted, compressed by
// a method other than stored or deflate, or declared larger than maxBytes.
void refuseUnreadable(const Entry& entry, std::uint64_t maxBytes);

// Kept on the heap by EntryStream: zlib's state points back at its
// z_stream, which therefore must not move when the stream does.
struct EntryStream::State {
    State(const Entry& entry, std::span<const std::uint8_t> data);
    ~State();
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    std::size_t read(std::uint8_t* out, std::size_t size);

    std::uint64_t produced = 0;

  private:
    std::size_t copyStored(std::uint8_t* out, std::size_t want);
    std::size_t inflateSome(std::uint8_t* out, std::size_t want);
    void feed();
    void finish();
    void expectStreamEnd();
    [[noreturn]] void inflateFailed(int ret) const;
    void endInflater();

    std::string label_;
    std::uint16_t method_;
    std::uint32_t expectedCrc_;
    std::uint64_t declared_;
    // Compressed bytes not yet handed to zlib.
    std::span<const std::uint8_t> input_;
    z_stream z_{};
    bool inflating_ = false;
    bool streamEnded_ = false;
    bool done_ = false;
    std::uint32_t crc_ = 0;
    std::string failure_;
};

}  // namespace xls::zip
