// The file search over real temporary folders, where the program cannot
// take it: into subfolders, into what the file system does between two
// calls, into the program's own folder. What the program gathers from one
// folder is tested through the program itself (tests/e2e).

#include "run/find_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "os/path_names.h"
#include "support/scripted_file_system.h"
#include "support/temp_folder.h"

namespace mokuji::os {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

const std::string kSeparator(1, kPathSeparator);

std::vector<std::string> items(const run::ListBox& list) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < list.ListCount(); ++i) out.push_back(list.List(i));
    return out;
}

class FindFilesTest : public ::testing::Test {
  protected:
    void mkdir(const std::string& name) const {
        std::filesystem::create_directories(fake::utf8Path(dir.file(name)));
    }
    void touch(const std::string& name) const { dir.write(name, "x"); }

    std::vector<std::string> find(const std::string& folder, const std::string& extensions,
                                  bool descend) {
        list.AddItem("left from before");
        FindFiles(folder, extensions, descend, list, {fs, [this] { ++yields; }});
        return items(list);
    }

    fake::TempFolder dir;
    fake::ScriptedFileSystem fs;
    run::ListBox list;
    int yields = 0;
};

TEST_F(FindFilesTest, EmptyExtensionPatternFindsNamesWithoutDot) {
    touch("noext");
    touch("a.xls");
    mkdir("sub");
    mkdir("old.xls");
    EXPECT_THAT(find(dir.file(""), "*.", false), ElementsAre("noext"));
    EXPECT_THAT(find(dir.file(""), "*.", true),
                UnorderedElementsAre("noext", dir.file("sub") + kSeparator));
}

TEST_F(FindFilesTest, DescendListsSubfolderFilesByBareNameAndNoFolders) {
    touch("top.xls");
    mkdir("sub/deeper");
    touch("sub/inner.xls");
    touch("sub/deeper/deepest.xls");
    mkdir("old.xls");
    EXPECT_THAT(find(dir.file(""), "*.xls", false), ElementsAre("top.xls"));
    EXPECT_THAT(find(dir.file(""), "*.xls", true),
                UnorderedElementsAre("top.xls", "inner.xls", "deepest.xls"));
}

TEST_F(FindFilesTest, EverythingPatternWalksDepthFirstFilesBeforeSubfolders) {
    touch("x.txt");
    mkdir("S");
    touch("S/y.txt");
    EXPECT_THAT(find(dir.file(""), "*.*", true),
                ElementsAre("x.txt", dir.file("S") + kSeparator, "y.txt"));
    EXPECT_THAT(find(dir.file(""), "*.*", false), ElementsAre("x.txt"));
}

TEST_F(FindFilesTest, HiddenEntriesAreNeitherListedNorEntered) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows hides by attribute, not by a leading dot; see FindFilesOnWindows";
#endif
    touch(".x.xls");
    mkdir(".hidden");
    touch(".hidden/inside.xls");
    touch("shown.xls");
    EXPECT_THAT(find(dir.file(""), "*.xls", true), ElementsAre("shown.xls"));
    EXPECT_THAT(find(dir.file(""), "*.*", true), ElementsAre("shown.xls"));
}

TEST_F(FindFilesTest, OutAndTmpTextAreLeftOutOnlyInTheProgramFolder) {
    std::string top = dir.file("");
    if (top.back() == kPathSeparator) top.pop_back();
    fs.programFolderIs = top;
    for (auto name : {"OUT.TXT", "tmp.txt", "kept.txt"}) touch(name);
    mkdir("sub");
    touch("sub/out.txt");
    EXPECT_THAT(find(top, "*.*", true),
                ElementsAre("kept.txt", top + kSeparator + "sub" + kSeparator, "out.txt"));
}

TEST_F(FindFilesTest, FolderThatCannotBeListedGivesNothing) {
    EXPECT_THAT(find(dir.file("gone"), "*.xls", false), IsEmpty());
    touch("a.xls");
    mkdir("locked");
    touch("locked/b.xls");
    mkdir("open");
    touch("open/c.xls");
    fs.unlistable.insert(dir.file("locked") + kSeparator);
    // One unreadable subfolder costs only its own entries.
    EXPECT_THAT(find(dir.file(""), "*.xls", true), UnorderedElementsAre("a.xls", "c.xls"));
}

TEST_F(FindFilesTest, EntryThatVanishedAfterTheListingIsSkipped) {
    touch("a.xls");
    std::string folder = dir.file("");
    fs.vanishing[folder] = {"vanished.xls", "vanished folder"};
    EXPECT_THAT(find(folder, "*.*", true), ElementsAre("a.xls"));
}

TEST_F(FindFilesTest, FolderLinkedToItselfEnds) {
#ifdef _WIN32
    GTEST_SKIP() << "the C++ library of this build cannot make links on Windows";
#endif
    touch("a.xls");
    std::filesystem::create_directory_symlink(".", dir.path() / "loop");
    // The system refuses paths through too many links, so the walk stops.
    std::vector<std::string> found = find(dir.file(""), "*.xls", true);
    EXPECT_GE(found.size(), 1u);
    EXPECT_EQ(found.front(), "a.xls");
}

TEST_F(FindFilesTest, EmptyFolderIsTheCurrentDirectory) {
    touch("here.xls");
    fs.currentDirectoryIs = dir.file("");
    EXPECT_THAT(find("", "*.xls", false), ElementsAre("here.xls"));
}

TEST_F(FindFilesTest, YieldsBeforeEveryEntryIsExamined) {
    for (auto name : {"a.xls", "b.txt"}) touch(name);
    mkdir("sub");
    std::vector<std::string> events;
    fs.events = &events;
    FindFiles(dir.file(""), "*.xls", true, list, {fs, [&] { events.push_back("yield"); }});
    int examined = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (!events[i].starts_with("examine:")) continue;
        ++examined;
        ASSERT_GT(i, 0u);
        EXPECT_EQ(events[i - 1], "yield") << events[i];
    }
    EXPECT_EQ(examined, 3);
}

}  // namespace
}  // namespace mokuji::os
