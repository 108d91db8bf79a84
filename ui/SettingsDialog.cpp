#include "ui/SettingsDialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include "framework/Controls.h"
#include "framework/LanguageFiles.h"
#include "framework/MessageBoxes.h"
#include "framework/Wide.h"
#include "res/resource.h"

namespace px {

namespace {

struct OptionCheck {
  int id;
  TextId text;
  int Options::*option;
};

const OptionCheck kViewChecks[] = {
    {IDC_OPTION_SHOW_TOOLBAR, text::kSettingsShowToolBar, &Options::showToolBar},
    {IDC_OPTION_SHOW_DRIVE, text::kSettingsShowDrive, &Options::showDrive},
    {IDC_OPTION_SHOW_CUR_DIR, text::kSettingsShowCurDir, &Options::showCurDir},
    {IDC_OPTION_SHOW_COM_LINE, text::kSettingsShowComLine, &Options::showComLine},
    {IDC_OPTION_SHOW_FUNC_KEY, text::kSettingsShowFuncKey, &Options::showFuncKey},
    {IDC_OPTION_SHOW_SELECTION_LINE, text::kSettingsShowSelectionLine, &Options::showSelectionLine},
    {IDC_OPTION_FULL_ROW_SELECT, text::kSettingsFullRowSelect, &Options::fullRowSelect},
    {IDC_OPTION_SELECTION_ALWAYS, text::kSettingsSelectionAlways, &Options::selectionAlways},
    {IDC_OPTION_ALWAYS_SHOW_TABS, text::kSettingsAlwaysShowTabs, &Options::alwaysShowTabs},
    {IDC_OPTION_SHOW_HIDDEN_SYSTEM, text::kSettingsShowHiddenSystem, &Options::showHiddenSystem},
    {IDC_OPTION_QUICK_SEARCH_LETTERS, text::kSettingsQuickSearchLetters, &Options::quickSearchLetters},
    {IDC_OPTION_QUICK_SEARCH_CONTAINS, text::kSettingsQuickSearchContains, &Options::quickSearchContains},
};

const OptionCheck kBehaviourChecks[] = {
    {IDC_OPTION_SAVE_PANELS, text::kSettingsSavePanels, &Options::savePanels},
    {IDC_OPTION_SAVE_SETTINGS, text::kSettingsSaveSettings, &Options::saveSettings},
    {IDC_OPTION_SAVE_POSITION, text::kSettingsSavePosition, &Options::savePosition},
    {IDC_OPTION_RECYCLE, text::kSettingsRecycle, &Options::recycle},
    {IDC_OPTION_FAST_RENAME, text::kSettingsFastRename, &Options::fastRename},
    {IDC_OPTION_SELECT_FOLDERS, text::kSettingsSelectFolders, &Options::selectFolders},
    {IDC_OPTION_SHOW_ALL_ICONS, text::kSettingsShowAllIcons, &Options::showAllIcons},
    {IDC_SETTINGS_QUEUE_SAME_DRIVE, text::kOptionQueueSameDrive, &Options::queueSameDrive},
    {IDC_SETTINGS_VERIFY, text::kOptionVerify, &Options::verify},
};

struct LabelText {
  int id;
  TextId text;
};

void SetLabels(HWND page, std::initializer_list<LabelText> labels, const LanguageTable& texts) {
  for (const LabelText& label : labels)
    Window(GetDlgItem(page, label.id)).SetText(texts.Text(label.text));
}

// The program acts on exactly 1, so only 1 shows as checked.
template <size_t N>
void ShowChecks(HWND page, const OptionCheck (&checks)[N], const Options& options,
                const LanguageTable& texts) {
  for (const OptionCheck& check : checks) {
    Window(GetDlgItem(page, check.id)).SetText(texts.Text(check.text));
    CheckDlgButton(page, check.id, options.*check.option == 1 ? BST_CHECKED : BST_UNCHECKED);
  }
}

// A check the user left alone keeps its value, even one other than 0 or 1
// that a hand-edited file gave it.
template <size_t N>
void ReadChecks(HWND page, const OptionCheck (&checks)[N], Options& options) {
  for (const OptionCheck& check : checks) {
    bool checked = IsDlgButtonChecked(page, check.id) == BST_CHECKED;
    if (checked != (options.*check.option == 1)) options.*check.option = checked ? 1 : 0;
  }
}

// The choices in the order of the setting's values (ColoursSetting).
constexpr TextId kColoursChoices[] = {text::kColoursFollowSystem, text::kColoursLight,
                                      text::kColoursDark};

void ShowColoursChoice(HWND page, const Options& options, const LanguageTable& texts) {
  Window(GetDlgItem(page, IDC_OPTION_COLOURS_LABEL)).SetText(texts.Text(text::kSettingsColours));
  HWND box = GetDlgItem(page, IDC_OPTION_COLOURS);
  for (TextId choice : kColoursChoices)
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(texts.Text(choice)).c_str()));
  SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(options.colours), 0);
}

void ReadColoursChoice(HWND page, Options& options) {
  const LRESULT chosen = SendMessageW(GetDlgItem(page, IDC_OPTION_COLOURS), CB_GETCURSEL, 0, 0);
  if (chosen >= 0 && chosen < static_cast<LRESULT>(std::size(kColoursChoices)))
    options.colours = static_cast<int>(chosen);
}

}  // namespace

ViewOptionsPage::ViewOptionsPage(Options& options, const LanguageTable& texts)
    : SettingsPage(IDD_SETTINGS_VIEW, options, texts) {}

BOOL ViewOptionsPage::OnInitDialog() {
  SetLabels(Handle(),
            {{IDC_SETTINGS_GROUP_VISIBLE, text::kSettingsVisibleGroup},
             {IDC_SETTINGS_GROUP_LISTS, text::kSettingsListsGroup},
             {IDC_SETTINGS_GROUP_OTHER, text::kSettingsFilesGroup}},
            texts_);
  ShowChecks(Handle(), kViewChecks, options_, texts_);
  ShowColoursChoice(Handle(), options_, texts_);
  return FALSE;
}

void ViewOptionsPage::Read() {
  ReadChecks(Handle(), kViewChecks, options_);
  ReadColoursChoice(Handle(), options_);
}

struct BehaviourOptionsPageRoutes {
  static const Route<BehaviourOptionsPage> kRoutes[];
};

const Route<BehaviourOptionsPage> BehaviourOptionsPageRoutes::kRoutes[] = {
    {OnCommand(IDC_SETTINGS_BROWSE, BN_CLICKED), &BehaviourOptionsPage::OnBrowse},
};

BehaviourOptionsPage::BehaviourOptionsPage(Options& options, const LanguageTable& texts)
    : SettingsPage(IDD_SETTINGS_BEHAVIOUR, options, texts) {}

bool BehaviourOptionsPage::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(BehaviourOptionsPageRoutes::kRoutes, message, result);
}

BOOL BehaviourOptionsPage::OnInitDialog() {
  SetLabels(Handle(),
            {{IDC_SETTINGS_GROUP_SAVE, text::kSettingsSaveGroup},
             {IDC_SETTINGS_GROUP_DELETE, text::kSettingsDeleteGroup},
             {IDC_SETTINGS_GROUP_OTHER, text::kSettingsOtherGroup},
             {IDC_SETTINGS_GROUP_EDITOR, text::kSettingsEditorGroup},
             {IDC_SETTINGS_BROWSE, text::kSettingsBrowse}},
            texts_);
  ShowChecks(Handle(), kBehaviourChecks, options_, texts_);
  Window(Item(IDC_SETTINGS_EDITOR)).SetText(options_.editor);
  return FALSE;
}

void BehaviourOptionsPage::Read() {
  ReadChecks(Handle(), kBehaviourChecks, options_);
  options_.editor = Window(Item(IDC_SETTINGS_EDITOR)).Text();
}

LRESULT BehaviourOptionsPage::OnBrowse(Message&) {
  std::wstring file(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = GetAncestor(Handle(), GA_ROOT);
  dialog.lpstrFilter = L"*.exe\0*.exe\0";
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  // The start directory is the process's current directory: the dialog must
  // not move it, or the language and settings files would be looked for
  // wherever the user browsed to.
  dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (GetOpenFileNameW(&dialog)) {
    file.resize(wcslen(file.c_str()));
    Window(Item(IDC_SETTINGS_EDITOR)).SetText(Narrow(file));
  }
  return 0;
}

LanguagePage::LanguagePage(Options& options, const LanguageTable& texts,
                           const std::string& startDirectory)
    : SettingsPage(IDD_SETTINGS_LANGUAGE, options, texts), startDirectory_(startDirectory) {}

BOOL LanguagePage::OnInitDialog() {
  SetLabels(Handle(), {{IDC_SETTINGS_LANGUAGE_LABEL, text::kSettingsLanguageLabel}}, texts_);
  HWND list = Item(IDC_SETTINGS_LANGUAGES);
  for (const std::string& name : ListLanguages(startDirectory_))
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(name).c_str()));
  // The list box's exact search ignores case; no match leaves nothing selected.
  LRESULT current = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(Widen(options_.language).c_str()));
  SendMessageW(list, LB_SETCURSEL, current == LB_ERR ? static_cast<WPARAM>(-1) : current, 0);
  return FALSE;
}

void LanguagePage::Read() {
  HWND list = Item(IDC_SETTINGS_LANGUAGES);
  LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  options_.language =
      selected == LB_ERR ? std::string() : ListBox(list).ItemText(static_cast<int>(selected));
}

struct SettingsDialogRoutes {
  static const Route<SettingsDialog> kRoutes[];
};

const Route<SettingsDialog> SettingsDialogRoutes::kRoutes[] = {
    {OnNotify(TCN_SELCHANGING, IDC_SETTINGS_TABS, IDC_SETTINGS_TABS),
     &SettingsDialog::OnTabChanging},
    {OnNotify(TCN_SELCHANGE, IDC_SETTINGS_TABS, IDC_SETTINGS_TABS), &SettingsDialog::OnTabChanged},
};

SettingsDialog::SettingsDialog(const LanguageTable& texts)
    : Dialog(IDD_SETTINGS),
      texts_(texts),
      view_(options, texts),
      behaviour_(options, texts),
      language_(options, texts, startDirectory),
      pages_{&view_, &behaviour_, &language_} {}

bool SettingsDialog::RouteMessage(Message& message, LRESULT& result) {
  return Dispatch(SettingsDialogRoutes::kRoutes, message, result);
}

BOOL SettingsDialog::OnInitDialog() {
  Window(Handle()).SetText(texts_.Text(text::kSettingsCaption));
  Window(Item(IDOK)).SetText(texts_.Text(text::kSettingsOk));
  Window(Item(IDCANCEL)).SetText(texts_.Text(text::kSettingsCancel));

  TabControl tabs(Item(IDC_SETTINGS_TABS));
  const TextId tabTexts[] = {text::kSettingsViewTab, text::kSettingsBehaviourTab,
                             text::kSettingsLanguageTab};
  for (int i = 0; i < 3; ++i) tabs.InsertTab(i, texts_.Text(tabTexts[i]));

  const RECT area = tabs.PageArea(Handle());
  const int pageIds[] = {IDD_SETTINGS_VIEW, IDD_SETTINGS_BEHAVIOUR, IDD_SETTINGS_LANGUAGE};
  for (int i = 0; i < 3; ++i) {
    SettingsPage& page = *pages_[i];
    if (!page.Create(Handle())) continue;
    // Found by its template id, like any control of the dialog.
    SetWindowLongPtrW(page.Handle(), GWLP_ID, pageIds[i]);
    // Above the tab control, which would otherwise paint over it.
    SetWindowPos(page.Handle(), HWND_TOP, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOACTIVATE);
  }
  currentPage_ = 0;
  ShowPage(0);
  CenterOver(Handle(), GetWindow(Handle(), GW_OWNER));
  return TRUE;
}

void SettingsDialog::ShowPage(int index) {
  for (int i = 0; i < 3; ++i) Window(pages_[i]->Handle()).Show(i == index);
  currentPage_ = index;
}

LRESULT SettingsDialog::OnTabChanging(Message&) { return FALSE; }

LRESULT SettingsDialog::OnTabChanged(Message&) {
  int selected = static_cast<int>(SendMessageW(Item(IDC_SETTINGS_TABS), TCM_GETCURSEL, 0, 0));
  if (selected >= 0 && selected < 3 && selected != currentPage_) ShowPage(selected);
  return 0;
}

void SettingsDialog::OnOK() {
  for (SettingsPage* page : pages_)
    if (page->Handle() != nullptr) page->Read();
  EndDialog(IDOK);
}

void EditSettings(const AppContext& context, const std::function<void(const Options&)>& apply) {
  SettingsDialog dialog(context.Texts());
  dialog.options = context.GetOptions();
  dialog.startDirectory = context.startDirectory;
  if (dialog.DoModal(context.owner) == IDOK && apply) apply(dialog.options);
}

}  // namespace px
