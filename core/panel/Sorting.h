// Order of a panel's rows: parent first, folders by name, then files by the sort key.
#pragma once

#include <cstdint>

#include "core/panel/EntryTable.h"

namespace px {

enum SortKey {
  kSortByName = 0,
  kSortBySize = 1,
  kSortByDate = 2,
  kSortByAttributes = 3,
  kSortByExtension = 4,
  kSortByListing = 5,
};

struct SortState {
  int key = kSortByName;  // 0 to 5
  int order = 0;          // 0 ascending, 1 descending (files only)
};

// The state after the user asks for `key`: the same key again reverses the order.
SortState NextSortState(SortState current, int key);

// Header column that shows the arrow for a key, -1 for keys without one.
int ArrowColumn(int key);

// <0, 0, >0 for the entries with indices a and b.
int CompareEntries(const EntryTable& table, uint32_t a, uint32_t b, SortState state);

// Reorders table.rows; entries stay in place.
void SortRows(EntryTable& table, SortState state);

}  // namespace px
