#include "gather/sub_read.h"

#include "engine/list_layout.h"
#include "gather/busy_window.h"
#include "platform/letter_case.h"
#include "util/find_files.h"
#include "util/path_names.h"

namespace mokuji::gather {

GatherResult sub_read(const GatherContext& ctx) {
    GatherResult result;
    BusyWindow busy(ctx.view);
    ctx.view.setCaption(ctx.programName + " - ファイル一覧取得中");
    platform::ListBox& List1 = ctx.List1;
    List1.SetEnabled(false);
    List1.Clear();

    const std::string folder = util::FolderOf(ctx.g_mokuji_path);
    util::FindFiles(folder, "*.xls", false, List1, {ctx.fs, [&ctx] { ctx.view.doEvents(); }});
    // The list file is no source workbook. Where the file system tells
    // letter case apart, a folder may hold it under several spellings: none
    // of them is a source either.
    //
    // An owner file ("~$" and the name of a workbook someone has open) is
    // a lock of a few bytes that the spreadsheet application writes and
    // hides; Linux shows it, but it is no workbook either.
    for (std::size_t i = List1.ListCount(); i-- > 0;) {
        const std::string& name = List1.List(i);
        if (platform::EqualIgnoringCase(name, engine::kListFileName) || name.starts_with("~$"))
            List1.RemoveItem(i);
    }
    for (std::size_t i = 0; i < List1.ListCount(); ++i) List1.SetSelected(i, true);
    List1.SetEnabled(true);

    const ReaderContext readers{ctx.createApplication, ctx.view, ctx.programName};
    result.listFile = ctx.fs.findOrdinaryFile(folder + engine::kListFileName);
    if (!result.listFile.empty()) {
        result.readFailure = sub_mokuji_read1(result.listFile, ctx.columns, readers);
        return result;
    }
    // One unreadable workbook must not cost the whole folder its list: the
    // next one gives the columns, and the user hears which were passed over.
    for (std::size_t i = 0; i < List1.ListCount(); ++i) {
        std::string templatePath = List1.List(i);
        if (templatePath.find(util::kPathSeparator) == std::string::npos)
            templatePath = folder + templatePath;
        std::optional<ReadFailure> failure = sub_mokuji_read2(templatePath, ctx.columns, readers);
        if (!failure) return result;
        result.unreadableTemplates.push_back(std::move(*failure));
    }
    if (!result.unreadableTemplates.empty()) {
        result.readFailure = result.unreadableTemplates.front();
        result.unreadableTemplates.clear();
    }
    return result;
}

}  // namespace mokuji::gather
