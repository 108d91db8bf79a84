// The toolbar: its control, layout file, tooltips and button states.
#include "ui/ToolBar.h"

#include <commctrl.h>

#include <memory>
#include <string>

#include "core/language/TextFormat.h"
#include "core/language/TextIds.h"
#include "core/settings/Settings.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "ui/IconLibrary.h"
#include "ui/ToolBarDialog.h"

namespace px {

namespace {

// Child, visible, flat, no divider, no automatic resizing: the window's
// layout places it.
constexpr DWORD kToolBarStyle = 0x50000854;
constexpr int kImageWidth = 18;
constexpr int kImageHeight = 20;
// Room around a picture on its button, and a separator's width, at 100 %: the
// control's own defaults, which it does not scale.
constexpr int kPaddingX = 7;
constexpr int kPaddingY = 6;
constexpr int kSeparatorWidth = 8;
constexpr int kDefaultButtonCount = 10;

bool IsButton(int button) { return button >= 1 && button <= kLastToolBarButton; }

TBBUTTON ItemFor(int button, UINT dpi) {
  TBBUTTON item{};
  if (IsButton(button)) {
    item.iBitmap = button;
    item.idCommand = ToolBarButtonCommand(button);
    item.fsState = TBSTATE_ENABLED;
    item.fsStyle = BTNS_BUTTON;
  } else {
    item.idCommand = ID_TOOL_FIRST - 1;
    item.fsStyle = BTNS_SEP;
    item.iBitmap = Scaled(kSeparatorWidth, dpi);  // a separator's width
  }
  return item;
}

}  // namespace

int ToolBarButtonCommand(int button) {
  if (button == kJobListButton) return ID_MENU_JOBS;
  if (button == kViewerButton) return ID_MENU_VIEW;
  // Separators carry 10000, which no command takes.
  return ID_TOOL_FIRST - 1 + (IsButton(button) ? button : 0);
}

std::string ToolBarButtonText(const LanguageTable& texts, int button) {
  if (button == kJobListButton) return MenuItemName(texts.Text(text::kMenuJobs));
  if (button == kViewerButton) return MenuItemName(texts.Text(text::kMenuViewFile));
  return texts.Text({18, IsButton(button) ? button + 8 : 8});
}

ToolBar::ToolBar(AppContext& context, const CommandTable& commands)
    : context_(context), commands_(commands) {}

ToolBar::~ToolBar() {
  // Owned by the main window, which may already be gone.
  if (toolTip_ != nullptr && IsWindow(toolTip_)) DestroyWindow(toolTip_);
}

std::string ToolBar::LayoutPath() const {
  return CompanionPath(context_.startDirectory, "\\ToolBar\\Standart.ini");
}

std::vector<int> ToolBar::ReadLayout(int defaultCount) const {
  SettingsStore layout(std::make_unique<FileProfileStorage>(LayoutPath()));
  return ReadToolBarButtons(layout, defaultCount);
}

ImageList ToolBar::PicturesAt(UINT dpi) const {
  return LoadLibraryIcons(CompanionPath(context_.startDirectory, "\\ToolBar\\ToolBar.dll"),
                          Scaled(kImageWidth, dpi), Scaled(kImageHeight, dpi));
}

// The control takes the new list before the old one goes; the buttons are
// sized to the pictures with the padding at the same scale.
void ToolBar::LoadPictures() {
  ImageList images = PicturesAt(dpi_);
  if (toolBar_ != nullptr) {
    const int width = Scaled(kImageWidth, dpi_), height = Scaled(kImageHeight, dpi_);
    SendMessageW(toolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.Get()));
    SendMessageW(toolBar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(width, height));
    SendMessageW(toolBar_, TB_SETPADDING, 0,
                 MAKELPARAM(Scaled(kPaddingX, dpi_), Scaled(kPaddingY, dpi_)));
    SendMessageW(toolBar_, TB_SETBUTTONSIZE, 0,
                 MAKELPARAM(width + Scaled(kPaddingX, dpi_), height + Scaled(kPaddingY, dpi_)));
  }
  images_ = std::move(images);
}

void ToolBar::Create(HWND parent, UINT dpi) {
  dpi_ = dpi != 0 ? dpi : WindowDpi(parent);
  toolBar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, kToolBarStyle, 0, 4, 200, 26, parent,
                             reinterpret_cast<HMENU>(IDC_TOOLBAR), GetModuleHandleW(nullptr),
                             nullptr);
  if (toolBar_ == nullptr) {
    images_ = PicturesAt(dpi_);
    return;
  }
  SendMessageW(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  LoadPictures();
  toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(toolBar_, TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(toolTip_), 0);
  Assign(ReadLayout(kDefaultButtonCount));
  SendMessageW(toolTip_, TTM_ACTIVATE, TRUE, 0);
}

void ToolBar::SetDpi(UINT dpi) {
  if (dpi == 0 || dpi == dpi_) return;
  dpi_ = dpi;
  if (toolBar_ == nullptr) return;
  LoadPictures();
  // The separators take their width at the new scale; the tooltips follow
  // the buttons to their new places.
  Assign(Buttons());
}

std::vector<int> ToolBar::Buttons() const {
  std::vector<int> buttons;
  int count = static_cast<int>(SendMessageW(toolBar_, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON item{};
    SendMessageW(toolBar_, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&item));
    buttons.push_back((item.fsStyle & BTNS_SEP) ? 0 : item.iBitmap);
  }
  return buttons;
}

void ToolBar::Assign(const std::vector<int>& buttons) {
  if (toolBar_ == nullptr) return;
  SendMessageW(toolBar_, WM_SETREDRAW, FALSE, 0);
  while (SendMessageW(toolBar_, TB_DELETEBUTTON, 0, 0)) {
  }
  std::vector<TBBUTTON> items;
  items.reserve(buttons.size());
  for (int button : buttons) items.push_back(ItemFor(button, dpi_));
  if (!items.empty()) {
    SendMessageW(toolBar_, TB_ADDBUTTONSW, items.size(), reinterpret_cast<LPARAM>(items.data()));
  }
  SendMessageW(toolBar_, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(toolBar_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  SyncToolTips();
  UpdateStates();
}

void ToolBar::Insert(int position, int button) {
  TBBUTTON item = ItemFor(button, dpi_);
  SendMessageW(toolBar_, TB_INSERTBUTTONW, position, reinterpret_cast<LPARAM>(&item));
  SyncToolTips();
  UpdateStates();
}

void ToolBar::Remove(int position) {
  SendMessageW(toolBar_, TB_DELETEBUTTON, position, 0);
  SyncToolTips();
}

void ToolBar::Move(int from, int to) {
  SendMessageW(toolBar_, TB_MOVEBUTTON, from, to);
  SyncToolTips();
}

bool ToolBar::SaveLayout() const {
  return FileProfileStorage(LayoutPath()).Save(ToolBarLayoutText(Buttons()));
}

void ToolBar::RestoreLayout() { Assign(ReadLayout(0)); }

// Every tool is registered again with its button's present rectangle: a
// button moved by a change elsewhere on the toolbar must not keep the tip of
// the place it left.
void ToolBar::SyncToolTips() const {
  if (toolTip_ == nullptr) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  while (SendMessageW(toolTip_, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool))) {
    SendMessageW(toolTip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    tool = TTTOOLINFOW{};
    tool.cbSize = sizeof(tool);
  }
  std::vector<int> buttons = Buttons();
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i] == 0) continue;
    std::wstring text = Widen(ToolBarButtonText(context_.Texts(), buttons[i]));
    TTTOOLINFOW add{};
    add.cbSize = sizeof(add);
    add.hwnd = toolBar_;
    add.uId = static_cast<UINT_PTR>(ToolBarButtonCommand(buttons[i]));
    SendMessageW(toolBar_, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&add.rect));
    add.lpszText = text.data();
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&add));
  }
}

// By position: the same button may stand on the toolbar twice, and the
// messages that take a command id reach only the first.
void ToolBar::UpdateStates() const {
  int count = static_cast<int>(SendMessageW(toolBar_, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON item{};
    SendMessageW(toolBar_, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&item));
    if (item.fsStyle & BTNS_SEP) continue;
    CommandTable::State state = commands_.StateOf(static_cast<uint32_t>(item.idCommand));
    BYTE wanted = static_cast<BYTE>((item.fsState & ~(TBSTATE_ENABLED | TBSTATE_CHECKED)) |
                                    (state.known && state.enabled ? TBSTATE_ENABLED : 0) |
                                    (state.checked ? TBSTATE_CHECKED : 0));
    if (wanted == item.fsState) continue;
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_BYINDEX | TBIF_STATE;
    info.fsState = wanted;
    SendMessageW(toolBar_, TB_SETBUTTONINFOW, i, reinterpret_cast<LPARAM>(&info));
  }
}

bool ToolBar::AddCommands(CommandTable& table) {
  return table.Add({ID_MENU_CUSTOMISE_TOOLBAR}, [this] {
    ToolBarDialog dialog(context_.Texts(), *this);
    dialog.DoModal(context_.owner);
  });
}

}  // namespace px
