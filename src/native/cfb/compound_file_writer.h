#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "native/cfb/cfb_error.h"
#include "native/cfb/compound_file.h"

namespace xls::cfb {

using Clsid = std::array<std::uint8_t, 16>;

// 00020820-0000-0000-C000-000000000046 in stored byte order: the class a
// workbook's root storage names.
inline constexpr Clsid kWorkbookClsid = {0x20, 0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                         0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// Builds a compound file in memory: version 3, 512-byte sectors, streams
// under 4096 bytes in the mini stream. Paths name entries below the root
// with '/' between the storages ("Workbook", "_VBA_PROJECT_CUR/VBA/dir");
// names match ignoring case as the format compares them, and missing
// storages on the way are created. Bad names throw CfbError.
class CompoundFileWriter {
  public:
    CompoundFileWriter();
    ~CompoundFileWriter();
    CompoundFileWriter(CompoundFileWriter&&) noexcept;
    CompoundFileWriter& operator=(CompoundFileWriter&&) noexcept;

    void setRootClsid(const Clsid& clsid);

    // Adds a stream, or replaces the contents of the one at `path`.
    void addStream(std::string_view path, std::vector<std::uint8_t> data);
    // Adds a storage, or sets the class of the one at `path`.
    void addStorage(std::string_view path, const Clsid& clsid = {});

    // Takes over every stream and storage of `source` for which `keep`
    // returns true (given the entry's path as above; a storage left out
    // takes its contents with it), with classes, state bits and storage
    // times, and the root's class. Unreadable streams throw CfbError.
    void copyFrom(const CompoundFile& source, const std::function<bool(const std::string&)>& keep);

    // The whole file. The writer stays usable; calling it again gives the
    // same bytes.
    std::vector<std::uint8_t> finish() const;
    // The same bytes handed to sink in order, a piece at a time: the large
    // streams go out from where they are held rather than copied into an
    // image of the whole file first.
    void finish(const std::function<void(std::span<const std::uint8_t>)>& sink) const;

  private:
    struct Node;
    Node& descend(std::string_view path, bool wantStorage);
    void copyChildren(const CompoundFile& source, const DirectoryEntry& from, Node& to,
                      const std::string& prefix,
                      const std::function<bool(const std::string&)>& keep,
                      std::vector<bool>& copied);

    std::unique_ptr<Node> root_;
};

}  // namespace xls::cfb
