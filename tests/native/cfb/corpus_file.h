#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace xls::testing {

// Bytes of a file under tests/data/corpus.
inline std::shared_ptr<const std::vector<std::uint8_t>> corpusBytes(const std::string& relpath) {
    std::string path = std::string(MOKUJI_TEST_DATA_DIR) + "/corpus/" + relpath;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("missing test file " + path);
    return std::make_shared<const std::vector<std::uint8_t>>(std::istreambuf_iterator<char>(in),
                                                             std::istreambuf_iterator<char>());
}

}  // namespace xls::testing
