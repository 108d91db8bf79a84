// The toolbar on the real window: the shipped layout, its tooltips and
// states, the customisation dialog driven by control id (OK surviving a
// restart, Cancel restoring the file's layout), corrupt layout files, and
// the job list's command from its button, menu item and key.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dpi.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Companions.h"
#include "core/language/TextFormat.h"
#include "framework/TextFiles.h"
#include "tests/win/Harness.h"
#include "ui/Commands.h"
#include "ui/IconLibrary.h"
#include "ui/ToolBar.h"
#include "ui/ToolBarDialog.h"

namespace px::test {
namespace {

const std::vector<int> kShipped = {1,  2,  3,  23, 0, 5,  6,  8, 7,  9,  0, 12,
                                   13, 14, 0,  15, 16, 18, 0, 19, 20, 0, 21, 27};

// Button v's English name: text 18.(v + 8), the job list's and the viewer's menu items bare.
std::string ButtonName(int v) {
  if (v == kViewerButton) return "View";
  return v == kJobListButton ? "Jobs" : EnglishTexts().TextAt(18, v == 0 ? 8 : v + 8);
}

// The button whose command id is `command`, 0 for none.
int ButtonOfCommand(UINT_PTR command) {
  for (int v = 1; v <= kLastToolBarButton; ++v)
    if (static_cast<UINT_PTR>(ToolBarButtonCommand(v)) == command) return v;
  return 0;
}

std::string ToolText(HWND tip, HWND owner, UINT_PTR id) {
  wchar_t buffer[256] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = owner;
  tool.uId = id;
  tool.lpszText = buffer;
  SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
  return Narrow(buffer);
}

// Every button: its picture and command; one tool per button over the
// button's present rectangle with its name; states as the commands say.
void ExpectToolBar(MainWindow& window, const std::vector<int>& buttons) {
  ToolBar& tools = window.Tools();
  HWND bar = tools.Handle();
  ASSERT_EQ(tools.Buttons(), buttons);
  ASSERT_EQ(reinterpret_cast<HWND>(SendMessageW(bar, TB_GETTOOLTIPS, 0, 0)), tools.ToolTip());
  int buttonCount = 0;
  for (size_t i = 0; i < buttons.size(); ++i) {
    TBBUTTON item{};
    SendMessageW(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&item));
    if (buttons[i] == 0) {
      EXPECT_TRUE(item.fsStyle & BTNS_SEP) << i;
      continue;
    }
    ++buttonCount;
    EXPECT_EQ(item.idCommand,
              buttons[i] == kJobListButton ? ID_MENU_JOBS
              : buttons[i] == kViewerButton ? ID_MENU_VIEW
                                            : ID_TOOL_FIRST - 1 + buttons[i])
        << i;
    EXPECT_EQ(item.iBitmap, buttons[i]) << i;
    CommandTable::State state = window.Commands().StateOf(item.idCommand);
    EXPECT_EQ((item.fsState & TBSTATE_ENABLED) != 0, state.known && state.enabled) << i;
  }
  HWND tip = tools.ToolTip();
  ASSERT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), buttonCount);
  for (int t = 0; t < buttonCount; ++t) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    ASSERT_TRUE(SendMessageW(tip, TTM_ENUMTOOLSW, t, reinterpret_cast<LPARAM>(&tool)));
    int v = ButtonOfCommand(tool.uId);
    ASSERT_GE(v, 1) << tool.uId;
    // Some button with this command sits exactly under the tool.
    bool found = false;
    for (size_t i = 0; i < buttons.size() && !found; ++i) {
      RECT rect{};
      SendMessageW(bar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect));
      found = buttons[i] == v && EqualRect(&rect, &tool.rect);
    }
    EXPECT_TRUE(found) << "tool of button " << v << " is not over it";
    EXPECT_EQ(ToolText(tip, bar, tool.uId), ButtonName(v));
  }
}

std::vector<std::string> CurrentRows(HWND dialog) {
  ListView list(GetDlgItem(dialog, IDC_TOOLBAR_CURRENT));
  std::vector<std::string> rows;
  for (int i = 0; i < list.ItemCount(); ++i) rows.push_back(list.ItemText(i, 0));
  return rows;
}

void Select(HWND dialog, int listId, int row) {
  ListView list(GetDlgItem(dialog, listId));
  list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (row >= 0) list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void Click(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int SelectedCurrent(HWND dialog) {
  return ListView(GetDlgItem(dialog, IDC_TOOLBAR_CURRENT)).NextItem(-1, LVNI_SELECTED);
}

TEST(ToolBarTest, ShippedLayoutWithItsPicturesAndTooltips) {
  RunningWindow run(nullptr, StageCompanions);
  HWND bar = run.Item(IDC_TOOLBAR);
  ASSERT_EQ(bar, run.Window().Tools().Handle());
  // The control adds bits of its own (transparent, top).
  EXPECT_EQ(GetWindowLongW(bar, GWL_STYLE) & 0x50000854, 0x50000854);
  ExpectToolBar(run.Window(), kShipped);
  HIMAGELIST images = run.Window().Tools().Images();
  ASSERT_EQ(ImageList_GetImageCount(images), kLibraryIconCount);
  int width = 0, height = 0;
  ImageList_GetIconSize(images, &width, &height);
  EXPECT_EQ(width, 18);
  EXPECT_EQ(height, 20);
  for (int v = 1; v <= kLastToolBarButton; ++v) EXPECT_FALSE(IsBlankImage(images, v)) << v;

  // A button sends its command through the window like a click would.
  std::string before = run.Window().Panels().Active().Path();
  SendMessageW(run.Handle(), WM_COMMAND, MAKEWPARAM(ID_TOOL_PARENT, BN_CLICKED),
               reinterpret_cast<LPARAM>(bar));
  EXPECT_LE(run.Window().Panels().Active().Path().size(), before.size());
}

SIZE IconSize(HIMAGELIST images) {
  int width = 0, height = 0;
  ImageList_GetIconSize(images, &width, &height);
  return {width, height};
}

// A new scale of the running window (as WM_DPICHANGED brings): the pictures
// and the buttons follow, the items and their tooltips stay, and all comes
// back. The customisation dialog shows the pictures at its own scale from a
// list of its own, which outlives the toolbar's change.
TEST(ToolBarTest, ANewScaleReloadsPicturesAndButtonSizes) {
  RunningWindow run(nullptr, StageCompanions);
  ToolBar& tools = run.Window().Tools();
  HWND bar = tools.Handle();
  ASSERT_EQ(tools.Dpi(), WindowDpi(run.Handle()));
  const LRESULT buttonAt96 = SendMessageW(bar, TB_GETBUTTONSIZE, 0, 0);

  ToolBarDialog dialog(run.Window().Texts(), tools);
  ASSERT_TRUE(dialog.Create(run.Handle()));
  HWND available = GetDlgItem(dialog.Handle(), IDC_TOOLBAR_AVAILABLE);
  auto dialogPictures = [&] {
    return reinterpret_cast<HIMAGELIST>(SendMessageW(available, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  };
  HIMAGELIST shown = dialogPictures();
  const SIZE atDialogScale = {Scaled(18, WindowDpi(dialog.Handle())),
                              Scaled(20, WindowDpi(dialog.Handle()))};
  EXPECT_EQ(IconSize(shown).cx, atDialogScale.cx);
  EXPECT_EQ(IconSize(shown).cy, atDialogScale.cy);
  EXPECT_NE(shown, tools.Images());

  const struct {
    UINT dpi;
    SIZE picture;
    SIZE button;
  } rows[] = {{192, {36, 40}, {50, 52}}, {144, {27, 30}, {38, 39}}, {96, {18, 20}, {25, 26}}};
  for (const auto& row : rows) {
    tools.SetDpi(row.dpi);
    EXPECT_EQ(tools.Dpi(), row.dpi);
    HIMAGELIST images = tools.Images();
    ASSERT_EQ(ImageList_GetImageCount(images), kLibraryIconCount);
    EXPECT_EQ(IconSize(images).cx, row.picture.cx) << row.dpi;
    EXPECT_EQ(IconSize(images).cy, row.picture.cy) << row.dpi;
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(bar, TB_GETIMAGELIST, 0, 0)), images);
    for (int v = 1; v <= kLastToolBarButton; ++v) EXPECT_FALSE(IsBlankImage(images, v)) << v;
    const LRESULT button = SendMessageW(bar, TB_GETBUTTONSIZE, 0, 0);
    EXPECT_EQ(LOWORD(button), row.button.cx) << row.dpi;
    EXPECT_EQ(HIWORD(button), row.button.cy) << row.dpi;
    RECT first{};
    SendMessageW(bar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    EXPECT_EQ(first.right - first.left, row.button.cx) << row.dpi;
    EXPECT_EQ(first.bottom - first.top, row.button.cy) << row.dpi;
    ExpectToolBar(run.Window(), kShipped);
    // The dialog's pictures are still there to draw.
    EXPECT_EQ(dialogPictures(), shown);
    EXPECT_FALSE(IsBlankImage(shown, 5)) << row.dpi;
  }
  EXPECT_EQ(SendMessageW(bar, TB_GETBUTTONSIZE, 0, 0), buttonAt96);
  Click(dialog.Handle(), IDCANCEL);
  dialog.Destroy();
}

TEST(ToolBarTest, CustomisationStepsThenOkSurvivesARestart) {
  std::string saved;
  {
    RunningWindow run(nullptr, StageCompanions);
    ToolBarDialog dialog(run.Window().Texts(), run.Window().Tools());
    ASSERT_TRUE(dialog.Create(run.Handle()));
    HWND d = dialog.Handle();
    EXPECT_EQ(px::Window(d).Text(), EnglishTexts().TextAt(18, 0));
    EXPECT_EQ(ListView(GetDlgItem(d, IDC_TOOLBAR_AVAILABLE)).ItemCount(), 31);
    EXPECT_EQ(ListView(GetDlgItem(d, IDC_TOOLBAR_AVAILABLE)).ItemText(29, 0), "Jobs");
    EXPECT_EQ(ListView(GetDlgItem(d, IDC_TOOLBAR_AVAILABLE)).ItemText(30, 0), "View");
    EXPECT_EQ(CurrentRows(d).size(), kShipped.size());
    EXPECT_EQ(CurrentRows(d)[3], EnglishTexts().TextAt(18, 23 + 8));

    std::vector<int> expected = kShipped;
    Select(d, IDC_TOOLBAR_AVAILABLE, 15);  // search, before row 2
    Select(d, IDC_TOOLBAR_CURRENT, 2);
    Click(d, IDC_TOOLBAR_ADD);
    expected.insert(expected.begin() + 2, 15);
    ExpectToolBar(run.Window(), expected);
    EXPECT_EQ(SelectedCurrent(d), 2);

    Select(d, IDC_TOOLBAR_AVAILABLE, 0);  // the separator, nothing chosen on the right: front
    Select(d, IDC_TOOLBAR_CURRENT, -1);
    Click(d, IDC_TOOLBAR_ADD);
    expected.insert(expected.begin(), 0);
    ExpectToolBar(run.Window(), expected);

    Click(d, IDC_TOOLBAR_UP);  // the first does not move up
    ExpectToolBar(run.Window(), expected);
    Click(d, IDC_TOOLBAR_DOWN);
    std::swap(expected[0], expected[1]);
    ExpectToolBar(run.Window(), expected);
    EXPECT_EQ(SelectedCurrent(d), 1);

    int last = static_cast<int>(expected.size()) - 1;
    Select(d, IDC_TOOLBAR_CURRENT, last);
    Click(d, IDC_TOOLBAR_DOWN);  // the last does not move down
    ExpectToolBar(run.Window(), expected);
    Click(d, IDC_TOOLBAR_REMOVE);  // the new last is selected
    expected.pop_back();
    ExpectToolBar(run.Window(), expected);
    EXPECT_EQ(SelectedCurrent(d), last - 1);
    Select(d, IDC_TOOLBAR_CURRENT, 3);
    Click(d, IDC_TOOLBAR_UP);
    std::swap(expected[2], expected[3]);
    ExpectToolBar(run.Window(), expected);
    Select(d, IDC_TOOLBAR_AVAILABLE, kJobListButton);  // the job list, before row 5
    Select(d, IDC_TOOLBAR_CURRENT, 5);
    Click(d, IDC_TOOLBAR_ADD);
    expected.insert(expected.begin() + 5, kJobListButton);
    ExpectToolBar(run.Window(), expected);
    std::vector<std::string> rows = CurrentRows(d);
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i], ButtonName(expected[i]));

    Click(d, IDOK);
    EXPECT_TRUE(dialog.IsEnded());
    dialog.Destroy();
    saved = ReadBytes(run.StartDirectory() + "ToolBar\\Standart.ini");
    EXPECT_NE(saved.find("ButtonCount=" + std::to_string(expected.size())), std::string::npos);
    run.Close();
  }
  RunningWindow again(nullptr, [&](TempFolder& start) {
    StageCompanions(start);
    start.Write("ToolBar\\Standart.ini", saved);
  });
  std::vector<int> expected = kShipped;
  expected.insert(expected.begin() + 2, 15);
  expected.insert(expected.begin() + 1, 0);
  expected.pop_back();
  std::swap(expected[2], expected[3]);
  expected.insert(expected.begin() + 5, kJobListButton);
  ExpectToolBar(again.Window(), expected);
}

// A layout file that cannot be written keeps the toolbar for this run and
// says so.
TEST(ToolBarTest, ALayoutThatCannotBeSavedIsReported) {
  RunningWindow run(nullptr, StageCompanions);
  const std::string layout = run.StartDirectory() + "ToolBar\\Standart.ini";
  ASSERT_TRUE(SetFileAttributesW(FileApiPath(layout).c_str(), FILE_ATTRIBUTE_READONLY));
  ToolBarDialog dialog(run.Window().Texts(), run.Window().Tools());
  ASSERT_TRUE(dialog.Create(run.Handle()));
  DialogResponder responder(IDOK);
  Click(dialog.Handle(), IDOK);
  Pump();
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(responder.SeenText(),
            FormatText(EnglishTexts().Text(text::kToolBarNotSaved), {run.Window().Tools().LayoutPath()}));
  EXPECT_TRUE(dialog.IsEnded());
  dialog.Destroy();
  SetFileAttributesW(FileApiPath(layout).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ToolBarTest, CancelRestoresTheFileWithItsTooltips) {
  RunningWindow run(nullptr, StageCompanions);
  // The layout file changes behind the window's back: Cancel reads it again.
  run.Start().Write("ToolBar\\Standart.ini", "[Buttons]\r\nButtonCount=3\r\nButton0=28\r\n"
                                             "Button1=0\r\nButton2=5\r\n");
  ToolBarDialog dialog(run.Window().Texts(), run.Window().Tools());
  ASSERT_TRUE(dialog.Create(run.Handle()));
  HWND d = dialog.Handle();
  Select(d, IDC_TOOLBAR_CURRENT, 0);
  Click(d, IDC_TOOLBAR_REMOVE);
  Click(d, IDC_TOOLBAR_REMOVE);
  Select(d, IDC_TOOLBAR_AVAILABLE, 7);
  Click(d, IDC_TOOLBAR_ADD);
  Click(d, IDCANCEL);
  dialog.Destroy();
  ExpectToolBar(run.Window(), {28, 0, 5});

  // Without a file, Cancel leaves an empty toolbar.
  DeleteFileW(Widen(run.StartDirectory() + "ToolBar\\Standart.ini").c_str());
  ToolBarDialog second(run.Window().Texts(), run.Window().Tools());
  ASSERT_TRUE(second.Create(run.Handle()));
  Click(second.Handle(), IDCANCEL);
  second.Destroy();
  ExpectToolBar(run.Window(), {});
}

TEST(ToolBarTest, CorruptLayoutsStartQuicklyWithinTheToolbarFamily) {
  struct Row {
    const char* file;
    std::vector<int> expected;  // empty: only the checks below
  } rows[] = {
      {nullptr, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // no file: ten separators
      {"[Buttons]\r\nButtonCount=5\r\nButton0=-3\r\nButton1=29\r\nButton2=28\r\nButton3=99999\r\n"
       "Button4=30\r\n",
       {0, 29, 28, 0, 30}},
      {"[Buttons]\r\nButtonCount=-7\r\nButton0=5\r\n", {}},
      {"[Buttons]\r\nButtonCount=2147483647\r\nButton0=5\r\nButton1=-2147483648\r\n", {}},
      {"[Buttons]\r\nButtonCount=99999999999999999999\r\nButton0=x\r\nButton1=6\r\n", {}},
      {"\x01\xff\xfe\x00[Buttons\r\n=\r\n\xc3", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Row& row : rows) {
    auto started = std::chrono::steady_clock::now();
    RunningWindow run(nullptr, [&](TempFolder& start) {
      StageCompanions(start);
      if (row.file == nullptr)
        DeleteFileW(Widen(start.Path() + "ToolBar\\Standart.ini").c_str());
      else
        start.Write("ToolBar\\Standart.ini", row.file);
    });
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_LT(seconds, 3.0) << (row.file ? row.file : "no file");
    std::vector<int> buttons = run.Window().Tools().Buttons();
    bool empty = row.file != nullptr && std::string(row.file).find("=-7") != std::string::npos;
    if (!row.expected.empty() || empty) {
      EXPECT_EQ(buttons, row.expected);
    }
    EXPECT_LE(buttons.size(), 200u);
    ExpectToolBar(run.Window(), buttons);
    HWND bar = run.Window().Tools().Handle();
    for (size_t i = 0; i < buttons.size(); ++i) {
      TBBUTTON item{};
      SendMessageW(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&item));
      if (!(item.fsStyle & BTNS_SEP) && item.idCommand != ID_MENU_JOBS && item.idCommand != ID_MENU_VIEW) {
        EXPECT_GE(item.idCommand, ID_TOOL_FIRST);
        EXPECT_LE(item.idCommand, ID_TOOL_LAST);
      }
    }
  }
}

TEST(ToolBarTest, DoubleClicksAddAndRemoveAndTheMenuCommandOpensTheDialog) {
  RunningWindow run(nullptr, StageCompanions);
  ToolBarDialog dialog(run.Window().Texts(), run.Window().Tools());
  ASSERT_TRUE(dialog.Create(run.Handle()));
  HWND d = dialog.Handle();
  auto doubleClick = [d](int listId) {
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = GetDlgItem(d, listId);
    click.hdr.idFrom = static_cast<UINT_PTR>(listId);
    click.hdr.code = NM_DBLCLK;
    SendMessageW(d, WM_NOTIFY, listId, reinterpret_cast<LPARAM>(&click));
  };
  Select(d, IDC_TOOLBAR_AVAILABLE, 28);
  Select(d, IDC_TOOLBAR_CURRENT, 0);
  doubleClick(IDC_TOOLBAR_AVAILABLE);
  std::vector<int> expected = kShipped;
  expected.insert(expected.begin(), 28);
  ExpectToolBar(run.Window(), expected);
  Select(d, IDC_TOOLBAR_CURRENT, 1);
  doubleClick(IDC_TOOLBAR_CURRENT);
  expected.erase(expected.begin() + 1);
  ExpectToolBar(run.Window(), expected);
  Click(d, IDCANCEL);
  dialog.Destroy();
  ExpectToolBar(run.Window(), kShipped);

  std::string caption;
  DialogResponder cancel({DialogResponder::Answer(IDCANCEL, [&](HWND shown) {
    caption = px::Window(shown).Text();
  })});
  SendMessageW(run.Handle(), WM_COMMAND, MAKEWPARAM(ID_MENU_CUSTOMISE_TOOLBAR, 0), 0);
  EXPECT_TRUE(cancel.Answered());
  EXPECT_EQ(caption, EnglishTexts().TextAt(18, 0));
}

TEST(ToolBarTest, TooltipsFollowTheLanguage) {
  RunningWindow run(nullptr, StageCompanions);
  run.Window().ChangeLanguage("German");
  HWND tip = run.Window().Tools().ToolTip();
  EXPECT_EQ(ToolText(tip, run.Window().Tools().Handle(), ID_TOOL_PARENT),
            run.Window().Texts().TextAt(18, 9));
  EXPECT_NE(run.Window().Texts().TextAt(18, 9), EnglishTexts().TextAt(18, 9));
  run.Window().Tools().Assign({kJobListButton});
  EXPECT_EQ(ToolText(tip, run.Window().Tools().Handle(), ID_MENU_JOBS), "Auftr\xC3\xA4ge");
}

// One command behind the button, the menu item and the key: each id runs the
// window's action, shown disabled while the window has none; no id of the
// table is given twice, and no key of the accelerators either.
TEST(ToolBarTest, TheJobListButtonMenuItemAndKeyRunOneCommand) {
  RunningWindow run(nullptr, StageCompanions);
  MainWindow& window = run.Window();
  AppContext context = window.Context();
  int shown = 0;
  WindowActions actions;
  actions.showJobList = [&shown] { ++shown; };
  CommandTable table;
  EXPECT_TRUE(FillCommandTable(table, context, window.Panels(), window.CommandLine(), actions));
  EXPECT_EQ(ToolBarButtonCommand(kJobListButton), ID_MENU_JOBS);
  for (int id : {ID_MENU_JOBS, ID_KEY_JOBS, ToolBarButtonCommand(kJobListButton)}) {
    EXPECT_TRUE(table.StateOf(static_cast<uint32_t>(id)).enabled) << id;
    EXPECT_TRUE(table.Execute(static_cast<uint32_t>(id))) << id;
  }
  EXPECT_EQ(shown, 3);

  CommandTable without;
  EXPECT_TRUE(FillCommandTable(without, context, window.Panels(), window.CommandLine(), {}));
  EXPECT_TRUE(without.StateOf(ID_MENU_JOBS).known);
  EXPECT_FALSE(without.StateOf(ID_MENU_JOBS).enabled);
  EXPECT_FALSE(without.Execute(ID_KEY_JOBS));

  for (uint32_t taken : {ID_MENU_JOBS, ID_KEY_JOBS}) {
    CommandTable twice;
    ASSERT_TRUE(twice.Add({taken}, [] {}));
    EXPECT_FALSE(FillCommandTable(twice, context, window.Panels(), window.CommandLine(), actions))
        << taken;
  }

  // Ctrl+J, and no key given two commands.
  HACCEL accelerators = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
  ASSERT_NE(accelerators, nullptr);
  std::vector<ACCEL> keys(static_cast<size_t>(CopyAcceleratorTableW(accelerators, nullptr, 0)));
  CopyAcceleratorTableW(accelerators, keys.data(), static_cast<int>(keys.size()));
  DestroyAcceleratorTable(accelerators);
  int jobKeys = 0;
  for (size_t i = 0; i < keys.size(); ++i) {
    BYTE modifiers = keys[i].fVirt & (FVIRTKEY | FCONTROL | FALT | FSHIFT);
    if (keys[i].cmd == ID_KEY_JOBS) {
      ++jobKeys;
      EXPECT_EQ(keys[i].key, 'J');
      EXPECT_EQ(modifiers, FVIRTKEY | FCONTROL);
    }
    for (size_t k = i + 1; k < keys.size(); ++k)
      EXPECT_FALSE(keys[k].key == keys[i].key &&
                   (keys[k].fVirt & (FVIRTKEY | FCONTROL | FALT | FSHIFT)) == modifiers)
          << keys[i].cmd << " and " << keys[k].cmd;
  }
  EXPECT_EQ(jobKeys, 1);
}

}  // namespace
}  // namespace px::test
