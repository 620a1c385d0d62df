// The file search over the Windows file system: "\" separates, what
// Explorer hides is neither listed nor entered, and the program's own
// OUT.TXT is found by the module's folder.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "os/win32/wide_text.h"
#include "os/win32/win32_file_system.h"
#include "run/find_files.h"
#include "support/temp_folder.h"

namespace mokuji::os {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class FindFilesOnWindows : public ::testing::Test {
  protected:
    void mkdir(const std::string& name) const {
        std::filesystem::create_directories(fake::utf8Path(dir.file(name)));
    }
    void touch(const std::string& name) const { dir.write(name, "x"); }
    void hide(const std::string& name) const {
        const std::wstring path = os::win::Wide(dir.file(name));
        ASSERT_TRUE(SetFileAttributesW(path.c_str(),
                                       GetFileAttributesW(path.c_str()) | FILE_ATTRIBUTE_HIDDEN));
    }

    std::vector<std::string> find(const std::string& folder, const std::string& extensions,
                                  bool descend) {
        FindFiles(folder, extensions, descend, list, {fs, {}});
        std::vector<std::string> out;
        for (std::size_t i = 0; i < list.ListCount(); ++i) out.push_back(list.List(i));
        return out;
    }

    fake::TempFolder dir;
    os::win::Win32FileSystem fs;
    run::ListBox list;
};

TEST_F(FindFilesOnWindows, WalksSubfoldersButNotHiddenOnes) {
    touch("top.xls");
    touch("報告書 第1回.XLS");
    mkdir("サブ");
    touch("サブ\\inner.xls");
    mkdir("hidden");
    touch("hidden\\secret.xls");
    hide("hidden");
    touch("hidden.xls");
    hide("hidden.xls");

    std::string folder = dir.file("");
    folder.pop_back();
    EXPECT_THAT(find(folder, "*.xls", true),
                UnorderedElementsAre("top.xls", "報告書 第1回.XLS", "inner.xls"));
    EXPECT_THAT(find(folder + "\\", "*.*", true),
                ElementsAre(::testing::_, ::testing::_, dir.file("サブ") + "\\", "inner.xls"));
}

}  // namespace
}  // namespace mokuji::os
