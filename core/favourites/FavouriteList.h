// The favourite folders: what adding proposes, how a path is shown and kept,
// and the limit of twenty entries.
#pragma once

#include <string>
#include <vector>

#include "core/settings/Settings.h"

namespace px {

constexpr size_t kMaxFavourites = kFavouriteSlots;

struct FavouriteProposal {
  std::string name;
  std::string path;
};

// What adding proposes for a panel's folder (ending with a backslash): the
// folder without its backslash (a drive root keeps it) and its last part as
// the name, so C:\Data\Work\ gives Work and C:\Data\Work, C:\ gives C: and C:\.
FavouriteProposal ProposeFavourite(const std::string& folder);

std::string WithTrailingBackslash(std::string path);

// The path as the dialogs show it: without the trailing backslash, except
// for a drive root. A stored path that has none is shown as it is.
std::string ShownFavouritePath(const std::string& path);

// The path to keep after the user edited the shown one: the stored path
// itself when the text was left as shown, else the text with a backslash.
std::string EditedFavouritePath(const std::string& stored, const std::string& edited);

// Appends an entry whose path gets a trailing backslash, dropping the oldest
// when the list is full; true when one was dropped.
bool AppendFavourite(std::vector<Favourite>& list, Favourite entry);

}  // namespace px
