// The favourite folders' proposals, shown paths and limit.
#include "core/favourites/FavouriteList.h"

#include <utility>

#include "core/panel/PathText.h"

namespace px {

FavouriteProposal ProposeFavourite(const std::string& folder) {
  FavouriteProposal proposal;
  proposal.name = LastComponent(folder);
  proposal.path = WithoutTrailingBackslash(folder);
  return proposal;
}

std::string WithTrailingBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

std::string ShownFavouritePath(const std::string& path) { return WithoutTrailingBackslash(path); }

std::string EditedFavouritePath(const std::string& stored, const std::string& edited) {
  if (edited == ShownFavouritePath(stored)) return stored;
  return WithTrailingBackslash(edited);
}

bool AppendFavourite(std::vector<Favourite>& list, Favourite entry) {
  bool dropped = false;
  while (list.size() >= kMaxFavourites) {
    list.erase(list.begin());
    dropped = true;
  }
  entry.folder = WithTrailingBackslash(std::move(entry.folder));
  list.push_back(std::move(entry));
  return dropped;
}

}  // namespace px
