#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

namespace xls::biff::detail {

// What a record handler gets: the record, and when its table entry asks
// for it, the CONTINUE records after it (parts[0] is the record's own data).
struct RecordBody {
    std::uint16_t id = 0;
    std::uint32_t offset = 0;
    std::span<const std::uint8_t> data;
    std::span<const std::span<const std::uint8_t>> parts;
};

// An entry of a table that maps record ids to handlers.
template <class State>
struct Handler {
    std::uint16_t id;
    bool mergesContinue;
    void (*parse)(State&, const RecordBody&);
};

template <class State, std::size_t N>
constexpr bool sortedById(const std::array<Handler<State>, N>& table) {
    for (std::size_t i = 1; i < N; ++i)
        if (table[i - 1].id >= table[i].id) return false;
    return true;
}

// Binary search: this runs once per record of the stream.
template <class State, std::size_t N>
const Handler<State>* findHandler(const std::array<Handler<State>, N>& table, std::uint16_t id) {
    auto it = std::lower_bound(table.begin(), table.end(), id,
                               [](const Handler<State>& h, std::uint16_t v) { return h.id < v; });
    return it != table.end() && it->id == id ? &*it : nullptr;
}

}  // namespace xls::biff::detail
