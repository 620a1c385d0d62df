#include "engine/list_generation_driver.h"

#include <memory>

#include "engine/ignoring_failure.h"
#include "engine/workbook_row_reader.h"
#include "util/path_names.h"

namespace mokuji::engine {

namespace {

using automation::AutomationError;
using automation::OpenFailure;

// Gives the window back whatever way the run ends.
class WindowBusy {
  public:
    explicit WindowBusy(platform::RunView& view) : view_(view) {
        view_.setMousePointer(platform::kPointerHourglass);
        view_.setEnabled(false);
    }
    ~WindowBusy() {
        view_.setEnabled(true);
        view_.setMousePointer(platform::kPointerDefault);
    }
    WindowBusy(const WindowBusy&) = delete;
    WindowBusy& operator=(const WindowBusy&) = delete;

  private:
    platform::RunView& view_;
};

}  // namespace

const char* OpenFailureText(automation::OpenFailure cause) {
    switch (cause) {
        case OpenFailure::NotFound:
            return "ファイルが見つかりません";
        case OpenFailure::AccessDenied:
            return "ファイルを読む権限がないか、ほかのプログラムが使用中です";
        case OpenFailure::Encrypted:
            return "パスワードで保護されています";
        case OpenFailure::Damaged:
            return "ファイルが壊れています";
        case OpenFailure::NotAWorkbook:
            return "EXCELのブックではありません";
        case OpenFailure::UnsupportedFormat:
            return "この形式のブックには対応していません";
        case OpenFailure::None:
        case OpenFailure::Other:
            break;
    }
    return "開けませんでした";
}

std::string FoundContentText(automation::FileContent content) {
    using automation::FileContent;
    switch (content) {
        case FileContent::Unknown:
            break;
        case FileContent::Empty:
            return "空のファイルです";
        case FileContent::Folder:
            return "フォルダです";
        case FileContent::EarlyWorkbook:
            return "中身が古い形式（バージョン4.0以前）のブックです";
        case FileContent::ZipWorkbook:
            return "中身がxlsx形式のブックです";
        case FileContent::OpenDocumentSheet:
            return "中身がods形式（OpenDocument）のスプレッドシートです";
        case FileContent::OtherZipDocument:
            return "中身がブックではないzip形式の文書です";
        case FileContent::Zip:
            return "中身がzipファイルです";
        case FileContent::XmlSpreadsheet:
            return "中身がXMLスプレッドシート形式のブックです";
        case FileContent::Xml:
            return "中身がXMLファイルです";
        case FileContent::Html:
            return "中身がHTML形式（Webページ）です";
        case FileContent::WebArchive:
            return "中身がMHT形式（単一ファイルWebページ）です";
        case FileContent::Csv:
            return "中身がCSV形式のテキストです";
        case FileContent::Text:
            return "中身がテキストファイルです";
        case FileContent::Pdf:
            return "中身がPDFファイルです";
        case FileContent::Picture:
            return "中身が画像ファイルです";
    }
    return "";
}

std::string SkippedWorkbooksMessage(const std::vector<SkippedWorkbook>& skipped) {
    std::string text = "以下のブックは開けなかったため、目次に載せていません。\r\n";
    for (const auto& s : skipped) {
        text += s.fileName + "（" + OpenFailureText(s.cause) + "）";
        // Saved under the wrong name, a file is best explained by what it
        // really is: the user can save it again as a workbook.
        if (std::string found = FoundContentText(s.content); !found.empty())
            text += "（" + found + "）";
        text += "\r\n";
    }
    return text;
}

std::string ListNotSavedMessage(const ListSaveFailure& failure) {
    return "目次ファイルを保存できませんでした。\r\n" + failure.path + "\r\n" + failure.reason +
           "\r\n";
}

std::string RowsNotWrittenMessage(int rowsNotWritten) {
    return "目次のシートに入りきらなかったため、最後の" + std::to_string(rowsNotWritten) +
           "件のブックは目次に載せていません。\r\n";
}

RunOutcome sub_mokuji_make(const RunRequest& request,
                           const automation::ApplicationFactory& createApplication,
                           platform::RunView& view, const ListPhase& listPhase) {
    RunOutcome outcome;
    std::unique_ptr<automation::Application> xl_app;
    try {
        xl_app = createApplication();
    } catch (const AutomationError&) {
    }
    if (!xl_app) {
        view.showMessage(kNoApplicationMessage);
        return outcome;
    }
    outcome.applicationStarted = true;

    {
        WindowBusy busy(view);
        const std::string folder = util::FolderOf(request.g_mokuji_path);
        for (const ListEntry& entry : request.List1) {
            if (!entry.selected) continue;
            std::string path = entry.text;
            if (path.find(util::kPathSeparator) == std::string::npos) path = folder + path;
            std::string fileName = util::FileNameOf(path);
            view.setCaption(request.programName + " - [" + fileName + "]");

            std::shared_ptr<automation::Workbook> book;
            try {
                book = ReadWorkbookRow(*xl_app, path, request.columns, request.prop_name,
                                       outcome.rows);
            } catch (const AutomationError& e) {
                // One unreadable file must not stop the run; the user hears
                // about it once the run is over.
                outcome.skipped.push_back({fileName.empty() ? path : fileName, e.openFailure(),
                                           e.what(), e.foundContent()});
            }
            ignoringFailure([&] { xl_app->setEnableEvents(true); });
            view.doEvents();
            if (book) ignoringFailure([&] { book->close(false); });
            view.doEvents();
        }

        if (listPhase) ignoringFailure([&] { outcome.list = listPhase(*xl_app, outcome.rows); });

        ignoringFailure([&] { xl_app->workbooks()->close(); });
        ignoringFailure([&] { xl_app->setDisplayAlerts(false); });
        ignoringFailure([&] { xl_app->quit(); });
        xl_app.reset();
    }

    if (!outcome.skipped.empty()) view.showMessage(SkippedWorkbooksMessage(outcome.skipped));
    if (outcome.list.rowsNotWritten > 0)
        view.showMessage(RowsNotWrittenMessage(outcome.list.rowsNotWritten));
    if (outcome.list.saveFailure) view.showMessage(ListNotSavedMessage(*outcome.list.saveFailure));
    return outcome;
}

}  // namespace mokuji::engine
