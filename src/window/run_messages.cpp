#include "window/run_messages.h"

#include <utility>

#include "list_file/user_notes.h"
#include "native/text/ascii.h"
#include "os/name_text.h"
#include "os/path_names.h"
#include "ui/text.h"

namespace mokuji::window {

using automation::OpenFailure;

const char* OpenFailureText(automation::OpenFailure cause) {
    switch (cause) {
        case OpenFailure::NotFound:
            return ui::Text("ファイルが見つかりません");
        case OpenFailure::AccessDenied:
            return ui::Text("ファイルを読む権限がないか、ほかのプログラムが使用中です");
        case OpenFailure::DiskFull:
            return ui::Text("ディスクの空き容量が足りません");
        case OpenFailure::Encrypted:
            return ui::Text("パスワードで保護されています");
        case OpenFailure::Damaged:
            return ui::Text("ファイルが壊れています");
        case OpenFailure::NotAWorkbook:
            return ui::Text("EXCELのブックではありません");
        case OpenFailure::UnsupportedFormat:
            return ui::Text("この形式のブックには対応していません");
        case OpenFailure::None:
        case OpenFailure::Other:
            break;
    }
    return ui::Text("開けませんでした");
}

std::string FoundContentText(automation::FileContent content) {
    using automation::FileContent;
    switch (content) {
        case FileContent::Unknown:
            break;
        case FileContent::Empty:
            return ui::Text("空のファイルです");
        case FileContent::Folder:
            return ui::Text("フォルダです");
        case FileContent::EarlyWorkbook:
            return ui::Text("中身が古い形式（バージョン4.0以前）のブックです");
        case FileContent::ZipWorkbook:
            return ui::Text("中身がxlsx形式のブックです");
        case FileContent::OpenDocumentSheet:
            return ui::Text("中身がods形式（OpenDocument）のスプレッドシートです");
        case FileContent::OtherZipDocument:
            return ui::Text("中身がブックではないzip形式の文書です");
        case FileContent::Zip:
            return ui::Text("中身がzipファイルです");
        case FileContent::XmlSpreadsheet:
            return ui::Text("中身がXMLスプレッドシート形式のブックです");
        case FileContent::Xml:
            return ui::Text("中身がXMLファイルです");
        case FileContent::Html:
            return ui::Text("中身がHTML形式（Webページ）です");
        case FileContent::WebArchive:
            return ui::Text("中身がMHT形式（単一ファイルWebページ）です");
        case FileContent::Csv:
            return ui::Text("中身がCSV形式のテキストです");
        case FileContent::Text:
            return ui::Text("中身がテキストファイルです");
        case FileContent::Pdf:
            return ui::Text("中身がPDFファイルです");
        case FileContent::Picture:
            return ui::Text("中身が画像ファイルです");
    }
    return "";
}

namespace {

// A name is one line of a message, whatever it holds.
std::string OneLine(const std::string& name) {
    return os::LineBreaksEscaped(name);
}

bool NamedAsZipWorkbook(const std::string& fileName) {
    const std::string extension = xls::text::upperAscii(os::ExtensionOf(fileName));
    return extension == "XLSX" || extension == "XLSM";
}

std::string skippedWorkbooksMessage(const std::vector<run::SkippedWorkbook>& skipped) {
    std::string text = ui::Text("以下のブックは開けなかったため、目次に載せていません。\r\n");
    for (const auto& s : skipped) {
        text += OneLine(s.fileName) + ui::Text("（{1}）", {OpenFailureText(s.cause)});
        // Saved under the wrong name, a file is best explained by what it
        // really is: the user can save it again as a workbook. Under its
        // own kind of name that would only repeat the name.
        if (std::string found = FoundContentText(s.content);
            !found.empty() &&
            !(s.content == automation::FileContent::ZipWorkbook && NamedAsZipWorkbook(s.fileName)))
            text += ui::Text("（{1}）", {found});
        text += "\r\n";
    }
    return text;
}

// Why a list could not be written, in the user's words; the application's
// own (English) words follow only when nothing more is known.
std::string listNotSavedReason(const list_file::ListSaveFailure& failure) {
    using Step = list_file::ListSaveFailure::Step;
    using automation::FileContent;
    switch (failure.step) {
        case Step::Open:
            return ui::Text("目次ファイルを開けませんでした（{1}）",
                            {OpenFailureText(failure.cause)});
        case Step::NoWorksheet:
            return ui::Text("目次ファイルにワークシートがありません");
        case Step::SelectSheet:
            return ui::Text("目次のシートを選べませんでした");
        case Step::Create:
            return ui::Text("新しいブックを作れませんでした");
        case Step::KeepNotes:
            return ui::Text("フォルダにないブックの行のメモを「{1}」シートに移せませんでした",
                            {list_file::kRemovedRowsSheetName});
        case Step::Save:
            break;
    }
    if (failure.content == FileContent::Folder) return ui::Text("同じ名前のフォルダがあります");
    switch (failure.cause) {
        case OpenFailure::AccessDenied:
            return ui::Text("ファイルに書き込む権限がないか、読み取り専用になっています");
        case OpenFailure::NotFound:
            return ui::Text("保存先のフォルダが見つかりません");
        case OpenFailure::DiskFull:
            return ui::Text("ディスクの空き容量が足りません");
        default:
            return ui::Text("書き込めませんでした");
    }
}

std::string listNotSavedMessage(const list_file::ListSaveFailure& failure,
                                const std::string& written) {
    std::string text = ui::Text("{1}を保存できませんでした。\r\n", {written}) +
                       OneLine(failure.path) + "\r\n" + listNotSavedReason(failure);
    const bool known = failure.cause != OpenFailure::Other ||
                       failure.step == list_file::ListSaveFailure::Step::NoWorksheet;
    if (!known && !failure.detail.empty())
        text += ui::Text("（詳細: {1}）", {OneLine(failure.detail)});
    return text + "\r\n";
}

std::string rowsNotWrittenMessage(int rowsNotWritten) {
    return ui::Text(
        "目次のシートに入りきらなかったため、最後の{1}件のブックは目次に載せていません。"
        "\r\n",
        {std::to_string(rowsNotWritten)});
}

std::string lines(const std::vector<std::string>& items) {
    std::string text;
    for (const auto& item : items) text += OneLine(item) + "\r\n";
    return text;
}

std::string changedValueLines(const std::vector<list_file::ChangedValue>& values) {
    std::string text;
    for (const auto& v : values) text += OneLine(v.fileName) + ui::Text("（{1}）\r\n", {v.column});
    return text;
}

}  // namespace

std::vector<std::string> RunOutcomeMessages(const run::RunOutcome& outcome,
                                            const std::string& written) {
    if (!outcome.applicationStarted) return {ui::Text(kNoApplicationMessage)};
    const list_file::ListWorkbookResult& list = outcome.list;
    std::vector<std::string> messages;
    if (!outcome.skipped.empty()) messages.push_back(skippedWorkbooksMessage(outcome.skipped));
    if (list.rowsNotWritten > 0) messages.push_back(rowsNotWrittenMessage(list.rowsNotWritten));
    if (!list.rowsFailed.empty())
        messages.push_back(
            ui::Text(
                "以下のブックの値を目次のセルに書き込めなかったため、その行は欠けています。\r\n") +
            lines(list.rowsFailed));
    if (!list.notesMoved.empty()) {
        std::string names;
        for (const auto& name : list.notesMoved)
            names +=
                (name.empty() ? std::string(ui::Text("（ファイル名のない行）")) : name) + "\r\n";
        messages.push_back(
            ui::Text("以下の行に書き込まれていたメモは、その行のブックがフォルダにないか、"
                     "行にファイル名がないため、「{1}」シートに移しました。\r\n",
                     {list_file::kRemovedRowsSheetName}) +
            names);
    }
    if (!list.valuesCut.empty())
        messages.push_back(
            ui::Text(
                "以下の値はセルに入りきらないため、先頭の32767文字だけを目次に載せました。\r\n") +
            changedValueLines(list.valuesCut));
    if (!list.valuesAsText.empty())
        messages.push_back(
            ui::Text("以下の値は数値として書き込めないため、文字列「#NUM!」として目次に載せました。"
                     "\r\n") +
            changedValueLines(list.valuesAsText));
    if (!list.namesNotAdded.empty())
        messages.push_back(
            ui::Text(
                "以下の列名は目次ファイルに名前として定義できませんでした。列は見出しの文字で次回も"
                "使われます。\r\n") +
            lines(list.namesNotAdded));
    if (list.saveFailure) messages.push_back(listNotSavedMessage(*list.saveFailure, written));
    return messages;
}

namespace {

// Why a spreadsheet file was not gathered, and whether naming it in the
// extensions would have gathered it.
std::pair<std::string, bool> notGatheredReason(const std::string& fileName) {
    const std::string extension = xls::text::lowerAscii(os::ExtensionOf(fileName));
    if (extension == "xlt" || extension == "xltx" || extension == "xltm")
        return {ui::Text("ひな形（テンプレート）のファイルです"), true};
    if (extension == "xlsb")
        return {ui::Text("xlsb形式（バイナリ）のブックには対応していません"), false};
    if (extension == "ods" || extension == "ots" || extension == "fods")
        return {
            ui::Text("{1}形式（OpenDocument）のスプレッドシートには対応していません", {extension}),
            false};
    if (extension == "csv") return {ui::Text("CSV形式のテキストには対応していません"), false};
    if (extension == "numbers")
        return {ui::Text("Numbers形式のファイルには対応していません"), false};
    return {ui::Text("集めるブックの拡張子に含まれていません"), true};
}

}  // namespace

std::string ListHeldMessage(const std::string& listPath, const run::ListLock& lock) {
    return ui::Text(
        "目次ファイルがほかのプログラムで開かれているため、作成・更新しませんでした。\r\n"
        "（更新しても、そのプログラムで保存すると元に戻ってしまいます。）\r\n"
        "\r\n"
        "{1}\r\n"
        "開いている人: {2}\r\n"
        "ロックファイル: {3}\r\n"
        "\r\n"
        "そのプログラムで目次ファイルを閉じてから、もう一度実行してください。\r\n"
        "どのプログラムも開いていないときは、プログラムが異常終了して残ったロックファイル"
        "です。上のロックファイルを削除してから、もう一度実行してください。\r\n",
        {listPath,
         lock.holder.empty() ? ui::Text("（ロックファイルに書かれていません）")
                             : std::string_view(lock.holder),
         lock.lockPath});
}

std::string NotGatheredMessage(const std::vector<std::string>& fileNames) {
    if (fileNames.empty()) return "";
    std::string text =
        ui::Text("以下のファイルはブックとして集めなかったため、目次に載せていません。\r\n");
    bool narrowed = false;
    for (const std::string& name : fileNames) {
        auto [reason, byExtensions] = notGatheredReason(name);
        text += os::SlashSeparated(name) + ui::Text("（{1}）\r\n", {reason});
        narrowed = narrowed || byExtensions;
    }
    if (narrowed)
        text += ui::Text(
            "集めるブックの拡張子は --extensions または設定ファイルの extensions "
            "で指定します。\r\n");
    return text;
}

std::string FolderSearchMessage(const run::GatherResult& gathering) {
    std::string other;
    if (!gathering.otherListFile.empty())
        other = ui::Text(
            "目次ファイル {1} もありますが、{2} の方を使いました。もう一方は変えていません"
            "（形式は --list または設定ファイルの list で選べます）。\r\n",
            {os::FileNameOf(gathering.otherListFile), gathering.listFileName});
    std::string lines;
    for (const std::string& list : gathering.subfolderLists)
        lines += os::SlashSeparated(list) + ui::Text("（サブフォルダの目次ファイル）\r\n");
    for (const std::string& folder : gathering.foldersReachedAgain)
        lines += os::SlashSeparated(folder) + ui::Text("（探したフォルダへのリンク）\r\n");
    for (const auto& [folder, why] : gathering.unreadableFolders)
        lines +=
            os::SlashSeparated(folder) +
            ui::Text("（フォルダを読めません: {1}）\r\n",
                     {why.empty() ? std::string(ui::Text("読む権限がありません")) : OneLine(why)});
    std::string text = other;
    if (!lines.empty())
        text += ui::Text("サブフォルダの以下のものは目次に載せていません。\r\n") + lines;
    if (!gathering.searchLimit.empty())
        text += ui::Text(
            "サブフォルダを探すのを{1}で打ち切りました。目次はそこまでに見つけたブックで"
            "作っています。\r\n",
            {gathering.searchLimit});
    return text;
}

std::optional<std::string> RunSummaryText(const run::RunOutcome& outcome,
                                          const std::string& listPath, std::size_t excluded,
                                          const std::string& written) {
    if (!outcome.applicationStarted || outcome.list.saveFailure) return std::nullopt;
    std::string text = ui::Text("{1}に{2}行を書き込みました（読めなかったブック{3}件",
                                {written, std::to_string(outcome.list.rowsWritten),
                                 std::to_string(outcome.skipped.size())});
    if (excluded > 0) text += ui::Text("、除外したブック{1}件", {std::to_string(excluded)});
    if (!outcome.list.rowsFailed.empty())
        text += ui::Text("、一部が欠けた行{1}件", {std::to_string(outcome.list.rowsFailed.size())});
    return text + ui::Text("）: ") + OneLine(listPath) + "\r\n";
}

std::string NamesPastTheGridMessage(const std::vector<std::string>& names) {
    std::string text = ui::Text(
        "以下の名前はxls形式のシートの範囲（IV列・65536行）を超えるセルを指すため、目次の列"
        "にしていません。\r\n");
    for (const auto& name : names) text += OneLine(name) + "\r\n";
    return text;
}

}  // namespace mokuji::window
