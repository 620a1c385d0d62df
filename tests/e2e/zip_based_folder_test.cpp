// A folder of zip-based questionnaires (the example questionnaires saved
// again as .xlsx by LibreOffice): gathered unless the user narrows the
// extensions, and listed exactly as their .xls twins are.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/e2e_support.h"
#include "e2e/run_program.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;

class ZipBasedFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        // Empty settings of our own: the user's running the tests must not
        // decide what is gathered.
        config = dir.file("config");
        std::filesystem::create_directories(u8path(config + "/mokuji"));
        copyExamples("questionnaires", "binary");
        copyExamples("questionnaires-xlsx", "zip");
    }

    void copyExamples(const std::string& from, const std::string& to) {
        std::filesystem::create_directory(u8path(dir.file(to)));
        for (const auto& e :
             std::filesystem::directory_iterator(fake::testData("../../examples/" + from))) {
            // The example command may have left its list there.
            if (e.path().filename() != u8path("00_目次.xls"))
                std::filesystem::copy_file(e.path(), dir.path() / to / e.path().filename());
        }
    }

    ProgramRun run(const std::vector<std::string>& args) {
        return runProgram(MOKUJI_BINARY, args,
                          {{"MOKUJI_OPENER", opener.program()}, {"XDG_CONFIG_HOME", config}},
                          dir.path().string());
    }

    // The list as our reader or xlrd sees it, with the .xls twins' names.
    std::string listOf(const std::string& folder, const std::string& extension,
                       bool byXlrd = false) {
        const std::string file = dir.file(folder + "/00_目次.xls");
        std::string list =
            byXlrd ? fake::xlrdSays(file, kXlrdListScript) : listAsOurReaderSees(file);
        for (std::size_t at = 0; (at = list.find(extension + "|", at)) != std::string::npos;
             at += 4)
            list.replace(at, extension.size(), ".xls");
        return list;
    }

    fake::TempFolder dir;
    RecordingOpener opener{dir};
    std::string config;
};

TEST_F(ZipBasedFolder, AreLeftOutWhenTheExtensionsLeaveThemOut) {
    ProgramRun r = run({"--extensions", "xls", "zip"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_THAT(r.err, HasSubstr("以下のフォルダにはEXCELのシートがありません。"));
    EXPECT_THAT(
        r.err,
        HasSubstr("\nアンケート回答_00004.xlsx（集めるブックの拡張子に含まれていません）\n"));
    EXPECT_FALSE(std::filesystem::exists(u8path(dir.file("zip/00_目次.xls"))));
}

TEST_F(ZipBasedFolder, ListLikeTheirBinaryTwinsByOptionOrSetting) {
    ASSERT_EQ(run({"binary"}).status, 0);
    const std::string twins = listOf("binary", ".xls");
    ASSERT_THAT(twins, HasSubstr("アンケート回答_00004.xls|"));

    // By default, the option over the list it wrote, then the setting.
    for (int pass = 1; pass <= 3; ++pass) {
        if (pass == 3)
            dir.write("config/mokuji/mokuji.conf", "# gathered\n[gathering]\nextensions = XLSX\n");
        ProgramRun r = pass == 2 ? run({"--extensions", "xls,xlsx", "zip"}) : run({"zip"});
        EXPECT_EQ(r.status, 0) << "pass " << pass << ": " << r.err;
        EXPECT_EQ(listOf("zip", ".xlsx"), twins) << "pass " << pass;
    }
    if (fake::xlrdAvailable()) {
        EXPECT_EQ(listOf("zip", ".xlsx", true), listOf("binary", ".xls", true));
    }
}

TEST_F(ZipBasedFolder, OddNamesAreGatheredAsXlsNamesAre) {
    const std::filesystem::path zip = dir.path() / "zip";
    std::filesystem::rename(zip / u8path("アンケート回答_00002.xlsx"),
                            zip / u8path("回答 #2.XLSX"));
    // Hidden, and an owner file of an open workbook: neither is gathered.
    std::filesystem::rename(zip / u8path("アンケート回答_00003.xlsx"), zip / ".回答3.xlsx");
    std::filesystem::copy_file(zip / u8path("アンケート回答_00004.xlsx"),
                               zip / u8path("~$アンケート回答_00004.xlsx"));
    ProgramRun r = run({"--extensions=xlsx", "zip"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string list = listAsOurReaderSees(dir.file("zip/00_目次.xls"));
    EXPECT_THAT(list, HasSubstr("\n2|アンケート回答_00004.xlsx|"));
    EXPECT_THAT(list, HasSubstr("\n3|回答 #2.XLSX|2024年度 職場環境アンケート|"));
    EXPECT_THAT(list, ::testing::Not(HasSubstr("回答3")));
    EXPECT_THAT(list, ::testing::Not(HasSubstr("~$")));
}

TEST_F(ZipBasedFolder, AnUnreadableSettingIsNamed) {
    ProgramRun r = run({"--extensions", "xls;xlsx", "zip"});
    EXPECT_EQ(r.status, 64);
    EXPECT_THAT(r.err,
                HasSubstr("--extensions xls;xlsx：拡張子はカンマで区切って指定してください"));

    // A settings file may be shared with other versions: its fault is named
    // and the run goes on with the default extensions.
    dir.write("config/mokuji/mokuji.conf", "extensions=*.xlsx\n");
    r = run({"zip"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err,
                HasSubstr("extensions=*.xlsx：拡張子はカンマで区切って指定してください（例：xls,"
                          "xlsx）。既定の xls,xlsx,xlsm を集めます。"));
}

}  // namespace
}  // namespace e2e
