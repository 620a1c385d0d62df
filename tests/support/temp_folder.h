#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fake {

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
  public:
    TempFolder() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("mokuji-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // UTF-8 text of a path inside, ending in the platform's separator when
    // name is empty.
    std::string file(const std::string& name) const {
        const std::u8string s = at(name).u8string();
        return std::string(s.begin(), s.end());
    }
    // Through paths, not narrow text: a narrow name means the ANSI code page
    // on Windows, not UTF-8.
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(at(name), std::ios::binary) << bytes;
        return file(name);
    }
    std::string copy(const std::string& from, const std::string& name) const {
        std::filesystem::copy_file(std::filesystem::path(std::u8string(from.begin(), from.end())),
                                   at(name));
        return file(name);
    }

  private:
    std::filesystem::path at(const std::string& name) const {
        return path_ / std::filesystem::path(std::u8string(name.begin(), name.end()));
    }

    std::filesystem::path path_;
};

// A path from UTF-8 text; a narrow string is read in the ANSI code page on
// Windows.
inline std::filesystem::path utf8Path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string testData(const std::string& relative) {
    return std::string(MOKUJI_TEST_DATA_DIR) + "/" + relative;
}

}  // namespace fake
