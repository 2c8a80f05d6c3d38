// Lookup in the dispatcher's command tables: each table is a short constant array of entries with a Code.
#pragma once

#include <cstddef>

namespace kelvane::dispatch {

template <typename Entry, std::size_t N>
const Entry* Find(const Entry (&table)[N], char code) {
    for (const Entry& entry : table) {
        if (entry.Code == code) return &entry;
    }
    return nullptr;
}

}  // namespace kelvane::dispatch
