#pragma once

// Points the application's program identifier at the stand-in server in the
// current user's classes for as long as an object of this lives, with the
// description the server is to serve.

#include <objbase.h>
#include <windows.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "os/win32/wide_text.h"
#include "stand_in_clsid.h"

namespace stand_in {

// The server's path as the build gave it: a Unix path when cross-built,
// which Wine shows on drive Z:.
inline std::wstring ServerPath() {
    std::string p = MOKUJI_STAND_IN_SERVER;
    std::wstring w(p.begin(), p.end());
    if (!w.empty() && w[0] == L'/') w = L"Z:" + w;
    for (auto& c : w)
        if (c == L'/') c = L'\\';
    return w;
}

class Registration {
  public:
    explicit Registration(const std::string& descriptionPath) {
        const std::wstring command =
            L"\"" + ServerPath() + L"\" \"" + mokuji::os::win::Wide(descriptionPath) + L"\"";
        registerIn(HKEY_CURRENT_USER, command);
        // Wine's class lookup reads the machine's classes only.
        CLSID found;
        if (FAILED(CLSIDFromProgID(L"Excel.Application", &found))) {
            machineToo_ = true;
            registerIn(HKEY_LOCAL_MACHINE, command);
        }
    }
    ~Registration() {
        unregisterIn(HKEY_CURRENT_USER);
        if (machineToo_) unregisterIn(HKEY_LOCAL_MACHINE);
    }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

  private:
    static std::wstring clsidKey() {
        return std::wstring(L"Software\\Classes\\CLSID\\") + kClsidText;
    }
    static void registerIn(HKEY root, const std::wstring& command) {
        auto setDefault = [root](const std::wstring& key, const std::wstring& value) {
            RegSetKeyValueW(root, key.c_str(), nullptr, REG_SZ, value.c_str(),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        };
        setDefault(L"Software\\Classes\\Excel.Application\\CLSID", kClsidText);
        setDefault(clsidKey() + L"\\LocalServer32", command);
    }
    static void unregisterIn(HKEY root) {
        RegDeleteTreeW(root, L"Software\\Classes\\Excel.Application");
        RegDeleteTreeW(root, clsidKey().c_str());
    }

    bool machineToo_ = false;
};

// The lines the server logged so far.
inline std::vector<std::string> LogLines(const std::string& utf8Path) {
    std::ifstream in(mokuji::os::win::Wide(utf8Path).c_str(), std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

// Waits until the server has logged that it ended; false after `seconds`.
inline bool WaitForEnd(const std::string& logPath, int seconds = 15) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < until) {
        auto lines = LogLines(logPath);
        if (!lines.empty() && (lines.back() == "ended" || lines.back() == "vanished")) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

}  // namespace stand_in
