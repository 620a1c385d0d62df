#pragma once

namespace mokuji::ui {

// One text the program shows: as it is written in Japanese, and in English.
struct Entry {
    const char* japanese;
    const char* english;
};

}  // namespace mokuji::ui
