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
    for (std::size_t i = List1.ListCount(); i-- > 0;) {
        if (platform::EqualIgnoringCase(List1.List(i), engine::kListFileName)) List1.RemoveItem(i);
    }
    for (std::size_t i = 0; i < List1.ListCount(); ++i) List1.SetSelected(i, true);
    std::string templatePath = List1.ListCount() > 0 ? List1.List(0) : "";
    List1.SetEnabled(true);

    const ReaderContext readers{ctx.createApplication, ctx.view, ctx.programName};
    result.listFile = ctx.fs.findOrdinaryFile(folder + engine::kListFileName);
    if (!result.listFile.empty()) {
        result.readFailure = sub_mokuji_read1(result.listFile, ctx.columns, readers);
    } else if (!templatePath.empty()) {
        if (templatePath.find(util::kPathSeparator) == std::string::npos)
            templatePath = folder + templatePath;
        result.readFailure = sub_mokuji_read2(templatePath, ctx.columns, readers);
    }
    return result;
}

}  // namespace mokuji::gather
