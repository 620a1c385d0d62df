#include "window/run_sequence.h"

#include <vector>

#include "list_file/list_workbook_builder.h"
#include "list_file/row_records.h"
#include "native/cfb/atomic_file_write.h"
#include "os/path_names.h"
#include "run/list_generation_driver.h"
#include "run/list_lock.h"
#include "ui/text.h"
#include "view/busy_window.h"
#include "window/command_line.h"
#include "window/mokuji_open.h"
#include "window/run_report.h"

namespace mokuji::window {

namespace {

// The run reads the selected entries of the list box, in its order.
std::vector<std::string> workbooksOf(const run::ListBox& list) {
    std::vector<std::string> workbooks;
    workbooks.reserve(list.ListCount());
    for (std::size_t i = 0; i < list.ListCount(); ++i) {
        if (list.Selected(i)) workbooks.push_back(list.List(i));
    }
    return workbooks;
}

// The gathering may hand back the list file as a path or a bare name; none
// when the list is still to be made.
std::string fileNameOf(const run::GatherResult& gathered) {
    const std::string& listFile = gathered.listFile;
    if (listFile.empty()) return gathered.listFileName;
    std::string name = os::FileNameOf(listFile);
    return name.empty() ? listFile : name;
}

// The list in the format asked for; without a wish, the one the folder
// holds, the zip-based one only when it holds that alone. The other one,
// when it is there too, is named and left alone.
std::pair<std::string, std::string> listFileNames(const std::string& folder,
                                                  std::optional<bool> zipBased,
                                                  os::FileSystem& fs) {
    const bool hasXls = !fs.findOrdinaryFile(folder + list_file::kListFileName).empty();
    const bool hasXlsx = !fs.findOrdinaryFile(folder + list_file::kListFileNameXlsx).empty();
    const bool xlsx = zipBased.value_or(hasXlsx && !hasXls);
    const std::string other = xlsx ? list_file::kListFileName : list_file::kListFileNameXlsx;
    return {xlsx ? list_file::kListFileNameXlsx : list_file::kListFileName,
            (xlsx ? hasXls : hasXlsx) ? fs.findOrdinaryFile(folder + other) : ""};
}

run::GatherResult gatherFolder(MainWindow& window, const StartupContext& ctx) {
    const std::string folder = os::FolderOf(window.g_mokuji_path);
    run::GatherResult gathered;
    const auto [listName, otherList] = listFileNames(folder, ctx.gathering.zipBasedList, ctx.fs);
    // Before anything is read: a list open elsewhere would be saved over
    // our update, which would be lost without a word. Rows for other
    // programs leave the list alone, and may read it wherever it is open.
    std::optional<run::ListLock> lock;
    if (!ctx.rows) lock = run::FindListLock(folder, listName);
    if (lock) {
        gathered.listFile = ctx.fs.findOrdinaryFile(folder + listName);
        if (gathered.listFile.empty()) gathered.listFile = folder + listName;
        gathered.held = std::move(lock);
    } else {
        try {
            gathered = ctx.gather({window.g_mokuji_path, window.List1, window.columns, ctx.view,
                                   ctx.fs, ctx.createApplication, ctx.fs.programBaseName(),
                                   ctx.gathering.pattern(), ctx.gathering.recursive,
                                   ctx.gathering.filter(), listName});
        } catch (const os::FileSystemError& e) {
            // Whatever the gathering had taken of the window comes back.
            view::GiveWindowBack(ctx.view);
            gathered.readFailure = list_file::ReadFailure{folder, e.what()};
        }
    }
    gathered.folder = folder;
    gathered.listFileName = listName;
    if (!ctx.rows) gathered.otherListFile = otherList;
    return gathered;
}

// Where the rows go: a relative name is taken from the current folder, on
// Windows too, as a command's output file is.
std::string outputPath(const std::string& file, os::FileSystem& fs) {
#ifdef _WIN32
    const bool absolute =
        file.starts_with('\\') || file.starts_with('/') || (file.size() > 1 && file[1] == ':');
    return absolute ? file : fs.currentDirectory() + "\\" + file;
#else
    return ResolvedArgument(file, "", fs.currentDirectory());
#endif
}

list_file::ListSaveFailure writeFailureOf(const std::string& path,
                                          const xls::cfb::FileWriteError& e) {
    using Cause = xls::cfb::FileWriteError::Cause;
    list_file::ListSaveFailure failure;
    failure.path = path;
    switch (e.cause()) {
        case Cause::NoPermission:
            failure.cause = automation::OpenFailure::AccessDenied;
            break;
        case Cause::NoFolder:
            failure.cause = automation::OpenFailure::NotFound;
            break;
        case Cause::DiskFull:
            failure.cause = automation::OpenFailure::DiskFull;
            break;
        case Cause::IsFolder:
            failure.content = automation::FileContent::Folder;
            break;
        case Cause::Other:
            // Nothing more is known: the system's own words are all there is.
            failure.detail = e.what();
            break;
    }
    return failure;
}

// What the messages call the rows' file.
const char* rowsKind(list_file::RowFormat format) {
    return format == list_file::RowFormat::Csv ? "CSV" : "JSON Lines";
}

}  // namespace

bool GatherWorkingFolder(MainWindow& window, const StartupContext& ctx) {
    window.lastGathering = gatherFolder(window, ctx);
    const run::GatherResult& gathered = window.lastGathering;
    if (!gathered.held && !gathered.readFailure) return true;
    // Going on would write a new list over one that could not be read.
    Tell(ctx.view, ReportOf({.gathering = gathered}));
    return false;
}

RunEnd TellNothingGathered(const MainWindow& window, view::RunView& view,
                           const std::string& message) {
    const RunReport report = ReportOf({.gathering = window.lastGathering,
                                       .nothingGathered = true,
                                       .nothingGatheredMessage = message});
    Tell(view, report);
    return report.end;
}

RunEnd MakeAndOpenList(MainWindow& window, const StartupContext& ctx) {
    const run::GatherResult& gathered = window.lastGathering;
    // Its gathering told the user why already.
    if (gathered.held || gathered.readFailure) return ReportOf({.gathering = gathered}).end;
    view::RunView& view = ctx.view;
    const std::string programName = ctx.fs.programBaseName();
    list_file::ListContext list{
        gathered.folder,
        programName,
        window.columns,
        view,
        [&fs = ctx.fs](const std::string& p) { return !fs.findOrdinaryFile(p).empty(); },
        fileNameOf(gathered)};
    const run::RunPlan plan{gathered.folder, workbooksOf(window.List1), window.columns,
                            window.prop_name, programName};
    const run::RunOutcome outcome =
        run::MakeList(plan, ctx.createApplication, view,
                      [&list](automation::Application& xl_app, list_file::RowStore& rows) {
                          return list_file::BuildListWorkbook(xl_app, std::move(rows), list);
                      });
    const RunReport report =
        ReportOf({.gathering = gathered, .outcome = &outcome, .listPath = list.listFilePath()});
    Tell(view, report);
    view.setCaption(StartupCaption(programName));
    sub_mokuji_open(window.g_mokuji_path, list.listFileName, ctx.fs, ctx.shell);
    return report.end;
}

RunEnd WriteRows(MainWindow& window, const StartupContext& ctx) {
    const run::GatherResult& gathered = window.lastGathering;
    if (gathered.held || gathered.readFailure || !ctx.rows)
        return ReportOf({.gathering = gathered}).end;
    view::RunView& view = ctx.view;
    const RowsRequest& request = *ctx.rows;
    const bool toStandardOutput = request.file == kStandardOutputName;
    const std::string path =
        toStandardOutput ? ui::Text("標準出力") : outputPath(request.file, ctx.fs);
    const std::string programName = ctx.fs.programBaseName();
    const run::RunPlan plan{gathered.folder, workbooksOf(window.List1), window.columns,
                            window.prop_name, programName};
    const run::RunOutcome outcome = run::MakeList(
        plan, ctx.createApplication, view,
        [&](automation::Application&, list_file::RowStore& rows) {
            list_file::ListWorkbookResult result;
            const std::string text =
                list_file::RowRecordsText(rows, window.columns, request.options, result);
            if (toStandardOutput) {
                if (!ctx.standardOutput || !ctx.standardOutput(text)) {
                    result.saveFailure = list_file::ListSaveFailure{};
                    result.saveFailure->path = path;
                }
                return result;
            }
            try {
                xls::cfb::writeFileAtomically(
                    path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
            } catch (const xls::cfb::FileWriteError& e) {
                result.saveFailure = writeFailureOf(path, e);
            }
            return result;
        });
    const RunReport report = ReportOf({.gathering = gathered,
                                       .outcome = &outcome,
                                       .listPath = path,
                                       .written = rowsKind(request.options.format)});
    Tell(view, report);
    view.setCaption(StartupCaption(programName));
    return report.end;
}

RunEnd RunWorkingFolder(MainWindow& window, const StartupContext& ctx,
                        const std::string& nothingGatheredMessage) {
    if (!GatherWorkingFolder(window, ctx)) return ReportOf({.gathering = window.lastGathering}).end;
    if (window.List1.ListCount() == 0)
        return TellNothingGathered(window, ctx.view, nothingGatheredMessage);
    if (ctx.rows) return WriteRows(window, ctx);
    return MakeAndOpenList(window, ctx);
}

}  // namespace mokuji::window
