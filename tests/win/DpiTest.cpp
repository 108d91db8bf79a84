// The window at other scales: a running window that moves to a monitor of
// another scale follows it, and back.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "core/layout/Layout.h"
#include "framework/Controls.h"
#include "framework/Dpi.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED

int FontHeight(HWND control) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW logFont{};
  if (font == nullptr || GetObjectW(font, sizeof(logFont), &logFont) == 0) return 0;
  return std::abs(static_cast<int>(logFont.lfHeight));
}

int ImageSize(HIMAGELIST images) {
  int width = 0, height = 0;
  return images != nullptr && ImageList_GetIconSize(images, &width, &height) ? width : 0;
}

// What the scale shows in: sizes of fonts, pictures, columns and rows.
struct Look {
  int listFont, treeFont, commandFont;
  int listIcons, treeIcons, driveIcons;
  int nameColumn, sizeColumn;
  int pathHeight, keyHeight, toolBarTop;
  int toolBarPictureWidth, toolBarPictureHeight, menuPicture;
};

Look LookOf(RunningWindow& run) {
  HWND list = run.Item(IDC_LEFT_LIST);
  HWND tree = run.Item(IDC_LEFT_TREE);
  const RECT path = run.ControlRect(IDC_LEFT_PATH);
  const RECT key = run.ControlRect(IDC_COPY);
  const RECT below = run.ControlRect(IDC_LINE_TOOLBAR);
  return {FontHeight(list),
          FontHeight(tree),
          FontHeight(run.Item(IDC_COMMAND_LINE)),
          ImageSize(reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0))),
          ImageSize(reinterpret_cast<HIMAGELIST>(SendMessageW(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0))),
          ImageSize(reinterpret_cast<HIMAGELIST>(SendMessageW(run.Item(IDC_LEFT_DRIVE), CBEM_GETIMAGELIST, 0, 0))),
          static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0)),
          static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0)),
          static_cast<int>(path.bottom - path.top),
          static_cast<int>(key.bottom - key.top),
          static_cast<int>(below.top),
          0, 0, 0};
}

void AddPictureSizes(RunningWindow& run, Look& look) {
  ImageList_GetIconSize(run.Window().Tools().Images(), &look.toolBarPictureWidth,
                        &look.toolBarPictureHeight);
  int height = 0;
  ImageList_GetIconSize(run.Window().Menus().Images(), &look.menuPicture, &height);
}

// Both panels on a folder holding a folder and a file.
class DpiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.Make("Folder");
    data_.Write("file.txt", "x");
    settings_ = PanelSettings(data_.Path(), data_.Path());
  }

  TempFolder data_;
  std::string settings_;
};

void SendDpiChange(HWND window, UINT dpi, const RECT& suggested) {
  SendMessageW(window, kDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// The platform says the window is now on a monitor at 200 %, with a
// rectangle twice the size: fonts, pictures, columns and the layout's fixed
// sizes double, the window takes the rectangle; back at 100 % everything is
// as it was.
TEST_F(DpiTest, RunningWindowFollowsAChangeOfScaleAndBack) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  const UINT start = window.Dpi();
  ASSERT_EQ(start, WindowDpi(run.Handle()));
  const UINT doubled = start * 2;

  run.SetClientSize(520, 360);
  Look before = LookOf(run);
  AddPictureSizes(run, before);
  ASSERT_GT(before.listFont, 0);
  RECT frame;
  GetWindowRect(run.Handle(), &frame);
  const RECT larger{frame.left, frame.top, frame.left + 2 * (frame.right - frame.left),
                    frame.top + 2 * (frame.bottom - frame.top)};
  SendDpiChange(run.Handle(), doubled, larger);
  Pump(&window);

  EXPECT_EQ(window.Dpi(), doubled);
  RECT now;
  GetWindowRect(run.Handle(), &now);
  EXPECT_EQ(now.right - now.left, larger.right - larger.left);
  EXPECT_EQ(now.bottom - now.top, larger.bottom - larger.top);
  Look after = LookOf(run);
  AddPictureSizes(run, after);
  const struct {
    const char* what;
    int before, after;
  } kDoubled[] = {
      {"list font", before.listFont, after.listFont},
      {"tree font", before.treeFont, after.treeFont},
      {"command line font", before.commandFont, after.commandFont},
      {"name column", before.nameColumn, after.nameColumn},
      {"size column", before.sizeColumn, after.sizeColumn},
      {"path line", before.pathHeight, after.pathHeight},
      {"function key", before.keyHeight, after.keyHeight},
      {"line below the toolbar", before.toolBarTop, after.toolBarTop},
      {"toolbar picture width", before.toolBarPictureWidth, after.toolBarPictureWidth},
      {"toolbar picture height", before.toolBarPictureHeight, after.toolBarPictureHeight},
      {"menu picture", before.menuPicture, after.menuPicture},
  };
  for (const auto& row : kDoubled) {
    EXPECT_GT(row.before, 0) << row.what;
    EXPECT_NEAR(row.after, 2 * row.before, 2) << row.what;
  }
  // Pictures come at the system's size for that scale, never scaled down.
  const int icon = SystemMetricAt(SM_CXSMICON, doubled);
  EXPECT_EQ(after.listIcons, icon);
  EXPECT_EQ(after.treeIcons, icon);
  EXPECT_EQ(after.driveIcons, icon);

  // Back: everything as it was.
  SendDpiChange(run.Handle(), start, frame);
  Pump(&window);
  Look back = LookOf(run);
  AddPictureSizes(run, back);
  EXPECT_EQ(back.toolBarPictureWidth, before.toolBarPictureWidth);
  EXPECT_EQ(back.menuPicture, before.menuPicture);
  EXPECT_EQ(back.listFont, before.listFont);
  EXPECT_EQ(back.treeFont, before.treeFont);
  EXPECT_EQ(back.listIcons, before.listIcons);
  EXPECT_EQ(back.driveIcons, before.driveIcons);
  EXPECT_NEAR(back.nameColumn, before.nameColumn, 1);
  EXPECT_EQ(back.pathHeight, before.pathHeight);
  EXPECT_EQ(back.toolBarTop, before.toolBarTop);
  // The widths are stored at 100 % whatever the scale was.
  run.Close();
  EXPECT_NE(run.SettingsFileText().find("TabName=" + std::to_string(MulDiv(before.nameColumn, 96, start))),
            std::string::npos);
}

// Controls whose text does not fit them, drawn with their own font: static
// texts (wrapped unless they may not wrap; those that end in an ellipsis cut
// on purpose), buttons, check boxes, option buttons and group titles.
class TextFitCheck {
 public:
  explicit TextFitCheck(UINT dpi) : dpi_(dpi) {}

  void CheckTree(HWND window, const std::string& where) {
    Check(window, where);
    struct Walk {
      TextFitCheck* check;
      const std::string* where;
    } walk{this, &where};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
          Walk& w = *reinterpret_cast<Walk*>(data);
          w.check->Check(child, *w.where);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
  }

  int Checked() const { return checked_; }
  const std::vector<std::string>& Cut() const { return cut_; }

 private:
  void Check(HWND control, const std::string& where) {
    wchar_t className[64] = {};
    GetClassNameW(control, className, 64);
    const std::wstring kind = className;
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (_wcsicmp(className, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
      CheckIcon(control, where);
      return;
    }
    const std::wstring text = Widen(px::Window(control).Text());
    if (text.empty()) return;
    RECT client;
    GetClientRect(control, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    UINT flags = DT_CALCRECT;
    int roomWidth = client.right, roomHeight = client.bottom;
    bool wraps = false;
    if (_wcsicmp(className, L"Static") == 0) {
      const LONG type = style & SS_TYPEMASK;
      if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP &&
          type != SS_SIMPLE)
        return;
      if ((style & SS_ELLIPSISMASK) != 0) return;
      if (style & SS_NOPREFIX) flags |= DT_NOPREFIX;
      wraps = type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE;
    } else if (_wcsicmp(className, L"Button") == 0) {
      const LONG type = style & BS_TYPEMASK;
      wraps = (style & BS_MULTILINE) != 0;
      if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        roomWidth -= Scaled(6, dpi_);
        roomHeight -= Scaled(2, dpi_);
      } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                 type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE) {
        // The box and the gap after it.
        roomWidth -= Scaled(13 + 4, dpi_);
      } else if (type == BS_GROUPBOX) {
        roomWidth -= Scaled(10, dpi_);
        wraps = false;
        roomHeight = client.bottom;
      } else {
        return;
      }
    } else {
      return;
    }
    HDC dc = GetDC(control);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    RECT needed{0, 0, wraps ? roomWidth : 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
              flags | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    ++checked_;
    // A group's title sits on its frame: only its width counts. A single
    // line needs its height but may lose its descent's last pixel.
    const bool tooWide = needed.right > roomWidth;
    const bool tooHigh = (style & BS_TYPEMASK) != BS_GROUPBOX || _wcsicmp(className, L"Button") != 0
                             ? needed.bottom - metrics.tmDescent / 2 > roomHeight
                             : false;
    if (tooWide || tooHigh) {
      char line[512];
      std::snprintf(line, sizeof(line), "%s: \"%s\" needs %ldx%ld, has %dx%d", where.c_str(),
                    Narrow(text).c_str(), needed.right, needed.bottom, roomWidth, roomHeight);
      cut_.push_back(line);
    }
  }

  // A picture in a dialog is at least a large icon of the scale.
  void CheckIcon(HWND control, const std::string& where) {
    HICON icon = reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0));
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return;
    BITMAP bitmap{};
    GetObjectW(info.hbmMask, sizeof(bitmap), &bitmap);
    const int width = bitmap.bmWidth;
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    ++checked_;
    if (width < Scaled(32, dpi_))
      cut_.push_back(where + ": a picture " + std::to_string(width) + " pixels wide");
  }

  UINT dpi_;
  int checked_ = 0;
  std::vector<std::string> cut_;
};

// The dialogs a command opens from a window with a file at the cursor, and
// a control each one holds.
struct OpenedBy {
  const char* name;
  UINT command;
  int marker;
  int close = IDCANCEL;  // the button that closes it
};
constexpr OpenedBy kDialogs[] = {
    {"new folder", ID_MENU_MAKE_DIRECTORY, IDC_NEW_FOLDER_EDIT},
    {"copy", ID_MENU_COPY, IDC_TARGET_EDIT},
    {"move", ID_MENU_MOVE, IDC_TARGET_EDIT},
    {"attributes", ID_MENU_ATTRIBUTES, IDC_ATTR_GROUP},
    {"drive properties", ID_MENU_DRIVE_PROPERTIES, IDC_DRIVE_BAR, IDOK},
    {"volume label", ID_MENU_VOLUME_LABEL, 0},
    {"command history", ID_MENU_COMMAND_HISTORY, 0},
    {"folder history", ID_MENU_FOLDER_HISTORY, 0},
    {"go to folder", ID_MENU_GO_TO_FOLDER, 0},
    {"select by mask", ID_MENU_SELECT_MASK, 0},
    {"settings", ID_MENU_SETTINGS, 0},
    {"customise toolbar", ID_MENU_CUSTOMISE_TOOLBAR, 0},
    {"favourites", ID_MENU_ORGANISE_FAVOURITES, 0},
    {"add favourite", ID_MENU_ADD_FAVOURITE, 0},
    {"search", ID_MENU_SEARCH, 0},
    {"compare", ID_MENU_COMPARE, IDC_COMPARE_BY_SIZE},
    {"keyboard reference", ID_MENU_HELP, IDC_HELP_TEXT, IDOK},
    {"about", ID_MENU_ABOUT, 0, IDOK},
};

// Opens every dialog of the table and the main window in English and German
// at the scale this process runs at, and finds no text cut and no picture
// smaller than the scale's. (Run once as it is, and by the next test again
// in processes at 150 % and 200 %.)
TEST_F(DpiTest, NoTextCutAndNoPictureSmallAtThisScale) {
  RunningWindow run(settings_.c_str());
  MainWindow& window = run.Window();
  const UINT dpi = window.Dpi();
  TextFitCheck check(dpi);
  int dialogs = 0, pictures = 0;
  std::vector<std::string> small;
  const auto picture = [&](const char* what, HIMAGELIST images, int width, int height) {
    int w = 0, h = 0;
    ++pictures;
    if (images == nullptr || !ImageList_GetIconSize(images, &w, &h) || w < width || h < height)
      small.push_back(std::string(what) + " at " + std::to_string(w) + "x" + std::to_string(h));
  };
  for (const char* language : {"English", "German"}) {
    window.ChangeLanguage(language);
    Pump(&window);
    check.CheckTree(run.Handle(), std::string(language) + " main window");
    const int icon = SystemMetricAt(SM_CXSMICON, dpi);
    picture("file icons", reinterpret_cast<HIMAGELIST>(SendMessageW(run.Item(IDC_LEFT_LIST), LVM_GETIMAGELIST, LVSIL_SMALL, 0)), icon, icon);
    picture("tree icons", reinterpret_cast<HIMAGELIST>(SendMessageW(run.Item(IDC_LEFT_TREE), TVM_GETIMAGELIST, TVSIL_NORMAL, 0)), icon, icon);
    picture("drive icons", reinterpret_cast<HIMAGELIST>(SendMessageW(run.Item(IDC_LEFT_DRIVE), CBEM_GETIMAGELIST, 0, 0)), icon, icon);
    picture("toolbar", window.Tools().Images(), Scaled(18, dpi), Scaled(20, dpi));
    picture("menus", window.Menus().Images(), Scaled(16, dpi), Scaled(16, dpi));
    for (const OpenedBy& opened : kDialogs) {
      // The cursor on the file: the copy, move and attributes dialogs ask about it.
      window.Panels().Panel(Side::kLeft).SetCursor(2);
      bool seen = false;
      const std::string where = std::string(language) + " " + opened.name;
      DialogResponder responder({DialogResponder::Answer(
          opened.close,
          [&](HWND dialog) {
            seen = true;
            check.CheckTree(dialog, where);
          },
          [&](HWND dialog) { return opened.marker == 0 || GetDlgItem(dialog, opened.marker) != nullptr; })});
      window.ExecuteCommand(opened.command);
      PumpUntil(window, [&] { return responder.Answered(); }, 10000);
      EXPECT_TRUE(seen) << where;
      dialogs += seen ? 1 : 0;
    }
  }
  std::printf("at %u dpi: %d dialogs and the main window, %d texts, %d pictures checked\n", dpi,
              dialogs, check.Checked(), pictures);
  EXPECT_GT(check.Checked(), 100);
  for (const std::string& line : check.Cut()) ADD_FAILURE() << "cut at " << dpi << " dpi: " << line;
  for (const std::string& line : small) ADD_FAILURE() << "small at " << dpi << " dpi: " << line;
}

// The check itself finds what is cut: a text too long for its static, a
// check box too narrow, a button too low; and passes what fits.
TEST_F(DpiTest, TextFitCheckFindsCutTexts) {
  HWND owner = MakeOwnerWindow(ICC_STANDARD_CLASSES);
  ASSERT_NE(owner, nullptr);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const auto make = [&](const wchar_t* kind, DWORD style, const wchar_t* text, int width, int height) {
    HWND control = CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, 0, 0, width, height, owner,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  };
  make(L"STATIC", SS_LEFT, L"A text far too long for so narrow a static", 60, 14);
  make(L"BUTTON", BS_AUTOCHECKBOX, L"A check box with a long name", 60, 14);
  make(L"BUTTON", BS_PUSHBUTTON, L"OK", 60, 4);
  make(L"STATIC", SS_LEFT, L"Fits", 200, 20);
  make(L"STATIC", SS_LEFT | SS_ENDELLIPSIS, L"Cut on purpose with an ellipsis at its end", 30, 14);
  make(L"BUTTON", BS_AUTOCHECKBOX, L"Fits too", 200, 20);
  TextFitCheck check(WindowDpi(owner));
  check.CheckTree(owner, "sample");
  EXPECT_GE(check.Checked(), 5);
  EXPECT_EQ(check.Cut().size(), 3u);
  CloseOwnerWindow(owner);
}

// The scale new processes start at (Wine reads it from the registry when a
// process starts); the value it had is put back at the end.
class ScaleOfNewProcesses {
 public:
  ScaleOfNewProcesses() {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &desktop_, nullptr) != ERROR_SUCCESS) {
      desktop_ = nullptr;
      return;
    }
    DWORD size = sizeof(previous_), type = 0;
    had_ = RegQueryValueExW(desktop_, L"LogPixels", nullptr, &type,
                            reinterpret_cast<BYTE*>(&previous_), &size) == ERROR_SUCCESS &&
           type == REG_DWORD;
  }
  ~ScaleOfNewProcesses() {
    if (desktop_ == nullptr) return;
    if (had_)
      Set(previous_);
    else
      RegDeleteValueW(desktop_, L"LogPixels");
    RegCloseKey(desktop_);
  }
  bool Set(DWORD dpi) {
    return desktop_ != nullptr &&
           RegSetValueExW(desktop_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                          sizeof(dpi)) == ERROR_SUCCESS;
  }

 private:
  HKEY desktop_ = nullptr;
  DWORD previous_ = 0;
  bool had_ = false;
};

// Runs this program again with a test filter, its output going to a file;
// the exit code (1 when it could not start, 2 when it hung) and the output.
std::pair<DWORD, std::string> RunChild(const std::wstring& filter) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  TempFolder folder;
  const std::string outputPath = folder.Path() + "child.txt";
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE output = CreateFileW(Widen(outputPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, 0, nullptr);
  if (output == INVALID_HANDLE_VALUE) return {1, "no file for the output"};
  std::wstring command = std::wstring(L"\"") + self + L"\" --gtest_brief=1 --gtest_filter=" + filter;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  DWORD code = 1;
  if (CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                     &process)) {
    if (WaitForSingleObject(process.hProcess, 240000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 2);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(output);
  return {code, ReadBytes(outputPath)};
}

// The same checks in processes started at 150 % and at 200 %: each must
// pass. Their output is shown indented, so that it is not taken for this
// run's own summary.
TEST_F(DpiTest, NoTextCutAndNoPictureSmallAt150And200Percent) {
  if (GetEnvironmentVariableW(L"PX_DPI_CHILD", nullptr, 0) != 0) GTEST_SKIP() << "a child run";
  ScaleOfNewProcesses scale;
  SetEnvironmentVariableW(L"PX_DPI_CHILD", L"1");
  for (DWORD dpi : {144u, 192u}) {
    ASSERT_TRUE(scale.Set(dpi));
    const auto [code, output] = RunChild(
        L"DpiTest.NoTextCutAndNoPictureSmallAtThisScale:DpiTest.RunningWindowFollowsAChangeOfScaleAndBack");
    std::string shown;
    size_t start = 0;
    while (start < output.size()) {
      size_t end = output.find('\n', start);
      if (end == std::string::npos) end = output.size();
      std::string line = output.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.rfind("wine:", 0) != 0 && !line.empty()) shown += "  | " + line + "\n";
      start = end + 1;
    }
    std::printf("%s", shown.c_str());
    EXPECT_EQ(code, 0u) << "the checks at " << dpi << " dpi failed:\n" << shown;
    EXPECT_NE(output.find("at " + std::to_string(dpi) + " dpi:"), std::string::npos) << shown;
  }
  SetEnvironmentVariableW(L"PX_DPI_CHILD", nullptr);
}

}  // namespace
}  // namespace px::test
