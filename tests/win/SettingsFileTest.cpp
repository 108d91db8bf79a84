// PX.ini as others leave it: read-only, a link, in a locked folder, changed while we run.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/settings/ProfileDocument.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

constexpr char kStartSettings[] = "; kept\r\n[Options]\r\nDivider=300\r\n";

bool HasSavedGroups(const std::string& text) {
  ProfileDocument document = ProfileDocument::Parse(text);
  return document.Get("Left", "Path").has_value() && document.Get("History", "19").has_value() &&
         document.GetInt("Options", "Divider", -1) == 300;
}

std::string FinalPath(const std::string& path) {
  HANDLE file = CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  wchar_t buffer[1024] = {};
  DWORD length = GetFinalPathNameByHandleW(file, buffer, 1024, VOLUME_NAME_DOS);
  CloseHandle(file);
  return length > 0 && length < 1024 ? Narrow(buffer) : std::string();
}

TEST(SettingsFile, ReadOnlyFileIsLeftAsItIs) {
  std::string path;
  {
    RunningWindow run(kStartSettings, [&](TempFolder& start) {
      path = start.Path() + "PX.ini";
      SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_READONLY);
    });
    run.Close();
    EXPECT_EQ(run.SettingsFileText(), kStartSettings);
    EXPECT_NE(GetFileAttributesW(Widen(path).c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  }
  // Also when written directly, and with nothing left beside it.
  TempFolder folder;
  path = folder.Write("PX.ini", kStartSettings);
  SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_READONLY);
  SettingsStore store(std::make_unique<FileProfileStorage>(path));
  store.SetInt("Options", "Divider", 1);
  EXPECT_FALSE(store.Commit());
  EXPECT_EQ(ReadBytes(path), kStartSettings);
  EXPECT_EQ(GetFileAttributesW(Widen(path + ".new~").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(SettingsFile, SymbolicLinkIsWrittenThroughToItsTarget) {
  bool linked = false;
  RunningWindow run(nullptr, [&](TempFolder& start) {
    start.Make("real");
    start.Write("real\\PX.ini", kStartSettings);
    linked = MakeSymbolicLink(start.Path(), "real/PX.ini", "PX.ini");
  });
  if (!linked) GTEST_SKIP() << "no way to make a symbolic link here";
  EXPECT_EQ(run.Window().GetOptions().divider, 300);
  std::string link = run.StartDirectory() + "PX.ini";
  std::string target = run.StartDirectory() + "real\\PX.ini";
  ASSERT_EQ(FinalPath(link), FinalPath(target));
  run.Close();

  std::string saved = ReadBytes(target);
  EXPECT_TRUE(HasSavedGroups(saved)) << saved;
  EXPECT_EQ(saved.rfind("; kept\r\n", 0), 0u);
  EXPECT_EQ(FinalPath(link), FinalPath(target));  // still the link, not a copy beside it
  EXPECT_EQ(ReadBytes(link), saved);
  EXPECT_EQ(GetFileAttributesW(Widen(target + ".new~").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(Widen(link + ".new~").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(SettingsFile, FolderWithoutRoomForATemporaryFileIsWrittenInPlace) {
  // The temporary file's name taken by a folder: creating it fails as it does
  // in a folder the user may not create files in.
  RunningWindow run(kStartSettings, [](TempFolder& start) { start.Make("PX.ini.new~"); });
  run.Close();
  EXPECT_TRUE(HasSavedGroups(run.SettingsFileText())) << run.SettingsFileText();
  EXPECT_EQ(run.SettingsFileText().rfind("; kept\r\n", 0), 0u);

  // A temporary file held open by another save is no such folder: writing in
  // place would be lost under that save's rename, so this save waits for the next.
  TempFolder folder;
  std::string path = folder.Write("PX.ini", kStartSettings);
  HANDLE held = CreateFileW(Widen(path + ".new~").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  SettingsStore store(std::make_unique<FileProfileStorage>(path));
  store.SetInt("Options", "Divider", 1);
  EXPECT_FALSE(store.Commit());
  EXPECT_EQ(ReadBytes(path), kStartSettings);
  CloseHandle(held);
  EXPECT_TRUE(store.Commit());
  EXPECT_EQ(ReadBytes(path), "; kept\r\n[Options]\r\nDivider=1\r\n");
}

TEST(SettingsFile, SaveKeepsWhatAnotherProgramWroteSinceStart) {
  RunningWindow run(kStartSettings);
  std::string path = run.StartDirectory() + "PX.ini";
  ASSERT_TRUE(WritePrivateProfileStringW(L"Theirs", L"Key", L"their value",
                                         Widen(path).c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"Options", L"TheirOption", L"7", Widen(path).c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"Options", L"Divider", L"10", Widen(path).c_str()));
  run.Close();

  ProfileDocument saved = ProfileDocument::Parse(run.SettingsFileText());
  EXPECT_EQ(saved.GetString("Theirs", "Key", ""), "their value");
  EXPECT_EQ(saved.GetInt("Options", "TheirOption", -1), 7);
  EXPECT_EQ(saved.GetInt("Options", "Divider", -1), 300);  // a key this program owns
  EXPECT_TRUE(HasSavedGroups(run.SettingsFileText()));
  EXPECT_EQ(run.SettingsFileText().rfind("; kept\r\n", 0), 0u);
}

TEST(SettingsFile, StartFolderNamingAFileListsAsAMissingFolder) {
  std::string file;
  RunningWindow run(nullptr, [&](TempFolder& start) {
    file = start.Write("afile.txt", "text");
    start.Write("PX.ini", PanelSettings(file, start.Path()));
  });
  EXPECT_EQ(run.Window().Panels().Panel(Side::kLeft).Path(), file + "\\");
  EXPECT_EQ(ListView(run.Item(IDC_LEFT_LIST)).ItemCount(), 0);
  EXPECT_NE(IndexOf(run.RowTexts(IDC_RIGHT_LIST, 0), "afile.txt"), -1);
}

}  // namespace
}  // namespace px::test
