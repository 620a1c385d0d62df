#pragma once

// Stand-ins for what start-up works with: a file system described by its
// paths, a shell that records what it was asked to open, and a gathering
// that fills the workbook list as told.

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "os/file_system.h"
#include "os/path_names.h"
#include "os/shell.h"
#include "run/folder_gathering.h"
#include "run/list_box.h"
#include "support/native_path.h"
#include "support/recording_view.h"
#include "window/startup_context.h"

namespace fake {

using mokuji::os::FileAttributes;

inline std::string lowerAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

class PathFileSystem : public mokuji::os::FileSystem {
  public:
    void addFile(const std::string& path, bool hidden = false) {
        entries_[path] = FileAttributes{true, false, hidden, false};
    }
    void addFolder(const std::string& path) { entries_[path] = FileAttributes{true, true}; }

    std::vector<std::string> listFolder(const std::string&) override { return {}; }
    FileAttributes attributes(const std::string& path) override {
        auto it = entries_.find(path);
        if (it == entries_.end() && !path.empty() && path.back() == mokuji::os::kPathSeparator) {
            it = entries_.find(path.substr(0, path.size() - 1));
        }
        return it == entries_.end() ? FileAttributes{} : it->second;
    }
    std::string findOrdinaryFile(const std::string& path) override {
        lookups.push_back(path);
        std::string folder = mokuji::os::FolderOf(path);
        for (const auto& [p, a] : entries_) {
            if (a.directory || a.hidden || a.system) continue;
            if (mokuji::os::FolderOf(p) == folder && lowerAscii(p) == lowerAscii(path)) return p;
        }
        return {};
    }
    std::string programFolder() override { return nativePath("/opt/mokuji/bin"); }
    std::string programBaseName() override { return "tamuE1"; }
    std::string currentDirectory() override { return nativePath("/home/user"); }

    std::vector<std::string> lookups;

  private:
    std::map<std::string, FileAttributes> entries_;
};

class RecordingShell : public mokuji::os::Shell {
  public:
    int openDocument(const std::string& path, const std::string& folder) override {
        documents.emplace_back(path, folder);
        return documentResult;
    }
    double startProgram(const std::string& path) override {
        programs.push_back(path);
        return programResult;
    }

    std::vector<std::pair<std::string, std::string>> documents;
    std::vector<std::string> programs;
    int documentResult = 42;
    double programResult = 4711;
};

// A gathering that lists the given names, selected, and remembers the
// working path it was asked for.
struct ScriptedGathering {
    std::vector<std::string> names;
    std::string listFile;
    std::optional<mokuji::list_file::ReadFailure> readFailure;
    std::vector<mokuji::list_file::ReadFailure> unreadableTemplates;
    std::vector<std::string> calledWith;

    mokuji::run::GatherResult operator()(const mokuji::run::GatherContext& ctx) {
        calledWith.push_back(ctx.workingPath);
        ctx.workbookList.Clear();
        for (const auto& n : names) ctx.workbookList.AddItem(n);
        for (std::size_t i = 0; i < ctx.workbookList.ListCount(); ++i)
            ctx.workbookList.SetSelected(i, true);
        ctx.view.setEnabled(true);
        ctx.view.setMousePointer(0);
        return {listFile, readFailure, unreadableTemplates, {}, {}};
    }
};

// The stand-ins start-up works with, and a context over them in which the
// application never starts (each attempt is counted) and centring is
// counted.
struct StartupWorld {
    PathFileSystem fs;
    RecordingShell shell;
    RecordingView view;
    ScriptedGathering gathering;
    int applications = 0;
    int centred = 0;

    mokuji::window::StartupContext context(std::string arguments = {}) {
        return {fs,
                shell,
                view,
                [this] {
                    ++applications;
                    return std::unique_ptr<::automation::Application>();
                },
                std::ref(gathering),
                std::move(arguments),
                [this] { ++centred; }};
    }
};

}  // namespace fake
