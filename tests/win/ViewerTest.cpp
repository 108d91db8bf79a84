// The file viewer on the real window: F3 opens the file at the cursor as
// text, UTF-16, hex or a picture; N and P step through the panel's files;
// End on a 10 GiB file shows its last line; a find runs as a job and finds
// matches that straddle its reads; go to line; copy; a file that shrinks or
// goes away; Esc closes and the window's place is kept.
#include <windows.h>
#include <winioctl.h>
#include <objbase.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <string>

#include "core/language/TextFormat.h"
#include "framework/FileSystemApi.h"
#include "framework/Handles.h"
#include "framework/Wide.h"
#include "res/resource.h"
#include "tests/win/Harness.h"
#include "tests/win/Keys.h"
#include "viewer/ViewerDialogs.h"
#include "viewer/ViewerWindow.h"

namespace px::test {
namespace {

using Answer = DialogResponder::Answer;

std::pair<uint64_t, uint64_t> Span(uint64_t from, uint64_t to) { return {from, to}; }


// A PNG of width x height, left half red and right half blue, written by the
// imaging component itself; false where it cannot encode.
bool WritePng(const std::string& path, UINT width, UINT height) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IWICImagingFactory* factory = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory))))
    return false;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (UINT y = 0; y < height; ++y)
    for (UINT x = 0; x < width; ++x) pixels[y * width + x] = x < width / 2 ? 0xFFFF0000 : 0xFF0000FF;
  IWICBitmap* bitmap = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  bool ok = SUCCEEDED(factory->CreateBitmapFromMemory(width, height, GUID_WICPixelFormat32bppBGRA, width * 4,
                                                      width * height * 4, reinterpret_cast<BYTE*>(pixels.data()),
                                                      &bitmap)) &&
            SUCCEEDED(factory->CreateStream(&stream)) &&
            SUCCEEDED(stream->InitializeFromFilename(Widen(path).c_str(), GENERIC_WRITE)) &&
            SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
            SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
            SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
            SUCCEEDED(frame->WriteSource(bitmap, nullptr)) && SUCCEEDED(frame->Commit()) &&
            SUCCEEDED(encoder->Commit());
  for (IUnknown* object : std::initializer_list<IUnknown*>{frame, encoder, stream, bitmap, factory})
    if (object != nullptr) object->Release();
  return ok;
}

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = data_.Make("files"); }

  // F3 on the left list's row named name; the viewer it opened.
  ViewerWindow* View(RunningWindow& run, const char* name) {
    FilePanel& panel = run.Window().Panels().Panel(Side::kLeft);
    const long row = panel.Table().FindRowByName(name);
    EXPECT_GE(row, 0) << name;
    if (row < 0) return nullptr;
    panel.SetCursor(static_cast<int>(row));
    const size_t before = run.Window().Viewers().size();
    PressKey(run.Window(), panel.List().Handle(), VK_F3);
    if (run.Window().Viewers().size() != before + 1) return nullptr;
    ViewerWindow* viewer = run.Window().Viewers().back();
    EXPECT_TRUE(PumpUntil(*viewer, [viewer] { return !viewer->Busy(); }));
    return viewer;
  }
  std::string Settings() { return PanelSettings(folder_, folder_); }

  TempFolder data_;
  std::string folder_;
};

TEST_F(ViewerTest, TextHexAndTheNextFileThenEscCloses) {
  WriteBytes(folder_ + "a.txt", "hello\r\nworld\n\tindented");
  WriteBytes(folder_ + "b.bin", std::string("MZ\x90\0\x03\0\0\0", 8));
  WriteBytes(folder_ + "c.txt", "third");
  RunningWindow run(Settings().c_str());
  ViewerWindow* viewer = View(run, "a.txt");
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(Window(viewer->Handle()).Text(), "a.txt");
  EXPECT_EQ(viewer->Mode(), ViewerMode::kText);
  EXPECT_EQ(viewer->ShownTexts(), (std::vector<std::string>{"hello", "world", "        indented"}));
  EXPECT_NE(viewer->StatusText().find("22"), std::string::npos) << viewer->StatusText();

  // H shows the same bytes in hex, and back.
  PressKey(*viewer, viewer->Pane(), 'H');
  ASSERT_EQ(viewer->Mode(), ViewerMode::kHex);
  EXPECT_EQ(viewer->ShownTexts().front().substr(0, 20), "00000000  68 65 6C 6");
  PressKey(*viewer, viewer->Pane(), 'H');
  EXPECT_EQ(viewer->Mode(), ViewerMode::kText);

  // N: the next file of the panel, a binary one, in hex; N again; P back.
  PressKey(*viewer, viewer->Pane(), 'N');
  EXPECT_EQ(viewer->Path(), folder_ + "b.bin");
  EXPECT_EQ(Window(viewer->Handle()).Text(), "b.bin");
  EXPECT_EQ(viewer->Mode(), ViewerMode::kHex);
  EXPECT_EQ(viewer->ShownTexts().front().substr(0, 34), "00000000  4D 5A 90 00 03 00 00 00 ");
  PressKey(*viewer, viewer->Pane(), 'N');
  EXPECT_EQ(viewer->ShownTexts(), std::vector<std::string>{"third"});
  PressKey(*viewer, viewer->Pane(), 'N');  // no further file: it stays, and says so
  EXPECT_EQ(viewer->Path(), folder_ + "c.txt");
  EXPECT_EQ(viewer->MessageText(), EnglishTexts().Text(text::kViewerNoMoreFiles));
  PressKey(*viewer, viewer->Pane(), 'P');
  EXPECT_EQ(viewer->Path(), folder_ + "b.bin");

  // The panels stay usable: a second viewer beside the first.
  ViewerWindow* second = View(run, "c.txt");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(run.Window().Viewers().size(), 2u);
  PressKey(*second, second->Pane(), VK_F3);
  PressKey(*viewer, viewer->Pane(), VK_ESCAPE);
  Pump(&run.Window());
  EXPECT_TRUE(run.Window().Viewers().empty());
  // Its place is kept in a section of its own.
  run.Close();
  const std::string settings = run.SettingsFileText();
  EXPECT_NE(settings.find("[Viewer]"), std::string::npos);
  EXPECT_NE(settings.find("Width="), std::string::npos);
}

TEST_F(ViewerTest, Utf16AndEncodingsChosenFromTheMenu) {
  const std::string utf16 = std::string("\xFF\xFE", 2) + std::string("G\0r\0\xFC\0\xDF\0e\0\r\0\n\0\xA9\x03", 16);
  WriteBytes(folder_ + "u16.txt", utf16);
  WriteBytes(folder_ + "ansi.txt", "caf\xE9");
  RunningWindow run(Settings().c_str());
  ViewerWindow* viewer = View(run, "u16.txt");
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(viewer->Encoding(), ViewerEncoding::kUtf16Le);
  EXPECT_EQ(viewer->ShownTexts(), (std::vector<std::string>{"Grüße", "Ω"}));
  viewer->ExecuteCommand(ID_VIEWER_UTF16BE);
  EXPECT_EQ(viewer->Encoding(), ViewerEncoding::kUtf16Be);
  EXPECT_NE(viewer->ShownTexts().front(), "Grüße");
  viewer->ExecuteCommand(ID_VIEWER_UTF16LE);
  EXPECT_EQ(viewer->ShownTexts().front(), "Grüße");
  // Not UTF-8: read in the ANSI code page; as UTF-8 the byte is U+FFFD.
  PressKey(*viewer, viewer->Pane(), 'P');
  EXPECT_EQ(viewer->Encoding(), ViewerEncoding::kAnsi);
  viewer->ExecuteCommand(ID_VIEWER_UTF8);
  EXPECT_EQ(viewer->ShownTexts(), std::vector<std::string>{"caf\xEF\xBF\xBD"});
  PressKey(*viewer, viewer->Pane(), VK_ESCAPE);
}

TEST_F(ViewerTest, PicturesAndWhatCannotBeDecodedFallsBackToHex) {
  if (!WritePng(folder_ + "two.png", 40, 30)) GTEST_SKIP() << "no PNG encoder";
  WriteBytes(folder_ + "zbroken.png", "not a picture at all");
  RunningWindow run(Settings().c_str());
  ViewerWindow* viewer = View(run, "two.png");
  ASSERT_NE(viewer, nullptr);
  ASSERT_TRUE(viewer->ShowsPicture()) << viewer->StatusText();
  const Picture& picture = viewer->ShownPicture();
  ASSERT_TRUE(picture.Ok());
  EXPECT_EQ(picture.sourceWidth, 40);
  EXPECT_EQ(picture.sourceHeight, 30);
  EXPECT_EQ(picture.pixels[picture.width / 4 + picture.width * (picture.height / 2)], 0xFF0000u);
  EXPECT_EQ(picture.pixels[picture.width * 3 / 4 + picture.width * (picture.height / 2)], 0x0000FFu);
  // Drawn: the pane shows red on its left and blue on its right.
  Pump(viewer);
  UpdateWindow(viewer->Pane());
  const std::vector<uint32_t> pixels = ClientPixels(viewer->Pane());
  RECT pane;
  GetClientRect(viewer->Pane(), &pane);
  const auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * pane.right + x] & 0xFFFFFF; };
  EXPECT_EQ(at(pane.right / 2 - 5, pane.bottom / 2), 0xFF0000u);
  EXPECT_EQ(at(pane.right / 2 + 5, pane.bottom / 2), 0x0000FFu);

  PressKey(*viewer, viewer->Pane(), 'N');
  ASSERT_TRUE(PumpUntil(*viewer, [viewer] { return !viewer->Busy(); }));
  EXPECT_FALSE(viewer->ShowsPicture());
  EXPECT_EQ(viewer->Mode(), ViewerMode::kHex);
  EXPECT_EQ(viewer->MessageText(), EnglishTexts().Text(text::kViewerNoPicture));
  PressKey(*viewer, viewer->Pane(), VK_ESCAPE);
}

TEST_F(ViewerTest, EndOfATenGibibyteFileShowsItsLastLine) {
  const std::string path = folder_ + "huge.log";
  const uint64_t size = 10ull << 30;
  {
    FileHandle file(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD ignored = 0;
    DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    // Text at its start, so that it opens as text; nothing but a hole after it.
    std::string head;
    while (head.size() < 8192) head += "a line of the log's start\r\n";
    DWORD headWritten = 0;
    ASSERT_TRUE(WriteFile(file.Get(), head.data(), static_cast<DWORD>(head.size()), &headWritten, nullptr));
    const std::string tail = "\nthe line before\nthe very last line\n";
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(size - tail.size());
    ASSERT_TRUE(SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.Get(), tail.data(), static_cast<DWORD>(tail.size()), &written, nullptr));
  }
  RunningWindow run(Settings().c_str());
  ViewerWindow* viewer = View(run, "huge.log");
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(viewer->FileSize(), size);
  PressKey(*viewer, viewer->Pane(), VK_END, kCtrl);
  std::vector<std::string> shown = viewer->ShownTexts();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back(), "the very last line");
  EXPECT_EQ(shown[shown.size() - 2], "the line before");
  EXPECT_LE(viewer->CacheBytes(), 32u << 20);
  // Home, then the thumb dragged to the middle: a line of the middle shows.
  PressKey(*viewer, viewer->Pane(), VK_HOME, kCtrl);
  EXPECT_EQ(viewer->Top(), 0u);
  SendMessageW(viewer->Pane(), WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
  EXPECT_EQ(viewer->ShownTexts().back(), "the very last line");
  PressKey(*viewer, viewer->Pane(), VK_ESCAPE);
}

TEST_F(ViewerTest, FindAcrossReadBoundariesAsAJobThenGoToALine) {
  std::string bytes((5 << 20) + 100, 'a');
  for (size_t i = 63; i < bytes.size(); i += 64) bytes[i] = '\n';
  const size_t first = (1 << 20) - 3;   // across a page of the find's cache
  const size_t second = (4 << 20) - 2;  // across one step of the search
  bytes.replace(first, 6, "NEEDLE");
  bytes.replace(second, 6, "needle");
  WriteBytes(folder_ + "big.txt", bytes);
  RunningWindow run(Settings().c_str());
  ViewerWindow* viewer = View(run, "big.txt");
  ASSERT_NE(viewer, nullptr);
  {
    DialogResponder responder({Answer{IDOK, [](HWND dialog) {
                                        SetDlgItemTextW(dialog, IDC_FIND_TEXT, L"needle");
                                        CheckDlgButton(dialog, IDC_FIND_IGNORE_CASE, BST_CHECKED);
                                      }}});
    PressKey(*viewer, viewer->Pane(), 'F', kCtrl);
    ASSERT_TRUE(responder.Answered());
  }
  ASSERT_TRUE(PumpUntil(*viewer, [viewer] { return !viewer->Busy(); }));
  EXPECT_EQ(viewer->Selection(), Span(first, first + 6)) << viewer->StatusText();
  PressKey(*viewer, viewer->Pane(), VK_F7, kShift);
  ASSERT_TRUE(PumpUntil(*viewer, [viewer] { return !viewer->Busy(); }));
  EXPECT_EQ(viewer->Selection(), Span(second, second + 6));
  PressKey(*viewer, viewer->Pane(), VK_F7, kShift);
  ASSERT_TRUE(PumpUntil(*viewer, [viewer] { return !viewer->Busy(); }));
  EXPECT_EQ(viewer->MessageText(), FormatText(EnglishTexts().Text(text::kViewerNotFound), {"needle"}));
  PressKey(*viewer, viewer->Pane(), VK_F7, kAlt);
  ASSERT_TRUE(PumpUntil(*viewer, [viewer] { return !viewer->Busy(); }));
  EXPECT_EQ(viewer->Selection().first, first);
  // Case kept: only the capitals match.
  viewer->StartFind({"NEEDLE", false, false, false});
  ASSERT_TRUE(PumpUntil(*viewer, [viewer] { return !viewer->Busy(); }));
  EXPECT_NE(viewer->Selection().first, second);
  // Hex bytes.
  viewer->Select(0, 0);
  viewer->StartFind({"4E 45 45 44", true, false, false});
  ASSERT_TRUE(PumpUntil(*viewer, [viewer] { return !viewer->Busy(); }));
  EXPECT_EQ(viewer->Selection().first, first);

  // Go to line 1000: lines are 64 bytes long.
  {
    DialogResponder responder({Answer{IDOK, IDC_GOTO_TEXT, "1000"}});
    PressKey(*viewer, viewer->Pane(), 'G', kCtrl);
    ASSERT_TRUE(responder.Answered());
  }
  ASSERT_TRUE(PumpUntil(*viewer, [viewer] { return !viewer->Busy(); }));
  EXPECT_EQ(viewer->Top(), 999u * 64);
  PressKey(*viewer, viewer->Pane(), VK_ESCAPE);
}

TEST_F(ViewerTest, CopyTheSelectionAndAFileThatShrinksOrGoes) {
  std::string lines;
  for (int i = 0; i < 500; ++i) lines += "line " + std::to_string(i) + "\r\n";
  WriteBytes(folder_ + "grow.txt", lines);
  RunningWindow run(Settings().c_str());
  ViewerWindow* viewer = View(run, "grow.txt");
  ASSERT_NE(viewer, nullptr);
  viewer->Select(8, 14);
  PressKey(*viewer, viewer->Pane(), 'C', kCtrl);
  ASSERT_TRUE(OpenClipboard(viewer->Handle()));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(GlobalLock(data))), L"line 1");
  GlobalUnlock(data);
  CloseClipboard();

  PressKey(*viewer, viewer->Pane(), VK_END, kCtrl);
  EXPECT_EQ(viewer->ShownTexts().back(), "line 499");
  // Cut short on disk while shown, then reloaded: the shorter file's end.
  {
    FileHandle file(CreateFileW(Widen(folder_ + "grow.txt").c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS, 0,
                                nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.Get(), "line 0\r\nline 1\r\n", 16, &written, nullptr));
  }
  PressKey(*viewer, viewer->Pane(), 'R');
  EXPECT_EQ(viewer->ShownTexts().back(), "line 1");
  // Followed: what is appended shows by itself.
  PressKey(*viewer, viewer->Pane(), 'F');
  {
    FileHandle file(CreateFileW(Widen(folder_ + "grow.txt").c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.Get(), "appended\r\n", 10, &written, nullptr));
  }
  EXPECT_TRUE(PumpUntil(*viewer, [viewer] { return viewer->ShownTexts().back() == "appended"; }, 5000));
  // Gone: a reload says so and shows nothing.
  PressKey(*viewer, viewer->Pane(), 'F');
  ASSERT_TRUE(DeleteFileW(Widen(folder_ + "grow.txt").c_str()));
  PressKey(*viewer, viewer->Pane(), 'R');
  EXPECT_NE(viewer->MessageText().find("grow.txt"), std::string::npos) << viewer->MessageText();
  EXPECT_TRUE(viewer->ShownTexts().empty());
  PressKey(*viewer, viewer->Pane(), VK_ESCAPE);
}

TEST(ViewerNumbers, ParseViewerNumber) {
  struct Row {
    const char* text;
    std::optional<uint64_t> value;
  };
  const Row rows[] = {{"1000", 1000},          {"1 000 000", 1000000}, {"0x1F", 31},   {"1Fh", 31},
                      {"", std::nullopt},      {"12a", std::nullopt},  {"0x", std::nullopt},
                      {"18446744073709551615", UINT64_MAX},            {"18446744073709551616", std::nullopt}};
  for (const Row& row : rows) EXPECT_EQ(ParseViewerNumber(row.text), row.value) << row.text;
}

}  // namespace
}  // namespace px::test
