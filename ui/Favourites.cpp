// The favourite folders, their two dialogs and their commands.
#include "ui/Favourites.h"

#include <algorithm>
#include <utility>

#include "core/favourites/FavouriteList.h"
#include "core/language/TextFormat.h"
#include "framework/Controls.h"
#include "framework/MessageBoxes.h"
#include "framework/Wide.h"
#include "panels/PanelPair.h"
#include "res/resource.h"
#include "ui/IconMenu.h"

namespace px {

FavouriteDialog::FavouriteDialog(const LanguageTable& texts, TextId caption)
    : Dialog(IDD_FAVOURITE), texts_(texts), caption_(caption) {}

BOOL FavouriteDialog::OnInitDialog() {
  Window(Handle()).SetText(texts_.Text(caption_));
  Window(Item(IDC_FAVOURITE_NAME_LABEL)).SetText(texts_.Text(text::kFavouriteNameLabel));
  Window(Item(IDC_FAVOURITE_PATH_LABEL)).SetText(texts_.Text(text::kFavouritePathLabel));
  Window(Item(IDOK)).SetText(texts_.Text(text::kFavouritesOk));
  Window(Item(IDCANCEL)).SetText(texts_.Text(text::kFavouritesCancel));
  Window(Item(IDC_FAVOURITE_NAME)).SetText(name);
  Window(Item(IDC_FAVOURITE_PATH)).SetText(path);
  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));
  return TRUE;
}

void FavouriteDialog::OnOK() {
  name = Window(Item(IDC_FAVOURITE_NAME)).Text();
  path = Window(Item(IDC_FAVOURITE_PATH)).Text();
  EndDialog(IDOK);
}

struct FavouritesEditorRoutes {
  static const Route<FavouritesEditor> kRoutes[];
};

const Route<FavouritesEditor> FavouritesEditorRoutes::kRoutes[] = {
    {OnCommand(IDC_FAVOURITES_ADD, BN_CLICKED), &FavouritesEditor::OnAdd},
    {OnCommand(IDC_FAVOURITES_REMOVE, BN_CLICKED), &FavouritesEditor::OnRemove},
    {OnCommand(IDC_FAVOURITES_CHANGE, BN_CLICKED), &FavouritesEditor::OnChange},
    {OnCommand(IDC_FAVOURITES_UP, BN_CLICKED), &FavouritesEditor::OnUp},
    {OnCommand(IDC_FAVOURITES_DOWN, BN_CLICKED), &FavouritesEditor::OnDown},
    {OnCommand(IDC_FAVOURITES_LIST, LBN_SELCHANGE), &FavouritesEditor::OnSelectionChange},
};

FavouritesEditor::FavouritesEditor(const LanguageTable& texts, std::vector<Favourite> list)
    : Dialog(IDD_FAVOURITES), favourites(std::move(list)), texts_(texts) {}

bool FavouritesEditor::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(FavouritesEditorRoutes::kRoutes, message, result);
}

BOOL FavouritesEditor::OnInitDialog() {
  Window(Handle()).SetText(texts_.Text(text::kFavouritesCaption));
  Window(Item(IDC_FAVOURITES_ADD)).SetText(texts_.Text(text::kFavouritesAdd));
  Window(Item(IDC_FAVOURITES_REMOVE)).SetText(texts_.Text(text::kFavouritesRemove));
  Window(Item(IDC_FAVOURITES_CHANGE)).SetText(texts_.Text(text::kFavouritesChange));
  Window(Item(IDC_FAVOURITES_UP)).SetText(texts_.Text(text::kFavouritesUp));
  Window(Item(IDC_FAVOURITES_DOWN)).SetText(texts_.Text(text::kFavouritesDown));
  Window(Item(IDOK)).SetText(texts_.Text(text::kFavouritesOk));
  Window(Item(IDCANCEL)).SetText(texts_.Text(text::kFavouritesCancel));
  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));
  if (favourites.size() > kMaxFavourites) favourites.resize(kMaxFavourites);
  ShowList(0);
  return TRUE;
}

int FavouritesEditor::Selected() const {
  LRESULT selected = SendMessageW(Item(IDC_FAVOURITES_LIST), LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR || static_cast<size_t>(selected) >= favourites.size()) return -1;
  return static_cast<int>(selected);
}

void FavouritesEditor::ShowList(int selected) {
  HWND list = Item(IDC_FAVOURITES_LIST);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const Favourite& favourite : favourites)
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(favourite.name).c_str()));
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  SendMessageW(list, LB_SETCURSEL, selected, 0);
  ShowPath();
}

void FavouritesEditor::ShowPath() {
  int selected = Selected();
  Window(Item(IDC_FAVOURITES_PATH))
      .SetText(selected < 0 ? std::string()
                            : ShownFavouritePath(favourites[static_cast<size_t>(selected)].folder));
}

LRESULT FavouritesEditor::OnSelectionChange(Message&) {
  ShowPath();
  return 0;
}

void FavouritesEditor::Add() {
  // The menu holds no more than twenty either.
  if (favourites.size() >= kMaxFavourites) return;
  FavouriteDialog dialog(texts_, text::kFavouriteAddCaption);
  if (dialog.DoModal(Handle()) != IDOK || dialog.name.empty() || dialog.path.empty()) return;
  int position = std::max(Selected(), 0);
  favourites.insert(favourites.begin() + position,
                    {dialog.name, WithTrailingBackslash(dialog.path)});
  ShowList(position);
}

void FavouritesEditor::Remove() {
  int selected = Selected();
  if (selected < 0) return;
  favourites.erase(favourites.begin() + selected);
  ShowList(std::min(selected, static_cast<int>(favourites.size()) - 1));
}

void FavouritesEditor::Change() {
  int selected = Selected();
  if (selected < 0) return;
  Favourite& entry = favourites[static_cast<size_t>(selected)];
  FavouriteDialog dialog(texts_, text::kFavouriteChangeCaption);
  dialog.name = entry.name;
  dialog.path = ShownFavouritePath(entry.folder);
  if (dialog.DoModal(Handle()) != IDOK || dialog.name.empty() || dialog.path.empty()) return;
  entry.name = dialog.name;
  entry.folder = EditedFavouritePath(entry.folder, dialog.path);
  ShowList(selected);
}

void FavouritesEditor::MoveBy(int step) {
  int selected = Selected();
  int target = selected + step;
  if (selected < 0 || target < 0 || target >= static_cast<int>(favourites.size())) return;
  std::swap(favourites[static_cast<size_t>(selected)], favourites[static_cast<size_t>(target)]);
  ShowList(target);
}

Favourites::Favourites(AppContext& context, PanelPair& panels, MenuBar& menus)
    : context_(context), panels_(panels), menus_(menus) {}

void Favourites::Assign(std::vector<Favourite> favourites) {
  list_ = std::move(favourites);
  if (list_.size() > kMaxFavourites) list_.resize(kMaxFavourites);
  std::vector<std::string> names;
  for (const Favourite& favourite : list_) names.push_back(favourite.name);
  menus_.SetFavourites(names);
}

bool Favourites::AddCommands(CommandTable& table) {
  const bool add = table.Add({ID_TOOL_ADD_FAVOURITE, ID_MENU_ADD_FAVOURITE}, [this] { Add(); });
  const bool organise =
      table.Add({ID_TOOL_ORGANISE_FAVOURITES, ID_MENU_ORGANISE_FAVOURITES}, [this] { Organise(); });
  const bool each = table.AddRange(ID_FAVOURITE_FIRST, ID_FAVOURITE_LAST,
                                   [this](uint32_t offset) { GoTo(offset); });
  return add && organise && each;
}

void Favourites::Add() {
  FavouriteProposal proposal = ProposeFavourite(panels_.Active().Path());
  FavouriteDialog dialog(context_.Texts(), text::kFavouriteAddCaption);
  dialog.name = proposal.name;
  dialog.path = proposal.path;
  if (dialog.DoModal(context_.owner) != IDOK || dialog.name.empty() || dialog.path.empty())
    return;
  AppendFavourite(list_, {dialog.name, dialog.path});
  Changed();
}

void Favourites::Organise() {
  FavouritesEditor editor(context_.Texts(), list_);
  if (editor.DoModal(context_.owner) != IDOK) return;
  list_ = std::move(editor.favourites);
  Changed();
}

void Favourites::GoTo(size_t index) {
  if (index >= list_.size() || list_[index].folder.empty()) return;
  // A path written by hand without its backslash names the same folder.
  panels_.GoToFolder(WithTrailingBackslash(list_[index].folder), true);
}

std::string Favourites::SettingsFilePath() const {
  std::string folder = context_.startDirectory;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder + "\\PX.ini";
}

void Favourites::Changed() {
  Assign(std::move(list_));
  if (context_.settings == nullptr) return;
  WriteFavourites(*context_.settings, list_);
  // A file that cannot be written keeps the change for the next save; the
  // user hears of it.
  if (!context_.settings->Commit()) {
    ShowMessage(context_.owner,
                FormatText(context_.Texts().Text(text::kFavouritesNotSaved), {SettingsFilePath()}),
                kProductName, MB_OK | MB_ICONEXCLAMATION);
  }
}

}  // namespace px
