// The favourite folders: up to twenty named folders listed at the end of the
// fourth drop-down, added from the active panel, organised in a dialog,
// gone to in the active panel, and kept in section Favorites of PX.ini.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/commands/CommandTable.h"
#include "core/language/LanguageTable.h"
#include "core/settings/Settings.h"
#include "framework/AppContext.h"
#include "framework/Dialog.h"

namespace px {

class PanelPair;

class MenuBar;

// One favourite's name and folder (template 154).
class FavouriteDialog : public Dialog {
 public:
  FavouriteDialog(const LanguageTable& texts, TextId caption);

  // Filled by the caller; read back after OK.
  std::string name;
  std::string path;

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message&, LRESULT&) override { return false; }
  void OnOK() override;

 private:
  const LanguageTable& texts_;
  TextId caption_;
};

// The whole list, edited on a copy (template 153).
class FavouritesEditor : public Dialog {
 public:
  FavouritesEditor(const LanguageTable& texts, std::vector<Favourite> favourites);

  // The working copy: the result after OK.
  std::vector<Favourite> favourites;

  // The buttons' actions, for callers that drive the dialog themselves.
  void Add();
  void Remove();
  void Change();
  void MoveBy(int step);

 protected:
  BOOL OnInitDialog() override;
  bool RouteMessage(Message& message, LRESULT& result) override;

 private:
  friend struct FavouritesEditorRoutes;
  LRESULT OnAdd(Message&) { Add(); return 0; }
  LRESULT OnRemove(Message&) { Remove(); return 0; }
  LRESULT OnChange(Message&) { Change(); return 0; }
  LRESULT OnUp(Message&) { MoveBy(-1); return 0; }
  LRESULT OnDown(Message&) { MoveBy(1); return 0; }
  LRESULT OnSelectionChange(Message&);

  int Selected() const;
  // Fills the list box from the copy and selects row `selected`.
  void ShowList(int selected);
  void ShowPath();

  const LanguageTable& texts_;
};

class Favourites {
 public:
  Favourites(AppContext& context, PanelPair& panels, MenuBar& menus);

  // The list read at start-up, put on the menu.
  void Assign(std::vector<Favourite> favourites);
  const std::vector<Favourite>& List() const { return list_; }

  // Add (10019, 32798), organise (10020, 32799), go to (11000 + k).
  // False when one of its ids had a command already.
  [[nodiscard]] bool AddCommands(CommandTable& table);
  void Add();
  void Organise();
  // Shows favourite `index` in the active panel; an index beyond the list
  // does nothing.
  void GoTo(size_t index);

 private:
  // Menu and settings file after a change.
  void Changed();

  std::string SettingsFilePath() const;

  AppContext& context_;
  PanelPair& panels_;
  MenuBar& menus_;
  std::vector<Favourite> list_;
};

}  // namespace px
