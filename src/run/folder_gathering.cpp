#include "run/folder_gathering.h"

#include "list_file/list_layout.h"
#include "native/text/ascii.h"
#include "os/path_names.h"
#include "run/find_files.h"
#include "run/folder_tree.h"
#include "ui/text.h"
#include "view/busy_window.h"

namespace mokuji::run {

GatherResult GatherFolder(const GatherContext& ctx) {
    GatherResult result;
    view::BusyWindow busy(ctx.view);
    ctx.view.setCaption(ctx.programName + ui::Text(" - ファイル一覧取得中"));
    ListBox& workbooks = ctx.workbookList;
    workbooks.SetEnabled(false);
    workbooks.Clear();

    const std::string folder = os::FolderOf(ctx.workingPath);
    // One listing finds the workbooks and the spreadsheets not gathered.
    const std::string patterns = ctx.workbookPattern + ";" + kSpreadsheetPatterns;
    std::vector<std::string> found;
    if (ctx.recursive) {
        FolderTree tree =
            SearchFolderTree(folder, {ctx.fs, [&ctx] { ctx.view.doEvents(); }, patterns});
        found = std::move(tree.files);
        result.foldersReachedAgain = std::move(tree.reachedAgain);
        result.unreadableFolders = std::move(tree.unreadable);
        result.searchLimit = std::move(tree.limitReached);
    } else {
        FindFiles(folder, patterns, false, workbooks, {ctx.fs, [&ctx] { ctx.view.doEvents(); }});
        for (std::size_t i = 0; i < workbooks.ListCount(); ++i) found.push_back(workbooks.List(i));
        workbooks.Clear();
    }
    for (const std::string& path : found) {
        const std::string name = os::FileNameOf(path).empty() ? path : os::FileNameOf(path);
        const bool top = name.size() == path.size();
        // The list file is no source workbook. Where the file system tells
        // letter case apart, a folder may hold it under several spellings:
        // none of them is a source either. Below the top it is the list of
        // a subfolder: another list, not an answer, and worth a word.
        //
        // An owner file ("~$" and the name of a workbook someone has open)
        // is a lock of a few bytes that the spreadsheet application writes
        // and hides; Linux shows it, but it is no workbook either, nor worth
        // a word.
        if (name.starts_with("~$")) continue;
        if (xls::text::equalsIgnoringAsciiCase(name, list_file::kListFileName) ||
            xls::text::equalsIgnoringAsciiCase(name, list_file::kListFileNameXlsx)) {
            if (!top) result.subfolderLists.push_back(path);
        } else if (!os::HasListedExtension(name, ctx.workbookPattern)) {
            result.notGathered.push_back(path);
        } else if (!ctx.filter.keeps(os::SlashSeparated(path))) {
            ++result.excluded;
        } else {
            workbooks.AddItem(path);
        }
    }
    for (std::size_t i = 0; i < workbooks.ListCount(); ++i) workbooks.SetSelected(i, true);
    workbooks.SetEnabled(true);

    const list_file::ReaderContext readers{ctx.createApplication, ctx.view, ctx.programName,
                                           ctx.workbookPattern,
                                           list_file::MaxColumnsOf(ctx.listFileName)};
    result.listFile = ctx.fs.findOrdinaryFile(folder + ctx.listFileName);
    if (!result.listFile.empty()) {
        result.readFailure = ReadListFileColumns(result.listFile, ctx.columns, readers);
        return result;
    }
    // One unreadable workbook must not cost the whole folder its list: the
    // next one gives the columns, and the user hears which were passed over.
    for (std::size_t i = 0; i < workbooks.ListCount(); ++i) {
        const std::string templatePath = folder + workbooks.List(i);
        std::optional<list_file::ReadFailure> failure =
            ReadTemplateColumns(templatePath, ctx.columns, readers, &result.namesPastTheGrid);
        if (!failure) return result;
        result.unreadableTemplates.push_back(std::move(*failure));
    }
    if (!result.unreadableTemplates.empty()) {
        result.readFailure = result.unreadableTemplates.front();
        result.unreadableTemplates.clear();
    }
    return result;
}

}  // namespace mokuji::run
