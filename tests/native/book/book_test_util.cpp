#include "native/book/book_test_util.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "native/book/test_cfb_writer.h"
#include "native/cfb/compound_file.h"
#include "support/temp_folder.h"

namespace xls::book::testing {

std::vector<std::uint8_t> workbookStreamOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(std::istreambuf_iterator<char>(in),
                                                             std::istreambuf_iterator<char>());
    cfb::CompoundFile cf(bytes);
    auto s = cf.readStream("Workbook");
    return s ? *s : std::vector<std::uint8_t>{};
}

std::vector<std::filesystem::path> corpusFiles() {
    std::vector<std::filesystem::path> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(
             std::filesystem::path(MOKUJI_TEST_DATA_DIR) / "corpus")) {
        auto ext = e.path().extension().string();
        if (ext == ".xls" || ext == ".XLS") out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

namespace {

std::string run(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return "popen failed";
    std::array<char, 4096> buf;
    while (std::size_t n = std::fread(buf.data(), 1, buf.size(), pipe.get()))
        out.append(buf.data(), n);
    return out;
}

}  // namespace

bool xlrdAvailable() {
    return run("/usr/bin/python3 -c 'import xlrd; print(\"ok\")' 2>/dev/null") == "ok\n";
}

std::string runXlrd(const std::vector<std::uint8_t>& workbookStream, const std::string& script) {
    fake::TempFolder tmp;
    const auto file = compoundFileWithWorkbook(workbookStream);
    const std::string path =
        tmp.write("book.xls", std::string(reinterpret_cast<const char*>(file.data()), file.size()));
    const std::string py = tmp.write(
        "check.py",
        "import sys, xlrd\nbook = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n" +
            script);
    return run("/usr/bin/python3 '" + py + "' '" + path + "' 2>&1");
}

}  // namespace xls::book::testing
