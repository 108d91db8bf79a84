// The settings dialog on the real main window, answered by control id: what
// Cancel keeps, what OK puts into effect at once, and the language page.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/settings/ProfileDocument.h"
#include "framework/Controls.h"
#include "framework/Handles.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

using Answer = DialogResponder::Answer;

auto Fields(const Options& o) {
  return std::tie(o.divider, o.showToolBar, o.showDrive, o.showCurDir, o.showComLine,
                  o.showFuncKey, o.fullRowSelect, o.selectionAlways, o.showHiddenSystem,
                  o.savePanels, o.saveSettings, o.savePosition, o.fastRename, o.selectFolders,
                  o.showAllIcons, o.recycle, o.queueSameDrive, o.verify, o.editor, o.language);
}

// Controls of a page are found through the page, whose id is its template's.
HWND PageItem(HWND dialog, int page, int id) { return GetDlgItem(GetDlgItem(dialog, page), id); }

void Click(HWND dialog, int page, int id) {
  SendMessageW(PageItem(dialog, page, id), BM_CLICK, 0, 0);
}

// Selects a language by name; an empty name clears the selection.
void ChooseLanguage(HWND dialog, const std::string& name) {
  HWND list = PageItem(dialog, IDD_SETTINGS_LANGUAGE, IDC_SETTINGS_LANGUAGES);
  if (name.empty()) {
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    return;
  }
  LRESULT index = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(Widen(name).c_str()));
  ASSERT_NE(index, LB_ERR) << name;
  SendMessageW(list, LB_SETCURSEL, index, 0);
}

std::string SelectedLanguage(HWND dialog) {
  HWND list = PageItem(dialog, IDD_SETTINGS_LANGUAGE, IDC_SETTINGS_LANGUAGES);
  LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return "";
  wchar_t text[256] = {};
  SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
  return Narrow(text);
}

void StageLanguages(TempFolder& start) {
  start.Write("Language\\German.lng", ReadBytes(SourcePath("Language/German.lng")));
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  // Opens the dialog through its command and lets the responder answer it.
  static void EditSettings(RunningWindow& run, Answer answer) {
    DialogResponder responder({std::move(answer)});
    EXPECT_TRUE(run.Window().ExecuteCommand(ID_MENU_SETTINGS));
    EXPECT_TRUE(responder.Answered());
    Pump(&run.Window());
  }
};

TEST_F(SettingsDialogTest, CancelChangesNothing) {
  RunningWindow run(nullptr, StageLanguages);
  run.SetClientSize(800, 600);
  const Options before = run.Window().GetOptions();
  const RECT list = run.ControlRect(IDC_LEFT_LIST);
  const LanguageTable& texts = EnglishTexts();

  EditSettings(run, Answer(IDCANCEL, [&](HWND dialog) {
    // The dialog shows the options and the texts of the language.
    EXPECT_EQ(px::Window(dialog).Text(), texts.Text(text::kSettingsCaption));
    EXPECT_EQ(px::Window(PageItem(dialog, IDD_SETTINGS_VIEW, IDC_OPTION_SHOW_COM_LINE)).Text(),
              texts.Text(text::kSettingsShowComLine));
    EXPECT_EQ(IsDlgButtonChecked(GetDlgItem(dialog, IDD_SETTINGS_VIEW), IDC_OPTION_SHOW_COM_LINE),
              BST_CHECKED);
    EXPECT_EQ(px::Window(PageItem(dialog, IDD_SETTINGS_BEHAVIOUR, IDC_SETTINGS_EDITOR)).Text(),
              "notepad.exe");
    EXPECT_EQ(px::Window(PageItem(dialog, IDD_SETTINGS_BEHAVIOUR, IDC_SETTINGS_VERIFY)).Text(),
              texts.Text(text::kOptionVerify));
    EXPECT_EQ(px::Window(PageItem(dialog, IDD_SETTINGS_BEHAVIOUR, IDC_SETTINGS_QUEUE_SAME_DRIVE))
                  .Text(),
              texts.Text(text::kOptionQueueSameDrive));
    EXPECT_EQ(IsDlgButtonChecked(GetDlgItem(dialog, IDD_SETTINGS_BEHAVIOUR),
                                 IDC_SETTINGS_QUEUE_SAME_DRIVE),
              BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(GetDlgItem(dialog, IDD_SETTINGS_BEHAVIOUR), IDC_SETTINGS_VERIFY),
              BST_UNCHECKED);
    EXPECT_EQ(SelectedLanguage(dialog), "English");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDD_SETTINGS_VIEW)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDD_SETTINGS_BEHAVIOUR)));
    // A tab change shows only its page.
    SendMessageW(GetDlgItem(dialog, IDC_SETTINGS_TABS), TCM_SETCURFOCUS, 2, 0);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDD_SETTINGS_LANGUAGE)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDD_SETTINGS_VIEW)));

    for (int id : {IDC_OPTION_SHOW_TOOLBAR, IDC_OPTION_SHOW_COM_LINE, IDC_OPTION_FULL_ROW_SELECT,
                   IDC_OPTION_SHOW_HIDDEN_SYSTEM})
      Click(dialog, IDD_SETTINGS_VIEW, id);
    for (int id : {IDC_OPTION_SAVE_SETTINGS, IDC_OPTION_RECYCLE, IDC_OPTION_FAST_RENAME,
                   IDC_SETTINGS_QUEUE_SAME_DRIVE, IDC_SETTINGS_VERIFY})
      Click(dialog, IDD_SETTINGS_BEHAVIOUR, id);
    px::Window(PageItem(dialog, IDD_SETTINGS_BEHAVIOUR, IDC_SETTINGS_EDITOR)).SetText("vi.exe");
    ChooseLanguage(dialog, "German");
  }));

  EXPECT_TRUE(Fields(run.Window().GetOptions()) == Fields(before));
  for (int id : {IDC_COMMAND_LINE, IDC_COMMAND_PROMPT, IDC_LINE_COMMAND, IDC_TOOLBAR})
    EXPECT_TRUE(IsWindowVisible(run.Item(id))) << id;
  EXPECT_EQ(run.ControlRect(IDC_LEFT_LIST).bottom, list.bottom);
  EXPECT_EQ(px::Window(run.Item(IDC_COPY)).Text(), texts.Text(text::kCopyButton));
  EXPECT_EQ(ListView(run.Item(IDC_LEFT_LIST)).Send(LVM_GETEXTENDEDLISTVIEWSTYLE),
            LVS_EX_FULLROWSELECT);
}

TEST_F(SettingsDialogTest, OkHidingTheCommandLineHidesItAtOnceAndSavesIt) {
  // A value other than 0 or 1 that nobody touched stays as it is.
  RunningWindow run("[Options]\r\nSelectFolders=7\r\nQueueSameDrive=0\r\n");
  run.SetClientSize(800, 600);
  const RECT list = run.ControlRect(IDC_LEFT_LIST);

  EditSettings(run, Answer(IDOK, [](HWND dialog) {
    HWND behaviour = GetDlgItem(dialog, IDD_SETTINGS_BEHAVIOUR);
    EXPECT_EQ(IsDlgButtonChecked(behaviour, IDC_SETTINGS_QUEUE_SAME_DRIVE), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(behaviour, IDC_SETTINGS_VERIFY), BST_UNCHECKED);
    Click(dialog, IDD_SETTINGS_VIEW, IDC_OPTION_SHOW_COM_LINE);
    Click(dialog, IDD_SETTINGS_BEHAVIOUR, IDC_OPTION_FAST_RENAME);
    Click(dialog, IDD_SETTINGS_BEHAVIOUR, IDC_SETTINGS_QUEUE_SAME_DRIVE);
    Click(dialog, IDD_SETTINGS_BEHAVIOUR, IDC_SETTINGS_VERIFY);
    px::Window(PageItem(dialog, IDD_SETTINGS_BEHAVIOUR, IDC_SETTINGS_EDITOR))
        .SetText("C:\\Tools\\edit.exe");
  }));

  for (int id : {IDC_COMMAND_LINE, IDC_COMMAND_PROMPT, IDC_LINE_COMMAND})
    EXPECT_FALSE(IsWindowVisible(run.Item(id))) << id;
  EXPECT_TRUE(IsWindowVisible(run.Item(IDC_LEFT_PATH)));
  // The panels take the row's height.
  EXPECT_EQ(run.ControlRect(IDC_LEFT_LIST).bottom, list.bottom + 23);
  EXPECT_EQ(px::Window(run.Item(IDC_LEFT_LIST)).Style() & LVS_EDITLABELS, 0);
  const Options& options = run.Window().GetOptions();
  EXPECT_EQ(options.editor, "C:\\Tools\\edit.exe");
  EXPECT_EQ(options.language, "English");
  EXPECT_EQ(options.queueSameDrive, 1);
  EXPECT_EQ(options.verify, 1);

  run.Close();
  ProfileDocument written = ProfileDocument::Parse(run.SettingsFileText());
  EXPECT_EQ(written.GetInt("Options", "ShowComLine", -1), 0);
  EXPECT_EQ(written.GetInt("Options", "FastRename", -1), 0);
  EXPECT_EQ(written.GetInt("Options", "ShowCurDir", -1), 1);
  EXPECT_EQ(written.GetInt("Options", "SelectFolders", -1), 7);
  EXPECT_EQ(written.GetInt("Options", "QueueSameDrive", -1), 1);
  EXPECT_EQ(written.GetInt("Options", "Verify", -1), 1);
  EXPECT_EQ(written.GetString("Options", "Editor", "?"), "C:\\Tools\\edit.exe");
}

// Every control of a page lies inside the page as the tab control shows it,
// and none covers another (a group box holds its controls, so it is left out).
TEST_F(SettingsDialogTest, EveryPageShowsAllItsControlsWithoutOverlap) {
  RunningWindow run;
  EditSettings(run, Answer(IDCANCEL, [](HWND dialog) {
    for (int pageId : {IDD_SETTINGS_VIEW, IDD_SETTINGS_BEHAVIOUR, IDD_SETTINGS_LANGUAGE}) {
      HWND page = GetDlgItem(dialog, pageId);
      ASSERT_NE(page, nullptr) << pageId;
      RECT area;
      GetClientRect(page, &area);
      std::vector<std::pair<int, RECT>> controls;
      for (HWND child = GetWindow(page, GW_CHILD); child != nullptr;
           child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
        int id = GetDlgCtrlID(child);
        EXPECT_TRUE(rect.left >= area.left && rect.top >= area.top &&
                    rect.right <= area.right && rect.bottom <= area.bottom)
            << "page " << pageId << ", control " << id << " ends at " << rect.bottom
            << ", the page at " << area.bottom;
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        bool groupBox = lstrcmpiW(className, L"Button") == 0 &&
                        (px::Window(child).Style() & BS_TYPEMASK) == BS_GROUPBOX;
        if (!groupBox) controls.push_back({id, rect});
      }
      for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j) {
          RECT common;
          EXPECT_FALSE(IntersectRect(&common, &controls[i].second, &controls[j].second))
              << "page " << pageId << ": " << controls[i].first << " and " << controls[j].first;
        }
    }
  }));
}

std::string CurrentDirectory() {
  wchar_t buffer[MAX_PATH * 4] = {};
  GetCurrentDirectoryW(MAX_PATH * 4, buffer);
  return Narrow(buffer);
}

TEST_F(SettingsDialogTest, BrowsePutsTheChosenProgramAndKeepsTheStartDirectory) {
  RunningWindow run;
  run.Start().Make("Tools");
  std::string program = run.Start().Write("Tools\\editor.exe", "MZ");
  const std::string start = CurrentDirectory();

  std::string shownEditor;
  // The open-file dialog runs inside the settings dialog: the first answer
  // presses Browse (posted, so that it runs from the dialog's own loop), the
  // second types the file name there, the third takes the settings.
  DialogResponder responder(
      {Answer(IDC_SETTINGS_TABS,
              [](HWND dialog) {
                PostMessageW(PageItem(dialog, IDD_SETTINGS_BEHAVIOUR, IDC_SETTINGS_BROWSE),
                             BM_CLICK, 0, 0);
              }),
       Answer(IDOK,
              [&](HWND fileDialog) {
                // The name field is an edit inside the name combo box (cmb13)
                // or, in the older layout, the edit edt1.
                HWND name = GetDlgItem(fileDialog, cmb13);
                if (name == nullptr) name = GetDlgItem(fileDialog, edt1);
                ASSERT_NE(name, nullptr);
                px::Window(name).SetText(program);
              }),
       Answer(IDOK, [&](HWND dialog) {
         shownEditor =
             px::Window(PageItem(dialog, IDD_SETTINGS_BEHAVIOUR, IDC_SETTINGS_EDITOR)).Text();
       })});
  EXPECT_TRUE(run.Window().ExecuteCommand(ID_MENU_SETTINGS));
  EXPECT_TRUE(responder.Answered());

  EXPECT_EQ(shownEditor, program);
  EXPECT_EQ(run.Window().GetOptions().editor, program);
  EXPECT_EQ(CurrentDirectory(), start);
}

TEST_F(SettingsDialogTest, ChoosingGermanSwitchesTheWindowAndTheNextDialog) {
  RunningWindow run(nullptr, StageLanguages);
  const std::string englishCaption = EnglishTexts().Text(text::kSettingsCaption);

  EditSettings(run, Answer(IDOK, [](HWND dialog) { ChooseLanguage(dialog, "German"); }));

  EXPECT_EQ(run.Window().GetOptions().language, "German");
  EXPECT_NE(px::Window(run.Item(IDC_COPY)).Text().find("Kopieren"), std::string::npos);
  std::string germanCaption = run.Window().Texts().Text(text::kSettingsCaption);
  EXPECT_NE(germanCaption, englishCaption);
  EditSettings(run, Answer(IDCANCEL, [&](HWND dialog) {
    EXPECT_EQ(px::Window(dialog).Text(), germanCaption);
    EXPECT_EQ(SelectedLanguage(dialog), "German");
  }));

  run.Close();
  EXPECT_EQ(ProfileDocument::Parse(run.SettingsFileText()).GetString("Options", "Language", "?"),
            "German");
}

TEST_F(SettingsDialogTest, UnreadableOrNoLanguageKeepsTheCurrentTexts) {
  RunningWindow run(nullptr, [](TempFolder& start) {
    start.Write("Language\\Empty.lng", "");
    start.Write("Language\\Comments.lng", "// nothing but a comment\r\n\r\n");
    StageLanguages(start);
    start.Write("Language\\Locked.lng", ReadBytes(SourcePath("Language/German.lng")));
  });
  const std::string copy = px::Window(run.Item(IDC_COPY)).Text();
  ASSERT_FALSE(copy.empty());
  // Held open without sharing, so the program cannot read it.
  FileHandle locked(CreateFileW(FileApiPath(run.StartDirectory() + "Language\\Locked.lng").c_str(),
                                GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(locked);

  for (const char* choice : {"Empty", "Comments", "Locked", ""}) {
    EditSettings(run, Answer(IDOK, [&](HWND dialog) { ChooseLanguage(dialog, choice); }));
    EXPECT_EQ(run.Window().GetOptions().language, "English") << choice;
    EXPECT_EQ(px::Window(run.Item(IDC_COPY)).Text(), copy) << choice;
    EXPECT_EQ(run.Window().Texts().Text(text::kSettingsCaption),
              EnglishTexts().Text(text::kSettingsCaption))
        << choice;
  }
  run.Close();
  EXPECT_EQ(ProfileDocument::Parse(run.SettingsFileText()).GetString("Options", "Language", "?"),
            "English");
}

}  // namespace
}  // namespace px::test
