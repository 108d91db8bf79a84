// Favourite proposals, shown paths, the twenty-entry limit, and the Favorites
// and Buttons sections written and read back.
#include "core/favourites/FavouriteList.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/core/TextStorage.h"

namespace px {
namespace {

TEST(FavouriteListTest, ProposalsAndShownPaths) {
  struct Row {
    const char* folder;
    const char* name;
    const char* path;
  } rows[] = {
      {"C:\\Data\\Work\\", "Work", "C:\\Data\\Work"},
      {"C:\\", "C:", "C:\\"},
      {"\\\\server\\share\\", "share", "\\\\server\\share"},
      {"C:\\a b=c;d\\", "a b=c;d", "C:\\a b=c;d"},
  };
  for (const Row& row : rows) {
    FavouriteProposal proposal = ProposeFavourite(row.folder);
    EXPECT_EQ(proposal.name, row.name) << row.folder;
    EXPECT_EQ(proposal.path, row.path) << row.folder;
    // What is proposed, kept with its backslash, shows as proposed.
    EXPECT_EQ(WithTrailingBackslash(proposal.path), row.folder);
    EXPECT_EQ(ShownFavouritePath(row.folder), row.path);
  }
}

TEST(FavouriteListTest, StoredPathKeptUnlessEdited) {
  struct Row {
    const char* stored;
    const char* shown;
    const char* edited;
    const char* kept;
  } rows[] = {
      {"C:\\Data", "C:\\Data", "C:\\Data", "C:\\Data"},         // no backslash: shown whole
      {"C:\\Data\\", "C:\\Data", "C:\\Data", "C:\\Data\\"},
      {"C:\\Data", "C:\\Data", "C:\\Dat", "C:\\Dat\\"},
      {"D:", "D:", "D:", "D:"},
      {"C:\\", "C:\\", "C:\\", "C:\\"},
      {"C:\\Data\\", "C:\\Data", "C:\\Other\\", "C:\\Other\\"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ShownFavouritePath(row.stored), row.shown) << row.stored;
    EXPECT_EQ(EditedFavouritePath(row.stored, row.edited), row.kept) << row.stored;
  }
}

TEST(FavouriteListTest, TwentyFirstDropsTheOldest) {
  std::vector<Favourite> list;
  for (int i = 0; i < 25; ++i) {
    bool dropped = AppendFavourite(list, {"n" + std::to_string(i), "C:\\" + std::to_string(i)});
    EXPECT_EQ(dropped, i >= 20);
    ASSERT_EQ(list.size(), static_cast<size_t>(std::min(i + 1, 20)));
    EXPECT_EQ(list.back().folder, "C:\\" + std::to_string(i) + "\\");
    EXPECT_EQ(list.front().name, "n" + std::to_string(i < 20 ? 0 : i - 19));
  }
  // A list that is somehow longer shrinks to the limit.
  list.resize(30, {"x", "C:\\"});
  EXPECT_TRUE(AppendFavourite(list, {"y", "C:\\y"}));
  EXPECT_EQ(list.size(), kMaxFavourites);
}

TEST(FavouriteListTest, FavoritesRoundTripAndClearTheRest) {
  std::string file = "[Favorites]\r\nN0=old\r\nF0=C:\\old\\\r\nN25=kept\r\n";
  std::vector<Favourite> written = {
      {"a=b", "C:\\a=b\\"},           {";semi", "C:\\;x\\"},
      {"\"quoted\"", "C:\\q\\"},      {"  blanks  ", "C:\\ b \\"},
      {"'single'", "C:\\s"},          {"Ελληνικά", "C:\\Ελληνικά\\"},
  };
  {
    SettingsStore store(std::make_unique<TextStorage>(&file));
    WriteFavourites(store, written);
    ASSERT_TRUE(store.Commit());
  }
  SettingsStore store(std::make_unique<TextStorage>(&file));
  Settings read = ReadSettings(store);
  ASSERT_EQ(read.favourites.size(), written.size());
  for (size_t i = 0; i < written.size(); ++i) {
    EXPECT_EQ(read.favourites[i].name, written[i].name);
    EXPECT_EQ(read.favourites[i].folder, written[i].folder);
  }
  for (int i = 0; i < kFavouriteSlots; ++i) {
    EXPECT_TRUE(store.Document().Get("Favorites", "N" + std::to_string(i)).has_value()) << i;
    EXPECT_TRUE(store.Document().Get("Favorites", "F" + std::to_string(i)).has_value()) << i;
  }
  EXPECT_EQ(store.GetString("Favorites", "N6", "?"), "");
  EXPECT_EQ(store.GetString("Favorites", "N25", ""), "kept");  // not ours to touch
}

TEST(FavouriteListTest, ToolBarLayoutReadsBackAsWritten) {
  std::vector<std::vector<int>> layouts = {{}, {0}, {1, 2, 0, 28, 28, 0, 0}};
  for (const std::vector<int>& layout : layouts) {
    std::string file = ToolBarLayoutText(layout);
    SettingsStore store(std::make_unique<TextStorage>(&file));
    EXPECT_EQ(ReadToolBarButtons(store, 10), layout);
    EXPECT_EQ(store.GetInt("Buttons", "ButtonCount", -1), static_cast<int>(layout.size()));
  }
}

}  // namespace
}  // namespace px
