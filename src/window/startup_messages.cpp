#include "window/startup_messages.h"

#include "window/run_messages.h"

#include "list_file/list_layout.h"
#include "os/name_text.h"
#include "run/list_generation_driver.h"
#include "ui/text.h"

namespace mokuji::window {

namespace {

// A name is one line of a message, whatever it holds.
std::string OneLine(const std::string& name) {
    return os::LineBreaksEscaped(name);
}

}  // namespace

std::string NoWorkbooksMessage(const std::string& folder) {
    return ui::Text("以下のフォルダにはEXCELのシートがありません。\r\n\r\n") + OneLine(folder);
}

std::string PathNotFoundMessage(const std::string& given, const std::string& resolved) {
    std::string text = ui::Text("指定されたファイルまたはフォルダが見つかりません。\r\n\r\n") +
                       OneLine(given) + "\r\n";
    if (resolved != given) text += ui::Text("（{1}）\r\n", {OneLine(resolved)});
    return text;
}

std::string BadArgumentMessage(const std::string& given) {
    return ui::Text("指定された引数はファイルまたはフォルダのパスではありません。\r\n\r\n") +
           OneLine(given) + "\r\n";
}

std::string ReadFailureMessage(const list_file::ReadFailure& failure) {
    std::string found = FoundContentText(failure.content);
    // The kind of failure says it in the user's words. The engine's own
    // account is English, for whoever mends a file ("sector 12 beyond end
    // of data"): it is given only when no kind is known, as then it is all
    // there is to go on.
    const bool kindKnown = failure.cause != automation::OpenFailure::Other &&
                           failure.cause != automation::OpenFailure::None;
    return ui::Text(
               "以下のブックを読み込めなかったため、目次ファイルを作成・更新しませんでした。"
               "\r\n\r\n") +
           OneLine(failure.path) + ui::Text("（{1}）", {OpenFailureText(failure.cause)}) +
           (found.empty() ? "" : ui::Text("（{1}）", {found})) + "\r\n" +
           (kindKnown ? "" : ui::Text("（詳細: {1}）\r\n", {failure.reason}));
}

std::string PassedOverTemplatesMessage(const std::vector<list_file::ReadFailure>& failures) {
    std::string text =
        ui::Text("以下のブックは読み込めなかったため、列の定義には使いませんでした。\r\n\r\n");
    for (const list_file::ReadFailure& failure : failures) {
        text += OneLine(failure.path) + ui::Text("（{1}）\r\n", {OpenFailureText(failure.cause)});
    }
    return text;
}

std::string OpenedWithItselfMessage(const std::string& listFile) {
    return ui::Text(
               "目次ファイルを開くプログラムとして、このプログラム自身が選ばれています。\r\n"
               "目次ファイルはそのままにしました。EXCELのブック（.xls）を開く既定のプログラムに"
               "は、表計算のプログラムを選んでください。\r\n"
               "\r\n") +
           OneLine(listFile);
}

std::string UsageText(const std::string& programName) {
    // A line per way to start it, so that every option is named here.
    return ui::Text(
        "使い方: {1} パス\r\n"
        "        {1} [-r | --recursive | --no-recursive] [--extensions 一覧] [--list 形式]\r\n"
        "            [--include パターン]... [--exclude パターン]... [--verbose] [--] パス\r\n"
        "        {1} --csv ファイル [--bom] [上のオプション] パス\r\n"
        "        {1} --jsonl ファイル [上のオプション] パス\r\n"
        "        {1} -h | --help\r\n"
        "        {1} -V | --version\r\n"
        "\r\n"
        "パスのフォルダ（ファイルならそれを含むフォルダ）にあるEXCELのブックを集め、\r\n"
        "そのフォルダの目次ファイル {2} を作成または更新して開きます。\r\n"
        "パスにはフォルダ、目次ファイル、またはほかのブックを一つだけ指定します。\r\n"
        "集めるのは拡張子が xls, xlsx, xlsm のブックです。--extensions xls と\r\n"
        "書くと、その拡張子のブックだけを集めます。-r を付けると、サブフォルダの\r\n"
        "ブックも集めます。\r\n",
        {programName, list_file::kListFileName});
}

std::string UnknownOptionMessage(const std::string& option) {
#ifdef _WIN32
    const std::string self = ".\\";
#else
    const std::string self = "./";
#endif
    return ui::Text(
        "不明なオプションです: {1}\r\n"
        "その名前のファイルまたはフォルダは {2}{1} のように、または -- の後に指定して"
        "ください。\r\n",
        {option, self});
}

std::string OptionWithoutValueMessage(const std::string& option) {
    if (!option.starts_with("--extensions"))
        return ui::Text(
            "{1} の後にファイル名のパターンを指定してください（例：{1} \"*下書き*\"）。\r\n",
            {option});
    return ui::Text("{1} の後に拡張子を指定してください（例：{1} xls,xlsx）。\r\n", {option});
}

std::string ListFormatMessage(const std::string& option) {
    return ui::Text(
        "{1} の後に目次ファイルの形式 xls か xlsx を指定してください（例：{1} xlsx）。\r\n",
        {option});
}

std::string RepeatedOptionMessage(const std::string& option) {
    return ui::Text("{1} は一度だけ指定してください。\r\n", {option});
}

std::string RowsFileMissingMessage(const std::string& option) {
    return ui::Text(
        "{1} の後に書き出すファイル名を指定してください（例：{1} 目次.csv、標準出力なら "
        "{1} -）。\r\n",
        {option});
}

std::string RowsOptionsTogetherMessage() {
    return ui::Text("--csv と --jsonl は、どちらか一つを一度だけ指定してください。\r\n");
}

std::string ByteOrderMarkWithoutCsvMessage() {
    return ui::Text("--bom は --csv と一緒に指定してください（JSON Lines には付けません）。\r\n");
}

std::string RowsWithoutPathMessage() {
    return ui::Text("--csv と --jsonl には、ブックを集めるフォルダのパスも指定してください。\r\n");
}

std::string UsageErrorMessage(const std::string& problem, const std::string& programName) {
    std::string text = problem;
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) text += "\r\n";
    return text + ui::Text("使い方は {1} --help で表示します。\r\n", {programName});
}

}  // namespace mokuji::window
