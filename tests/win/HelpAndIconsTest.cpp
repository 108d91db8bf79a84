// The keyboard reference window, the about box, and the file icons of the
// panel lists: which icon a row gets and how many images a listing keeps.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "core/language/TextIds.h"
#include "framework/Controls.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

using Answer = DialogResponder::Answer;

// Opens the help window by its key and returns the caption and text it showed.
std::pair<std::string, std::string> ShownHelp(RunningWindow& run) {
  std::pair<std::string, std::string> shown;
  DialogResponder responder({Answer{IDOK, [&](HWND dialog) {
                                      shown.first = px::Window(dialog).Text();
                                      shown.second =
                                          px::Window(GetDlgItem(dialog, IDC_HELP_TEXT)).Text();
                                    }}});
  EXPECT_TRUE(run.Window().ExecuteCommand(ID_KEY_HELP));
  EXPECT_TRUE(responder.Answered());
  return shown;
}

TEST(HelpWindow, ShowsTheReferenceOfTheCurrentLanguageUpToAZeroByte) {
  RunningWindow run(nullptr, [](TempFolder& start) {
    start.Write("Language\\English.kbr", std::string("F5 copies\r\nF6 moves\0hidden", 27));
    start.Write("Language\\German.lng", ReadBytes(SourcePath("Language/German.lng")));
    start.Write("Language\\German.kbr", "F5 kopiert\r\n");
  });
  auto [caption, text] = ShownHelp(run);
  EXPECT_EQ(caption, run.Window().Texts().Text(text::kKeyboardReferenceCaption));
  EXPECT_EQ(text, "F5 copies\r\nF6 moves");

  run.Window().ChangeLanguage("German");
  EXPECT_EQ(ShownHelp(run).second, "F5 kopiert\r\n");

  // A language without a reference gives an empty window, no message.
  DeleteFileW(Widen(run.StartDirectory() + "Language\\German.kbr").c_str());
  EXPECT_EQ(ShownHelp(run).second, "");
}

TEST(HelpWindow, ALongUtf8ReferenceIsCutBetweenCharacters) {
  // 40 000 bytes of two-byte letters: the 32 767-byte limit falls inside one.
  std::string reference;
  while (reference.size() < 40000) reference += "\xC3\xA4";  // ä
  RunningWindow run(nullptr, [&](TempFolder& start) {
    start.Write("Language\\English.kbr", reference);
  });
  std::string text = ShownHelp(run).second;
  EXPECT_EQ(text.size(), 32766u);
  EXPECT_EQ(text, reference.substr(0, 32766));
}

TEST(AboutBox, ShowsThePictureNameAndLanguageTexts) {
  RunningWindow run;
  std::string caption, name, ok;
  bool picture = false;
  DialogResponder responder({Answer{IDOK, [&](HWND dialog) {
                                      caption = px::Window(dialog).Text();
                                      ok = px::Window(GetDlgItem(dialog, IDOK)).Text();
                                      picture = SendDlgItemMessageW(dialog, IDC_ABOUT_PICTURE,
                                                                    STM_GETIMAGE, IMAGE_BITMAP,
                                                                    0) != 0;
                                      EnumChildWindows(
                                          dialog,
                                          [](HWND child, LPARAM found) -> BOOL {
                                            std::string text = px::Window(child).Text();
                                            if (text.rfind("Pannex ", 0) == 0)
                                              *reinterpret_cast<std::string*>(found) = text;
                                            return TRUE;
                                          },
                                          reinterpret_cast<LPARAM>(&name));
                                    }}});
  EXPECT_TRUE(run.Window().ExecuteCommand(ID_MENU_ABOUT));
  EXPECT_TRUE(responder.Answered());
  EXPECT_EQ(caption, run.Window().Texts().Text(text::kAboutCaption));
  EXPECT_EQ(ok, run.Window().Texts().Text(text::kHelpOk));
  EXPECT_EQ(name, "Pannex 1.2.5");
  EXPECT_TRUE(picture);
}

int ImageOfRow(HWND list, int row) {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return item.iImage;
}

int ImageCount(HWND list) {
  return ImageList_GetImageCount(
      reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0)));
}

TEST(FileIcons, ProgramsShowTheirOwnIconsOnlyWithShowAllIconsAndListsStayBounded) {
  for (int showAll : {0, 1}) {
    TempFolder files;
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::string program = ReadBytes(Narrow(self));
    ASSERT_FALSE(program.empty());
    files.Write("one.exe", program);
    files.Write("TWO.EXE", program);
    for (int i = 0; i < 300; ++i) files.Write("note" + std::to_string(i) + ".txt", "x");
    files.Write("plain", "x");
    std::string settings = PanelSettings(files.Path(), files.Path()) +
                           "[Options]\nShowAllIcons=" + std::to_string(showAll) + "\n";
    RunningWindow run(settings.c_str());
    HWND list = run.Item(IDC_LEFT_LIST);
    FilePanel& panel = run.Window().Panels().Panel(Side::kLeft);
    auto rowOf = [&](const std::string& name) {
      return static_cast<int>(panel.Table().FindRowByName(name));
    };
    ASSERT_GE(rowOf("one.exe"), 0);
    int one = ImageOfRow(list, rowOf("one.exe"));
    int two = ImageOfRow(list, rowOf("TWO.EXE"));
    EXPECT_GE(one, 7);
    EXPECT_GE(two, 7);
    // Off: one image for the type; on: each program its own.
    EXPECT_EQ(one == two, showAll == 0) << showAll;
    EXPECT_GE(ImageOfRow(list, rowOf("plain")), 7);

    // Every row drawn, twice: one image per type or own icon, never per row.
    for (int pass = 0; pass < 2; ++pass)
      for (int row = 0; row < ListView(list).ItemCount(); ++row) ImageOfRow(list, row);
    int images = ImageCount(list);
    EXPECT_LE(images, 7 + 4);  // .exe (or two own), .txt, no type
    for (int row = 0; row < ListView(list).ItemCount(); ++row) ImageOfRow(list, row);
    EXPECT_EQ(ImageCount(list), images);  // scrolling back fetches nothing

    run.Window().ExecuteCommand(ID_TOOL_REFRESH);
    EXPECT_EQ(ImageCount(list), 7);  // a new listing starts from the fixed images
  }
}

}  // namespace
}  // namespace px::test
