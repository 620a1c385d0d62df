// Stands in for the program Windows opens a workbook with: appends the
// document it was given, in UTF-8, one a line, to the file that
// MOKUJI_OPENED_RECORD names.

#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    const wchar_t* record = _wgetenv(L"MOKUJI_OPENED_RECORD");
    if (record == nullptr || argc < 2) return 2;
    const std::wstring document = argv[1];
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, document.c_str(), static_cast<int>(document.size()),
                            nullptr, 0, nullptr, nullptr);
    std::string line(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, document.c_str(), static_cast<int>(document.size()),
                        line.data(), bytes, nullptr, nullptr);
    line += '\n';
    FILE* out = _wfopen(record, L"ab");
    if (out == nullptr) return 3;
    const bool written = std::fwrite(line.data(), 1, line.size(), out) == line.size();
    return std::fclose(out) == 0 && written ? 0 : 4;
}
