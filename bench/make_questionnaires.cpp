// mokuji-make-questionnaires N FOLDER: writes N questionnaire workbooks
// (アンケート回答_00001.xls ...) for timing whole runs. They go through the
// object model, as a user's macro would write them, so the folder can be
// rebuilt anywhere the engine builds, without another spreadsheet program.
//
// The layout and the 20 names follow the questionnaires of the shared
// corpus, so a list file made on one folder can update the other. Five
// further names P_... turn into document property columns when the first
// workbook supplies a run's columns. The object model cannot set document
// properties; the files carry only those the engine writes on every save
// (application name, creation and save times), so the title and author
// columns stay empty here, unlike on the corpus.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "automation/native/native_application.h"
#include "automation/object_model.h"

namespace {

constexpr const char* kSheetName = "回答票";

// Content depends on the index alone, so two folders made with the same N
// hold the same cells and names; only the save times differ.
class Sequence {
  public:
    explicit Sequence(std::uint32_t index) : state_(index * 2654435761u + 12345u) {}
    std::uint32_t next(std::uint32_t bound) {
        state_ = state_ * 1103515245u + 12345u;
        return (state_ >> 8) % bound;
    }

  private:
    std::uint32_t state_;
};

const std::vector<std::string> kFamilyNames = {"佐藤", "鈴木", "高橋", "田中", "伊藤",
                                               "渡辺", "山本", "中村", "小林", "井上"};
const std::vector<std::string> kGivenNames = {"陽子", "翔太", "さくら", "健一", "美咲",
                                              "大輔", "由美", "拓也",   "恵",   "直樹"};
const std::vector<std::string> kDepartments = {"人事部", "総務部",     "経理部", "営業部",
                                               "開発部", "品質保証部", "製造部"};
const std::vector<std::string> kRemarks = {
    "特になし", "会議室が足りません。\n予約の仕組みを見直してほしい。",
    "在宅勤務の日を増やしたい。\n通勤が負担です。", "研修の機会がもっと欲しいです。"};

struct NamedCell {
    const char* name;
    int row;
    int column;
    const char* label;
};

// Where each name sits; the label goes one column to the left.
const std::vector<NamedCell> kCells = {
    {"件名", 3, 3, "件名"},         {"提出日", 4, 3, "提出日"},     {"回答日", 4, 5, "回答日"},
    {"社員番号", 5, 3, "社員番号"}, {"氏名", 6, 3, "氏名"},         {"担当者", 6, 5, "担当者"},
    {"部署", 7, 3, "部署"},         {"満足度", 7, 5, "満足度"},     {"金額", 8, 3, "金額"},
    {"評価1", 11, 4, "評価1"},      {"評価2", 12, 4, "評価2"},      {"評価3", 13, 4, "評価3"},
    {"評価4", 14, 4, "評価4"},      {"評価5", 15, 4, "評価5"},      {"評価6", 16, 4, "評価6"},
    {"評価7", 17, 4, "評価7"},      {"評価8", 18, 4, "評価8"},      {"評価9", 19, 4, "評価9"},
    {"評価10", 20, 4, "評価10"},    {"コメント", 22, 3, "コメント"}};

const std::vector<std::string> kPropertyColumns = {"P_タイトル", "P_作成者", "P_作成日時",
                                                   "P_更新日時", "P_アプリケーション名"};

std::string twoDigits(std::uint32_t n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02u", n);
    return buf;
}

std::string person(Sequence& seq) {
    return kFamilyNames[seq.next(kFamilyNames.size())] + " " +
           kGivenNames[seq.next(kGivenNames.size())];
}

// The text typed into each named cell, in the order of kCells. Typed input
// turns dates, integers and decimals into values of those kinds.
std::vector<std::string> answers(std::uint32_t index) {
    Sequence seq(index);
    std::uint32_t month = 1 + seq.next(12);
    std::uint32_t day = 1 + seq.next(20);
    std::vector<std::string> v;
    v.push_back("2024年度 職場環境アンケート");
    v.push_back("2024/" + twoDigits(month) + "/" + twoDigits(day + 7));
    v.push_back("2024/" + twoDigits(month) + "/" + twoDigits(day));
    v.push_back(std::to_string(100000 + index));
    v.push_back(person(seq));
    v.push_back(person(seq));
    v.push_back(kDepartments[seq.next(kDepartments.size())]);
    v.push_back(std::to_string(1 + seq.next(4)) + "." + twoDigits(seq.next(100)));
    v.push_back(std::to_string(10000 + seq.next(190000)) + "." + twoDigits(seq.next(100)));
    for (int k = 0; k < 10; ++k) v.push_back(std::to_string(1 + seq.next(5)));
    v.push_back(kRemarks[index % kRemarks.size()]);
    return v;
}

std::string reference(int row, int column) {
    return std::string("=") + kSheetName + "!R" + std::to_string(row) + "C" +
           std::to_string(column);
}

void writeQuestionnaire(automation::Application& app, std::uint32_t index,
                        const std::string& path) {
    auto book = app.workbooks()->add();
    auto sheet = book->sheets()->item(1);
    sheet->setName(kSheetName);
    sheet->cells(1, 2)->setFormulaR1C1(automation::Variant("職場環境アンケート 回答票"));
    auto values = answers(index);
    auto names = book->names();
    for (std::size_t k = 0; k < kCells.size(); ++k) {
        const auto& cell = kCells[k];
        sheet->cells(cell.row, cell.column - 1)->setFormulaR1C1(automation::Variant(cell.label));
        sheet->cells(cell.row, cell.column)->setFormulaR1C1(automation::Variant(values[k]));
        names->add(cell.name, reference(cell.row, cell.column));
    }
    // Empty cells below the form; only the names matter to a run.
    for (std::size_t k = 0; k < kPropertyColumns.size(); ++k)
        names->add(kPropertyColumns[k], reference(26, static_cast<int>(k) + 2));
    automation::SaveAsArguments args;
    args.fileName = path;
    book->saveAs(args);
    book->close(false);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s N FOLDER\n", argv[0]);
        return 2;
    }
    long count = std::strtol(argv[1], nullptr, 10);
    if (count < 1 || count > 99999) {
        std::fprintf(stderr, "N must be 1 to 99999, not %s\n", argv[1]);
        return 2;
    }
    std::filesystem::path folder = argv[2];
    try {
        std::filesystem::create_directories(folder);
        auto app = xls::native::createApplication();
        for (long i = 1; i <= count; ++i) {
            char file[64];
            std::snprintf(file, sizeof file, "アンケート回答_%05ld.xls", i);
            writeQuestionnaire(*app, static_cast<std::uint32_t>(i), (folder / file).string());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
