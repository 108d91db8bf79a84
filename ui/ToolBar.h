// The toolbar above the panels: buttons 1..29 laid out by
// ToolBar\Standart.ini, pictures from ToolBar\ToolBar.dll (18 x 20 at 100 %,
// scaled with the window), a tooltip per button, and the customisation
// dialog that rearranges it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "core/commands/CommandTable.h"
#include "framework/AppContext.h"
#include "framework/Dpi.h"
#include "framework/Handles.h"

namespace px {

// Buttons 1..28 send 10001..10028; 29 sends the job list's menu command,
// 30 the viewer's.
constexpr int kLastToolBarButton = 30;
constexpr int kJobListButton = 29;
constexpr int kViewerButton = 30;

class ToolBar {
 public:
  ToolBar(AppContext& context, const CommandTable& commands);
  ~ToolBar();
  ToolBar(const ToolBar&) = delete;
  ToolBar& operator=(const ToolBar&) = delete;

  // Creates the control (id 1260) on parent with its pictures at the
  // parent's scale (or at dpi when given), the layout of Standart.ini (ten
  // separators without the file) and the tooltips.
  void Create(HWND parent, UINT dpi = 0);
  // The pictures and the buttons' size again at a new scale of the window
  // (WM_DPICHANGED); the items and their tooltips stay.
  void SetDpi(UINT dpi);
  UINT Dpi() const { return dpi_; }
  // The pictures in a list of their own at dpi, for a window at another scale.
  ImageList PicturesAt(UINT dpi) const;
  // Command 32794: the customisation dialog.
  // False when one of its ids had a command already.
  [[nodiscard]] bool AddCommands(CommandTable& table);

  HWND Handle() const { return toolBar_; }
  HWND ToolTip() const { return toolTip_; }
  HIMAGELIST Images() const { return images_.Get(); }
  std::string LayoutPath() const;

  // The items in order: the button number v, 0 for a separator.
  std::vector<int> Buttons() const;
  // Each change keeps the tooltips on their buttons. A number outside
  // 1..29 inserts a separator: no button sends a command not its own.
  void Insert(int position, int button);
  void Remove(int position);
  void Move(int from, int to);
  void Assign(const std::vector<int>& buttons);

  // Writes the items as the whole of Standart.ini; false when it failed.
  [[nodiscard]] bool SaveLayout() const;
  // The items as Standart.ini holds them (no file: an empty toolbar).
  void RestoreLayout();

  // Enables and checks the buttons as the command table says; a command
  // the table does not know is shown disabled.
  void UpdateStates() const;
  // New tooltip texts after the language changed.
  void ApplyLanguage() { SyncToolTips(); }
  // After the colours changed; the toolbar then asks for them as it paints
  // (NM_CUSTOMDRAW, handed on by its window).
  void ApplyColours() const;
  LRESULT CustomDraw(const NMTBCUSTOMDRAW& draw) const;

 private:
  void SyncToolTips() const;
  std::vector<int> ReadLayout(int defaultCount) const;
  void LoadPictures();

  AppContext& context_;
  const CommandTable& commands_;
  ImageList images_;
  UINT dpi_ = kBaseDpi;
  HWND toolBar_ = nullptr;
  HWND toolTip_ = nullptr;
};

// The command button v sends: 10000 + v for 1..28, the job list's menu
// command for 29; 10000, a separator's, for any other number.
int ToolBarButtonCommand(int button);
// The name of button v, its tooltip: text 18.(v + 8) for 1..28, the job
// list's menu item without its access key mark and dots for 29, text 18.8
// (the separator) for any other number.
std::string ToolBarButtonText(const LanguageTable& texts, int button);

}  // namespace px
