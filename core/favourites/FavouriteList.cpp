// The favourite folders' proposals, shown paths and limit.
#include "core/favourites/FavouriteList.h"

#include <utility>

namespace px {

FavouriteProposal ProposeFavourite(const std::string& folder) {
  std::string trimmed = folder;
  if (!trimmed.empty()) trimmed.pop_back();
  size_t slash = trimmed.rfind('\\');
  FavouriteProposal proposal;
  proposal.name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
  proposal.path = folder.size() < 4 ? folder : trimmed;
  return proposal;
}

std::string WithTrailingBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

std::string ShownFavouritePath(const std::string& path) {
  if (path.size() > 3 && path.back() == '\\') return path.substr(0, path.size() - 1);
  return path;
}

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
