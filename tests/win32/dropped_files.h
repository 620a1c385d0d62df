#pragma once

// A drop as the shell hands it to a window: a DROPFILES block of wide
// names in movable global memory, which the window releases.

#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "os/win32/wide_text.h"

namespace fake {

inline HDROP droppedFiles(const std::vector<std::string>& paths) {
    std::wstring names;
    for (const std::string& path : paths) {
        names += mokuji::os::win::Wide(path);
        names += L'\0';
    }
    // The list ends in an empty name; an empty list is that name alone.
    names += L'\0';
    if (paths.empty()) names += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(),
                names.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

// Delivered to one part of the window as the system delivers it there.
inline void dropOn(HWND target, const std::vector<std::string>& paths) {
    SendMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(droppedFiles(paths)), 0);
}

}  // namespace fake
