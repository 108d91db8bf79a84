// The settings store and the main window's settings groups of PX.ini.
#include "core/settings/Settings.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/settings/SettingsStore.h"

namespace px {
namespace {

struct MemoryFile {
  std::string text;
  int saves = 0;
  bool failSaves = false;
  bool failLoads = false;
};

class MemoryStorage : public ProfileStorage {
 public:
  explicit MemoryStorage(MemoryFile* file) : file_(file) {}
  std::optional<std::string> Load() override {
    if (file_->failLoads) return std::nullopt;
    return file_->text;
  }
  bool Save(const std::string& utf8Text) override {
    if (file_->failSaves) return false;
    file_->text = utf8Text;
    ++file_->saves;
    return true;
  }

 private:
  MemoryFile* file_;
};

SettingsStore StoreOn(MemoryFile& file) {
  return SettingsStore(std::make_unique<MemoryStorage>(&file));
}

PanelGroupState Panel(int show, bool details) {
  PanelGroupState state;
  state.settings.show = show;
  state.listInDetailsStyle = details;
  return state;
}

TEST(SettingsStore, CommitWritesOnceAndKeepsFailedChanges) {
  MemoryFile file{"[A]\nk=1\n"};
  SettingsStore store = StoreOn(file);
  EXPECT_TRUE(store.Commit());
  store.SetInt("A", "k", 2);
  store.SetString("A", "s", "x");
  EXPECT_TRUE(store.Commit());
  EXPECT_TRUE(store.Commit());
  EXPECT_EQ(file.saves, 1);
  EXPECT_EQ(file.text, "[A]\nk=2\ns=x\n");

  file.failSaves = true;
  store.SetInt("A", "k", 3);
  EXPECT_FALSE(store.Commit());
  file.failSaves = false;
  EXPECT_TRUE(store.Commit());
  EXPECT_EQ(file.text, "[A]\nk=3\ns=x\n");
}

TEST(SettingsStore, CommitKeepsWhatAnotherWriterAddedMeanwhile) {
  MemoryFile file{"; mine\n[Options]\nDivider=500\nGone=1\n"};
  SettingsStore store = StoreOn(file);
  // Written by someone else after start-up: a comment, a new section, a new
  // key in a shared section, a changed key we also write, a removed key.
  file.text = "; mine\n; theirs\n[Options]\nDivider=300\nTheirs=x\n[Other]\nk=v\n";
  store.SetInt("Options", "Divider", 420);
  store.SetString("Options", "Divider", "421");  // the last write of a key counts
  store.SetString("History", "0", "dir");
  ASSERT_TRUE(store.Commit());
  EXPECT_EQ(file.text,
            "; mine\n; theirs\n[Options]\nDivider=421\nTheirs=x\n[Other]\nk=v\n\n"
            "[History]\n0=dir\n");
  EXPECT_EQ(store.GetString("Other", "k", ""), "v");
  EXPECT_FALSE(store.Document().Get("Options", "Gone").has_value());
}

TEST(SettingsStore, UnreadableFileIsNeverWrittenOver) {
  MemoryFile file{"[A]\nk=1\n"};
  SettingsStore store = StoreOn(file);
  EXPECT_EQ(store.GetInt("A", "k", 0), 1);
  store.SetInt("A", "j", 2);
  file.failLoads = true;
  EXPECT_FALSE(store.Commit());
  EXPECT_EQ(file.saves, 0);
  EXPECT_EQ(store.GetInt("A", "j", 0), 2);  // kept for the next try
  file.failLoads = false;
  file.text = "[A]\nk=5\n";
  ASSERT_TRUE(store.Commit());
  EXPECT_EQ(file.text, "[A]\nk=5\nj=2\n");

  file.failLoads = true;
  store.Reload();  // at start-up an unreadable file gives the defaults
  EXPECT_EQ(store.GetInt("A", "k", -1), -1);
}

TEST(Settings, FreshStartWritesPanelsAndOptionsButNoPosition) {
  MemoryFile file;
  SettingsStore store = StoreOn(file);
  Settings settings = ReadSettings(store);
  EXPECT_EQ(settings.options.savePosition, 0);
  EXPECT_EQ(settings.options.queueSameDrive, 1);
  EXPECT_EQ(settings.options.verify, 0);
  WritePanelsGroup(store, Panel(kViewDetails, true), Panel(kViewList, false));
  WriteOptionsGroup(store, settings.options, settings.commandHistory);
  EXPECT_EQ(file.saves, 0);  // the caller commits
  ASSERT_TRUE(store.Commit());

  std::string expectedStart =
      "[Left]\r\nPath=C:\\\r\nSort=0\r\nSortOrder=0\r\nShow=1\r\n"
      "TabName=120\r\nTabSize=60\r\nTabDate=100\r\nTabAttr=40\r\n\r\n"
      "[Right]\r\nPath=C:\\\r\nSort=0\r\nSortOrder=0\r\nShow=0\r\n\r\n"
      "[Options]\r\nDivider=500\r\nShowToolBar=1\r\nShowDrive=1\r\nShowCurDir=1\r\n"
      "ShowComLine=1\r\nShowFuncKey=1\r\nFullRowSelect=1\r\nSelectionAlways=1\r\n"
      "ShowHiddenSystem=0\r\nSavePanels=1\r\nSaveSettings=1\r\nSavePosition=0\r\n"
      "FastRename=1\r\nSelectFolders=0\r\nShowAllIcons=1\r\nRecycle=1\r\n"
      "QueueSameDrive=1\r\nVerify=0\r\nShowSelectionLine=1\r\nQuickSearchLetters=0\r\nQuickSearchContains=0\r\n"
      "CompareBySize=0\r\nCompareByContent=0\r\nCompareSubfolders=0\r\nAlwaysShowTabs=0\r\n"
      "Colours=0\r\nEditor=notepad.exe\r\nLanguage=English\r\n\r\n[History]\r\n0=\r\n";
  EXPECT_EQ(file.text.substr(0, expectedStart.size()), expectedStart);
  EXPECT_EQ(file.text.find("[Position]"), std::string::npos);
}

TEST(Settings, MaximisedWindowWritesOnlyMaximized) {
  const std::string before = "[Position]\nLeft=10\nTop=20\nWidth=300\nHeight=200\nMaximized=0\n";
  MemoryFile file{before};
  SettingsStore store = StoreOn(file);
  WindowSettings moved{1, 2, 3, 4, 0};
  WriteWindowGroup(store, moved, true);
  ASSERT_TRUE(store.Commit());
  EXPECT_EQ(file.text, "[Position]\nLeft=10\nTop=20\nWidth=300\nHeight=200\nMaximized=1\n");

  WriteWindowGroup(store, moved, false);
  ASSERT_TRUE(store.Commit());
  EXPECT_EQ(file.text, "[Position]\nLeft=1\nTop=2\nWidth=3\nHeight=4\nMaximized=0\n");
}

TEST(Settings, ListStyleWritesShowAndKeepsColumnWidths) {
  MemoryFile file{"[Left]\nTabName=77\nTabSize=66\nTabDate=55\nTabAttr=44\nShow=1\n"};
  SettingsStore store = StoreOn(file);
  PanelGroupState tree = Panel(kViewTree, true);
  tree.settings.tabName = 999;
  PanelGroupState list = Panel(kViewList, false);
  list.settings.tabName = 1;
  WritePanelsGroup(store, list, tree);
  ASSERT_TRUE(store.Commit());

  Settings read = ReadSettings(store);
  EXPECT_EQ(read.panels[0].show, kViewList);
  EXPECT_EQ(read.panels[0].tabName, 77);
  EXPECT_EQ(read.panels[0].tabAttr, 44);
  EXPECT_EQ(read.panels[1].show, kViewTree);
  EXPECT_EQ(read.panels[1].tabName, 999);
}

TEST(Settings, HistoryAndFavouritesStopAtFirstGap) {
  MemoryFile file{
      "[History]\n0=dir\n1=\"C:\\a b\\x.exe\" arg\n3=lost\n"
      "[Favorites]\nN0=Home\nF0=C:\\home\\\nN1=NoFolder\nN2=\nF2=C:\\x\\\nN3=Lost\n"};
  SettingsStore store = StoreOn(file);
  Settings read = ReadSettings(store);
  ASSERT_EQ(read.commandHistory.size(), 2u);
  EXPECT_EQ(read.commandHistory[1], "\"C:\\a b\\x.exe\" arg");
  ASSERT_EQ(read.favourites.size(), 2u);
  EXPECT_EQ(read.favourites[0].folder, "C:\\home\\");
  EXPECT_EQ(read.favourites[1].folder, "");
}

TEST(Settings, OptionsWriteFillsAllHistorySlots) {
  MemoryFile file{"[History]\n0=old0\n5=old5\n19=old19\n"};
  SettingsStore store = StoreOn(file);
  Options options;
  options.divider = 321;
  options.showHiddenSystem = 7;  // kept as read, not turned into a bool
  options.queueSameDrive = 0;
  options.verify = 1;
  options.colours = 2;
  options.editor = "\"C:\\Program Files\\ed.exe\"";
  WriteOptionsGroup(store, options, {"a", "\"C:\\x y\\run.exe\" \"q\"", "c"});
  ASSERT_TRUE(store.Commit());

  const ProfileDocument& doc = store.Document();
  for (int i = 3; i < kHistorySlots; ++i) {
    EXPECT_EQ(doc.Get("History", std::to_string(i)), "") << i;
  }
  Settings read = ReadSettings(store);
  EXPECT_EQ(read.commandHistory,
            (std::vector<std::string>{"a", "\"C:\\x y\\run.exe\" \"q\"", "c"}));
  EXPECT_EQ(read.options.divider, 321);
  EXPECT_EQ(read.options.showHiddenSystem, 7);
  EXPECT_EQ(read.options.queueSameDrive, 0);
  EXPECT_EQ(read.options.verify, 1);
  EXPECT_EQ(read.options.colours, 2);
  EXPECT_EQ(doc.Get("Options", "QueueSameDrive"), "0");
  EXPECT_EQ(doc.Get("Options", "Verify"), "1");
  EXPECT_EQ(read.options.editor, options.editor);
}

TEST(Settings, CorruptValuesAreSanitized) {
  struct Row {
    const char* section;
    const char* key;
    const char* value;
    int PanelSettings::*field;
    int expected;
  };
  static const Row kRows[] = {
      {"Left", "Sort", "5", &PanelSettings::sortKey, 5},
      {"Left", "Sort", "6", &PanelSettings::sortKey, 0},
      {"Left", "Sort", "junk", &PanelSettings::sortKey, 0},
      {"Right", "SortOrder", "1", &PanelSettings::sortOrder, 1},
      {"Right", "SortOrder", "2", &PanelSettings::sortOrder, 0},
      {"Left", "Show", "2", &PanelSettings::show, kViewTree},
      {"Left", "Show", "3", &PanelSettings::show, kViewDetails},
      {"Right", "TabName", "-1", &PanelSettings::tabName, 120},
      {"Right", "TabName", "9", &PanelSettings::tabName, 120},
      {"Right", "TabName", "10", &PanelSettings::tabName, 10},
      {"Left", "TabName", "100000", &PanelSettings::tabName, 120},
      {"Right", "TabSize", "4000", &PanelSettings::tabSize, 4000},
      {"Right", "TabSize", "4001", &PanelSettings::tabSize, 60},
      {"Right", "TabDate", "99999999999", &PanelSettings::tabDate, 100},
      {"Left", "TabDate", "0", &PanelSettings::tabDate, 100},
      {"Right", "TabAttr", "-5", &PanelSettings::tabAttr, 40},
      {"Right", "TabAttr", "", &PanelSettings::tabAttr, 40},
  };
  for (const Row& row : kRows) {
    MemoryFile file{std::string("[") + row.section + "]\n" + row.key + "=" + row.value + "\n"};
    Settings read = ReadSettings(StoreOn(file));
    int side = std::string(row.section) == "Left" ? 0 : 1;
    EXPECT_EQ(read.panels[side].*row.field, row.expected) << row.key << "=" << row.value;
  }

  struct DividerRow {
    const char* value;
    int expected;
  };
  static const DividerRow kDividers[] = {{"-5", 500}, {"0", 500},   {"49", 500}, {"50", 50},
                                         {"950", 950}, {"951", 500}, {"1000", 500}};
  for (const DividerRow& row : kDividers) {
    MemoryFile file{std::string("[Options]\nDivider=") + row.value + "\n"};
    EXPECT_EQ(ReadSettings(StoreOn(file)).options.divider, row.expected) << row.value;
  }

  // The job options are acted on as read: only 0 and 1 are taken.
  struct FlagRow {
    const char* line;
    int Options::*field;
    int expected;
  };
  static const FlagRow kFlags[] = {
      {"QueueSameDrive=0", &Options::queueSameDrive, 0},
      {"QueueSameDrive= 1 ", &Options::queueSameDrive, 1},
      {"QueueSameDrive=", &Options::queueSameDrive, 1},
      {"QueueSameDrive=no", &Options::queueSameDrive, 1},
      {"QueueSameDrive=2", &Options::queueSameDrive, 1},
      {"QueueSameDrive=-1", &Options::queueSameDrive, 1},
      {"ShowSelectionLine=0", &Options::showSelectionLine, 0},
      {"ShowSelectionLine=2", &Options::showSelectionLine, 1},
      {"queuesamedrive=0", &Options::queueSameDrive, 0},
      {"Verify=1", &Options::verify, 1},
      {"Verify=0", &Options::verify, 0},
      {"Verify=yes", &Options::verify, 0},
      {"Verify=7", &Options::verify, 0},
      {"Verify=99999999999", &Options::verify, 0},
      {"Verify", &Options::verify, 0},
      {"Colours=2", &Options::colours, 2},
      {"Colours= 1 ", &Options::colours, 1},
      {"Colours=0", &Options::colours, 0},
      {"Colours=3", &Options::colours, 0},
      {"Colours=-1", &Options::colours, 0},
      {"Colours=dark", &Options::colours, 0},
      {"Colours=", &Options::colours, 0},
  };
  for (const FlagRow& row : kFlags) {
    MemoryFile file{std::string("[Options]\n") + row.line + "\n"};
    EXPECT_EQ(ReadSettings(StoreOn(file)).options.*row.field, row.expected) << row.line;
  }

  // The language names Language\<name>.lng and .kbr: nothing that could
  // reach a file elsewhere or a device is taken.
  struct LanguageRow {
    const char* value;
    const char* expected;
  };
  static const LanguageRow kLanguages[] = {
      {"German", "German"},
      {"  German  ", "German"},
      {"Fran\xC3\xA7" "ais", "Fran\xC3\xA7" "ais"},
      {"com10", "com10"},
      {"...", "..."},
      {"", "English"},
      {"..", "English"},
      {".", "English"},
      {"..\\..\\x", "English"},
      {"../../x", "English"},
      {"'..\\x'", "English"},
      {"sub/German", "English"},
      {"C:\\Windows\\x", "English"},
      {"C:x", "English"},
      {"\\\\server\\share\\x", "English"},
      {"German:stream", "English"},
      {"Ger\tman", "English"},
      {"CON", "English"},
      {"nul", "English"},
      {"Com1", "English"},
      {"LPT9.x", "English"},
  };
  for (const LanguageRow& row : kLanguages) {
    MemoryFile file{std::string("[Options]\nLanguage=") + row.value + "\n"};
    EXPECT_EQ(ReadSettings(StoreOn(file)).options.language, row.expected) << row.value;
  }

  MemoryFile file{"[Position]\nLeft=-30000\nWidth=99999\n[Right]\nPath=D:\\data\n"};
  Settings read = ReadSettings(StoreOn(file));
  EXPECT_EQ(read.window.left, -30000);
  EXPECT_EQ(read.window.width, 99999);
  EXPECT_EQ(read.panels[0].path, "C:\\");
  EXPECT_EQ(read.panels[1].path, "D:\\data\\");
}

TEST(Settings, NormalizeFolderPath) {
  struct Row {
    std::string path;
    std::string expected;
  };
  const Row kRows[] = {
      {"", "F\\"},
      {"C:", "C:\\"},
      {"\\\\server\\share", "\\\\server\\share\\"},
      {"C:\\tab\there", "F\\"},
      {std::string("C:\\nul\0x", 8), "F\\"},
      {"C:\\" + std::string(31996, 'a'), "C:\\" + std::string(31996, 'a') + "\\"},
      {"C:\\" + std::string(31997, 'a'), "F\\"},
      {"C:\\\xC3\xA4\\", "C:\\\xC3\xA4\\"},
  };
  for (const Row& row : kRows) {
    EXPECT_EQ(NormalizeFolderPath(row.path, "F\\"), row.expected) << row.path.size();
  }
}

TEST(Settings, ToolBarButtons) {
  struct Row {
    const char* file;
    int defaultCount;
    std::vector<int> expected;
  };
  const Row kRows[] = {
      {"", 3, {0, 0, 0}},
      {"[Buttons]\nButtonCount=5\nButton0=1\nButton1=28\nButton2=30\nButton3=31\nButton4=-1\n", 10,
       {1, 28, 30, 0, 0}},
      {"[Buttons]\nButtonCount=-3\nButton0=1\n", 10, {}},
  };
  for (const Row& row : kRows) {
    MemoryFile file{row.file};
    EXPECT_EQ(ReadToolBarButtons(StoreOn(file), row.defaultCount), row.expected) << row.file;
  }
  MemoryFile huge{"[Buttons]\nButtonCount=2000000000\n"};
  EXPECT_EQ(ReadToolBarButtons(StoreOn(huge), 10).size(), 200u);
}

}  // namespace
}  // namespace px
