#pragma once

#include <string>
#include <vector>

#include "os/shell.h"

// Opens nothing; records every document the window asked to open.
class CountingShell : public mokuji::os::Shell {
  public:
    std::vector<std::string> documents;
    int programs = 0;
    int openDocument(const std::string& path, const std::string&) override {
        documents.push_back(path);
        return 0;
    }
    double startProgram(const std::string&) override {
        ++programs;
        return 0;
    }
    std::size_t opened() const { return documents.size() + static_cast<std::size_t>(programs); }
};
