#include "window/startup_messages.h"

#include "window/run_messages.h"

#include "list_file/list_layout.h"
#include "os/name_text.h"
#include "run/list_generation_driver.h"

namespace mokuji::window {

namespace {

// A name is one line of a message, whatever it holds.
std::string OneLine(const std::string& name) {
    return os::LineBreaksEscaped(name);
}

}  // namespace

std::string NoWorkbooksMessage(const std::string& folder) {
    return "以下のフォルダにはEXCELのシートがありません。\r\n\r\n" + OneLine(folder);
}

std::string PathNotFoundMessage(const std::string& given, const std::string& resolved) {
    std::string text =
        "指定されたファイルまたはフォルダが見つかりません。\r\n\r\n" + OneLine(given) + "\r\n";
    if (resolved != given) text += "（" + OneLine(resolved) + "）\r\n";
    return text;
}

std::string BadArgumentMessage(const std::string& given) {
    return "指定された引数はファイルまたはフォルダのパスではありません。\r\n\r\n" + OneLine(given) +
           "\r\n";
}

std::string ReadFailureMessage(const list_file::ReadFailure& failure) {
    std::string found = FoundContentText(failure.content);
    // The kind of failure says it in the user's words. The engine's own
    // account is English, for whoever mends a file ("sector 12 beyond end
    // of data"): it is given only when no kind is known, as then it is all
    // there is to go on.
    const bool kindKnown = failure.cause != automation::OpenFailure::Other &&
                           failure.cause != automation::OpenFailure::None;
    return "以下のブックを読み込めなかったため、目次ファイルを作成・更新しませんでした。\r\n\r\n" +
           OneLine(failure.path) + "（" + OpenFailureText(failure.cause) + "）" +
           (found.empty() ? "" : "（" + found + "）") + "\r\n" +
           (kindKnown ? "" : "（詳細: " + failure.reason + "）\r\n");
}

std::string PassedOverTemplatesMessage(const std::vector<list_file::ReadFailure>& failures) {
    std::string text = "以下のブックは読み込めなかったため、列の定義には使いませんでした。\r\n\r\n";
    for (const list_file::ReadFailure& failure : failures) {
        text += OneLine(failure.path) + "（" + OpenFailureText(failure.cause) + "）\r\n";
    }
    return text;
}

std::string OpenedWithItselfMessage(const std::string& listFile) {
    return "目次ファイルを開くプログラムとして、このプログラム自身が選ばれています。\r\n"
           "目次ファイルはそのままにしました。EXCELのブック（.xls）を開く既定のプログラムには、"
           "表計算のプログラムを選んでください。\r\n"
           "\r\n" +
           OneLine(listFile);
}

std::string UsageText(const std::string& programName) {
    // A line per way to start it, so that every option is named here; the
    // later lines line up under the first, whose "使い方: " is eight
    // columns wide.
    const std::string indent(8, ' ');
    return "使い方: " + programName + " パス\r\n" + indent + programName +
           " [-r | --recursive | --no-recursive] [--extensions 一覧] [--list 形式]\r\n" + indent +
           "    [--include パターン]... [--exclude パターン]... [--verbose] [--] パス\r\n" +
           indent + programName + " --csv ファイル [--bom] [上のオプション] パス\r\n" + indent +
           programName + " --jsonl ファイル [上のオプション] パス\r\n" + indent + programName +
           " -h | --help\r\n" + indent + programName +
           " -V | --version\r\n"
           "\r\n"
           "パスのフォルダ（ファイルならそれを含むフォルダ）にあるEXCELのブックを集め、\r\n"
           "そのフォルダの目次ファイル " +
           std::string(list_file::kListFileName) +
           " を作成または更新して開きます。\r\n"
           "パスにはフォルダ、目次ファイル、またはほかのブックを一つだけ指定します。\r\n"
           "集めるのは拡張子が xls, xlsx, xlsm のブックです。--extensions xls と\r\n"
           "書くと、その拡張子のブックだけを集めます。-r を付けると、サブフォルダの\r\n"
           "ブックも集めます。\r\n";
}

std::string UnknownOptionMessage(const std::string& option) {
#ifdef _WIN32
    const std::string self = ".\\";
#else
    const std::string self = "./";
#endif
    return "不明なオプションです: " + option +
           "\r\n"
           "その名前のファイルまたはフォルダは " +
           self + option + " のように、または -- の後に指定してください。\r\n";
}

std::string OptionWithoutValueMessage(const std::string& option) {
    if (!option.starts_with("--extensions"))
        return option + " の後にファイル名のパターンを指定してください（例：" + option +
               " \"*下書き*\"）。\r\n";
    return option + " の後に拡張子を指定してください（例：" + option + " xls,xlsx）。\r\n";
}

std::string ListFormatMessage(const std::string& option) {
    return option + " の後に目次ファイルの形式 xls か xlsx を指定してください（例：" + option +
           " xlsx）。\r\n";
}

std::string RepeatedOptionMessage(const std::string& option) {
    return option + " は一度だけ指定してください。\r\n";
}

std::string RowsFileMissingMessage(const std::string& option) {
    return option + " の後に書き出すファイル名を指定してください（例：" + option +
           " 目次.csv、標準出力なら " + option + " -）。\r\n";
}

std::string RowsOptionsTogetherMessage() {
    return "--csv と --jsonl は、どちらか一つを一度だけ指定してください。\r\n";
}

std::string ByteOrderMarkWithoutCsvMessage() {
    return "--bom は --csv と一緒に指定してください（JSON Lines には付けません）。\r\n";
}

std::string RowsWithoutPathMessage() {
    return "--csv と --jsonl には、ブックを集めるフォルダのパスも指定してください。\r\n";
}

std::string UsageErrorMessage(const std::string& problem, const std::string& programName) {
    std::string text = problem;
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) text += "\r\n";
    return text + "使い方は " + programName + " --help で表示します。\r\n";
}

}  // namespace mokuji::window
