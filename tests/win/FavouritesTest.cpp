// Favourite folders on the real window: adding in a folder and in a drive
// root, the twenty-first, organising by control id, going to each, odd names
// through PX.ini, and a stored path without its backslash.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Companions.h"
#include "core/language/TextFormat.h"
#include "framework/TextFiles.h"
#include "tests/win/Harness.h"
#include "ui/Favourites.h"
#include "ui/IconMenu.h"

namespace px::test {
namespace {

using Answer = DialogResponder::Answer;

std::string FieldText(HWND dialog, int id) { return px::Window(GetDlgItem(dialog, id)).Text(); }

void Click(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Drop-down 4 lists exactly these names after its separator, as 11000 + k.
void ExpectFavouriteItems(MainWindow& window, const std::vector<std::string>& names) {
  HMENU menu = GetSubMenu(window.Menus().Bar(), kFavouritesDropDown);
  ASSERT_EQ(GetMenuItemCount(menu), 3 + static_cast<int>(names.size()));
  for (size_t k = 0; k < names.size(); ++k) {
    int position = 3 + static_cast<int>(k);
    EXPECT_EQ(GetMenuItemID(menu, position), ID_FAVOURITE_FIRST + k);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    EXPECT_EQ(reinterpret_cast<const IconMenuItem*>(info.dwItemData)->text, names[k]);
  }
}

std::vector<std::string> Names(const std::vector<Favourite>& list) {
  std::vector<std::string> names;
  for (const Favourite& favourite : list) names.push_back(favourite.name);
  return names;
}

// Adds the active panel's folder, checking the proposal, under `name` when given.
void AddFavourite(MainWindow& window, const std::string& proposedName,
                  const std::string& proposedPath, const std::string& name = {}) {
  std::string seenName, seenPath;
  DialogResponder responder({Answer(IDOK, [&](HWND dialog) {
    seenName = FieldText(dialog, IDC_FAVOURITE_NAME);
    seenPath = FieldText(dialog, IDC_FAVOURITE_PATH);
    if (!name.empty()) px::Window(GetDlgItem(dialog, IDC_FAVOURITE_NAME)).SetText(name);
  })});
  window.ExecuteCommand(ID_MENU_ADD_FAVOURITE);
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(seenName, proposedName);
  EXPECT_EQ(seenPath, proposedPath);
}

TEST(FavouritesTest, AddedInAFolderAndInADriveRootAndVisited) {
  TempFolder data;
  std::string work = data.Make("Work");
  RunningWindow run(PanelSettings(work, work).c_str(), StageCompanions);
  MainWindow& window = run.Window();

  AddFavourite(window, "Work", work.substr(0, work.size() - 1));
  window.Panels().GoToFolder("C:\\", true);
  AddFavourite(window, "C:", "C:\\");
  {
    DialogResponder cancel(IDCANCEL);  // cancelled: nothing added
    window.ExecuteCommand(ID_TOOL_ADD_FAVOURITE);
    EXPECT_TRUE(cancel.Answered());
  }
  ASSERT_EQ(window.FavouriteFolders().List().size(), 2u);
  EXPECT_EQ(window.FavouriteFolders().List()[0].folder, work);
  EXPECT_EQ(window.FavouriteFolders().List()[1].folder, "C:\\");
  ExpectFavouriteItems(window, {"Work", "C:"});

  std::string text = run.SettingsFileText();
  EXPECT_NE(text.find("N0=Work"), std::string::npos);
  EXPECT_NE(text.find("F0=" + work), std::string::npos);
  EXPECT_NE(text.find("N1=C:"), std::string::npos);
  EXPECT_NE(text.find("N19="), std::string::npos);

  // Chosen from the menu: the item's command reaches the window.
  SendMessageW(run.Handle(), WM_COMMAND, MAKEWPARAM(ID_FAVOURITE_FIRST, 0), 0);
  EXPECT_EQ(window.Panels().Active().Path(), work);
  window.ExecuteCommand(ID_FAVOURITE_FIRST + 1);
  EXPECT_EQ(window.Panels().Active().Path(), "C:\\");
  // Commands beyond the list do nothing.
  for (int id : {ID_FAVOURITE_FIRST + 2, ID_FAVOURITE_LAST}) {
    window.ExecuteCommand(id);
    EXPECT_EQ(window.Panels().Active().Path(), "C:\\");
  }
}

// A settings file that cannot be written keeps the favourite for this run
// and says so.
TEST(FavouritesTest, AFavouriteThatCannotBeSavedIsReported) {
  TempFolder data;
  std::string work = data.Make("Work");
  RunningWindow run(PanelSettings(work, work).c_str(), StageCompanions);
  ASSERT_TRUE(SetFileAttributesW(FileApiPath(run.StartDirectory() + "PX.ini").c_str(), FILE_ATTRIBUTE_READONLY));
  DialogResponder responder({DialogResponder::Answer{IDOK}, DialogResponder::Answer{IDOK}});
  run.Window().ExecuteCommand(ID_MENU_ADD_FAVOURITE);
  EXPECT_TRUE(responder.Answered());
  std::string folder = run.StartDirectory();
  folder.pop_back();
  EXPECT_EQ(responder.SeenText(), FormatText(EnglishTexts().Text(text::kFavouritesNotSaved), {folder + "\\PX.ini"}));
  EXPECT_EQ(run.Window().FavouriteFolders().List().size(), 1u);
  SetFileAttributesW(FileApiPath(run.StartDirectory() + "PX.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FavouritesTest, TheTwentyFirstDropsTheFirst) {
  TempFolder data;
  std::string settings = "[Favorites]\r\n";
  std::vector<std::string> folders;
  for (int k = 0; k < 21; ++k) {
    folders.push_back(data.Make("f" + std::to_string(k)));
    if (k < 20) {
      settings += "N" + std::to_string(k) + "=n" + std::to_string(k) + "\r\n";
      settings += "F" + std::to_string(k) + "=" + folders[k] + "\r\n";
    }
  }
  settings += PanelSettings(folders[20], folders[20]);
  RunningWindow run(settings.c_str(), StageCompanions);
  MainWindow& window = run.Window();
  ASSERT_EQ(window.FavouriteFolders().List().size(), 20u);

  AddFavourite(window, "f20", folders[20].substr(0, folders[20].size() - 1));
  std::vector<std::string> names;
  for (int k = 1; k < 20; ++k) names.push_back("n" + std::to_string(k));
  names.push_back("f20");
  EXPECT_EQ(Names(window.FavouriteFolders().List()), names);
  ExpectFavouriteItems(window, names);
  for (int k = 0; k < 20; ++k) {
    window.ExecuteCommand(ID_FAVOURITE_FIRST + k);
    EXPECT_EQ(window.Panels().Active().Path(), folders[k + 1]) << k;
  }
  EXPECT_NE(run.SettingsFileText().find("N0=n1\r\n"), std::string::npos);
  EXPECT_NE(run.SettingsFileText().find("N19=f20\r\n"), std::string::npos);
}

TEST(FavouritesTest, OrganiserEditsItsCopyAndStopsAtTwenty) {
  std::string settings = "[Favorites]\r\n";
  for (int k = 0; k < 20; ++k)
    settings += "N" + std::to_string(k) + "=n" + std::to_string(k) + "\r\nF" +
                std::to_string(k) + "=C:\\d" + std::to_string(k) + "\\\r\n";
  RunningWindow run(settings.c_str(), StageCompanions);
  MainWindow& window = run.Window();
  // The editor is driven here; only its own dialogs may be answered.
  EnableWindow(run.Handle(), FALSE);
  FavouritesEditor editor(window.Texts(), window.FavouriteFolders().List());
  ASSERT_TRUE(editor.Create(run.Handle()));
  HWND d = editor.Handle();
  EXPECT_EQ(px::Window(d).Text(), EnglishTexts().TextAt(17, 4));
  EXPECT_EQ(FieldText(d, IDC_FAVOURITES_PATH), "C:\\d0");
  {
    DialogResponder never(IDCANCEL);
    Click(d, IDC_FAVOURITES_ADD);  // full: no dialog, no entry
    Pump();
    EXPECT_EQ(never.AnswerCount(), 0u);
  }
  EXPECT_EQ(editor.favourites.size(), 20u);

  Click(d, IDC_FAVOURITES_UP);  // the first stays
  EXPECT_EQ(editor.favourites[0].name, "n0");
  Click(d, IDC_FAVOURITES_DOWN);
  EXPECT_EQ(editor.favourites[1].name, "n0");
  EXPECT_EQ(FieldText(d, IDC_FAVOURITES_PATH), "C:\\d0");
  SendMessageW(GetDlgItem(d, IDC_FAVOURITES_LIST), LB_SETCURSEL, 19, 0);
  Click(d, IDC_FAVOURITES_DOWN);  // the last stays
  EXPECT_EQ(editor.favourites[19].name, "n19");
  Click(d, IDC_FAVOURITES_REMOVE);  // the new last is selected
  EXPECT_EQ(editor.favourites.size(), 19u);
  EXPECT_EQ(FieldText(d, IDC_FAVOURITES_PATH), "C:\\d18");
  {
    DialogResponder change({Answer(IDOK, [](HWND dialog) {
      px::Window(GetDlgItem(dialog, IDC_FAVOURITE_NAME)).SetText("renamed");
      px::Window(GetDlgItem(dialog, IDC_FAVOURITE_PATH)).SetText("D:\\elsewhere");
    })});
    Click(d, IDC_FAVOURITES_CHANGE);
    EXPECT_TRUE(change.Answered());
  }
  EXPECT_EQ(editor.favourites[18].name, "renamed");
  EXPECT_EQ(editor.favourites[18].folder, "D:\\elsewhere\\");
  {
    DialogResponder add({Answer(IDOK, IDC_FAVOURITE_NAME, "new")});
    SendMessageW(GetDlgItem(d, IDC_FAVOURITES_LIST), LB_SETCURSEL, 2, 0);
    Click(d, IDC_FAVOURITES_ADD);  // an empty folder drops the addition
    EXPECT_TRUE(add.Answered());
  }
  EXPECT_EQ(editor.favourites.size(), 19u);
  editor.Destroy();
  EnableWindow(run.Handle(), TRUE);
  // The window's list is untouched by the editor's copy.
  EXPECT_EQ(window.FavouriteFolders().List().size(), 20u);

  // Removing everything and OK: the drop-down ends with its separator and
  // every slot of the file is empty.
  DialogResponder removeAll({Answer(IDOK, [](HWND dialog) {
    for (int i = 0; i < 25; ++i) Click(dialog, IDC_FAVOURITES_REMOVE);
  })});
  window.ExecuteCommand(ID_TOOL_ORGANISE_FAVOURITES);
  EXPECT_TRUE(removeAll.Answered());
  EXPECT_TRUE(window.FavouriteFolders().List().empty());
  ExpectFavouriteItems(window, {});
  std::string text = run.SettingsFileText();
  for (int k = 0; k < 20; ++k) {
    EXPECT_NE(text.find("N" + std::to_string(k) + "=\r\n"), std::string::npos) << k;
    EXPECT_NE(text.find("F" + std::to_string(k) + "=\r\n"), std::string::npos) << k;
  }
}

TEST(FavouritesTest, OddNamesRoundTripThroughTheSettingsFile) {
  TempFolder data;
  std::string odd = data.Make("x=y;z 'q'");
  const std::vector<std::string> names = {"a=b", ";semi", "\"quoted\"", "  blanks  ",
                                          "'single'", "A & B", "Ελληνικά"};
  std::string saved;
  {
    RunningWindow run(PanelSettings(odd, odd).c_str(), StageCompanions);
    for (const std::string& name : names)
      AddFavourite(run.Window(), "x=y;z 'q'", odd.substr(0, odd.size() - 1), name);
    run.Close();
    saved = run.SettingsFileText();
  }
  RunningWindow again(saved.c_str(), StageCompanions);
  EXPECT_EQ(Names(again.Window().FavouriteFolders().List()), names);
  ExpectFavouriteItems(again.Window(), names);
  for (const Favourite& favourite : again.Window().FavouriteFolders().List())
    EXPECT_EQ(favourite.folder, odd);
  again.Window().ExecuteCommand(ID_FAVOURITE_FIRST + 3);
  EXPECT_EQ(again.Window().Panels().Active().Path(), odd);
}

TEST(FavouritesTest, AStoredPathWithoutItsBackslashIsThatFolder) {
  TempFolder data;
  std::string folder = data.Make("Plain");
  std::string bare = folder.substr(0, folder.size() - 1);
  std::string settings = "[Favorites]\r\nN0=Plain\r\nF0=" + bare + "\r\n" +
                         PanelSettings("C:\\", "C:\\");
  RunningWindow run(settings.c_str(), StageCompanions);
  MainWindow& window = run.Window();
  window.ExecuteCommand(ID_FAVOURITE_FIRST);
  EXPECT_EQ(window.Panels().Active().Path(), folder);

  std::string shown;
  DialogResponder look({Answer(IDOK, [&](HWND dialog) {
    shown = FieldText(dialog, IDC_FAVOURITES_PATH);
  })});
  window.ExecuteCommand(ID_MENU_ORGANISE_FAVOURITES);
  EXPECT_EQ(shown, bare);
  EXPECT_NE(run.SettingsFileText().find("F0=" + bare + "\r\n"), std::string::npos);

  // Renamed with its folder left as shown: the folder is kept as stored.
  EnableWindow(run.Handle(), FALSE);
  FavouritesEditor editor(window.Texts(), window.FavouriteFolders().List());
  ASSERT_TRUE(editor.Create(run.Handle()));
  DialogResponder rename({Answer(IDOK, IDC_FAVOURITE_NAME, "Renamed")});
  editor.Change();
  EXPECT_EQ(editor.favourites[0].name, "Renamed");
  EXPECT_EQ(editor.favourites[0].folder, bare);
  editor.Destroy();
  EnableWindow(run.Handle(), TRUE);
}

}  // namespace
}  // namespace px::test
