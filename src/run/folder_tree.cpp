#include "run/folder_tree.h"

#include <set>

#include "os/path_names.h"
#include "ui/text.h"

namespace mokuji::run {

namespace {

class TreeWalk {
  public:
    TreeWalk(const std::string& top, const FolderTreeSearch& search) : top_(top), search_(search) {}

    FolderTree run() {
        enter("", 0);
        return std::move(tree_);
    }

  private:
    void yield() {
        if (search_.doEvents) search_.doEvents();
    }

    // relative: the folder below the top, "" or ending in the separator.
    void enter(const std::string& relative, int depth) {
        const std::string path = top_ + relative;
        const std::string identity = search_.fs.folderIdentity(path.empty() ? "." : path);
        if (!identity.empty() && !visited_.insert(identity).second) {
            tree_.reachedAgain.push_back(relative);
            return;
        }
        if (++folders_ > kMaxFolders) {
            stop(ui::Text("フォルダ{1}個", {std::to_string(kMaxFolders)}));
            return;
        }
        std::vector<std::string> names;
        try {
            names = search_.fs.listFolder(path);
        } catch (const os::FileSystemError& e) {
            tree_.unreadable.emplace_back(
                relative, e.cause() == os::FileSystemError::Cause::NoPermission ? "" : e.what());
            return;
        }
        // Subfolders wait until this folder's files are taken, so that only
        // one listing is open at any time and a folder's files come first.
        std::vector<std::string> subfolders;
        for (const std::string& name : names) {
            yield();
            const os::FileAttributes a = search_.fs.attributes(path + name);
            if (!a.exists || a.hidden || a.system) continue;
            if (a.directory) {
                subfolders.push_back(name);
            } else if (os::HasListedExtension(name, search_.extensions)) {
                tree_.files.push_back(relative + name);
            }
        }
        for (const std::string& sub : subfolders) {
            if (!tree_.limitReached.empty()) return;
            if (depth + 1 > kMaxFolderDepth) {
                stop(ui::Text("{1}階層", {std::to_string(kMaxFolderDepth)}));
                return;
            }
            enter(relative + sub + os::kPathSeparator, depth + 1);
        }
    }

    void stop(const std::string& limit) {
        if (tree_.limitReached.empty()) tree_.limitReached = limit;
    }

    const std::string top_;
    const FolderTreeSearch& search_;
    FolderTree tree_;
    std::set<std::string> visited_;
    std::size_t folders_ = 0;
};

}  // namespace

FolderTree SearchFolderTree(const std::string& folder, const FolderTreeSearch& search) {
    return TreeWalk(folder, search).run();
}

}  // namespace mokuji::run
