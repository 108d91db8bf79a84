// Which launches are within the lengths the shell can take.
#include "core/panel/LaunchLimits.h"

#include <gtest/gtest.h>

#include <string>

namespace px {
namespace {

// A folder of exactly length characters, final backslash included.
std::string FolderOf(size_t length) { return "C:\\" + std::string(length - 4, 'd') + "\\"; }

std::string Repeat(const std::string& text, int times) {
  std::string repeated;
  for (int i = 0; i < times; ++i) repeated += text;
  return repeated;
}

TEST(LaunchLimits, LengthsAtAndAcrossEachLimit) {
  using R = LaunchRefusal;
  const std::string pi = "\xCF\x80";  // two UTF-8 bytes, one UTF-16 unit
  const std::string clef = "\xF0\x9D\x84\x9E";  // four bytes, two units
  const std::string umlaut = "\xC3\xA4";          // two bytes, one unit
  const std::string han = "\xE4\xB8\x80";         // three bytes, one unit
  struct Case {
    std::string program, parameters, folder;
    ProgramPlace place;
    R expected;
  } const cases[] = {
      {"cmd", "/c dir", "C:\\", ProgramPlace::kAnywhere, R::kNone},
      {"cmd", "", FolderOf(259), ProgramPlace::kAnywhere, R::kNone},
      {"cmd", "", FolderOf(260), ProgramPlace::kAnywhere, R::kFolderTooLong},
      {"cmd", "", FolderOf(259).substr(0, 258), ProgramPlace::kAnywhere, R::kNone},
      {"cmd", "", FolderOf(260).substr(0, 259), ProgramPlace::kAnywhere, R::kFolderTooLong},
      {"cmd", "", FolderOf(640), ProgramPlace::kAnywhere, R::kFolderTooLong},
      // Counted in UTF-16 units, not bytes.
      {"cmd", "", "C:\\" + Repeat(pi, 255) + "\\", ProgramPlace::kAnywhere, R::kNone},
      {"cmd", "", "C:\\" + Repeat(clef, 128) + "\\", ProgramPlace::kAnywhere, R::kFolderTooLong},
      {std::string(259, 'p'), "", "C:\\", ProgramPlace::kAnywhere, R::kNone},
      {std::string(260, 'p'), "", "C:\\", ProgramPlace::kAnywhere, R::kProgramTooLong},
      {std::string(4000, 'p'), "", "C:\\", ProgramPlace::kAnywhere, R::kProgramTooLong},
      {std::string(100, 'f'), "", FolderOf(159), ProgramPlace::kInFolder, R::kNone},
      {std::string(101, 'f'), "", FolderOf(159), ProgramPlace::kInFolder, R::kPathTooLong},
      {std::string(101, 'f'), "", FolderOf(159), ProgramPlace::kAnywhere, R::kNone},
      {"f", "", FolderOf(260), ProgramPlace::kInFolder, R::kFolderTooLong},
      {"cmd", std::string(32760, 'x'), "C:\\", ProgramPlace::kAnywhere, R::kNone},
      {"cmd", std::string(32761, 'x'), "C:\\", ProgramPlace::kAnywhere, R::kLineTooLong},
      // Programs, folders and parameters of two-, three- and four-byte
      // characters at each limit: 200 of a-umlaut are 400 bytes but 200 units.
      {Repeat(umlaut, 200), "", "C:\\", ProgramPlace::kAnywhere, R::kNone},
      {Repeat(umlaut, 259), "", "C:\\", ProgramPlace::kAnywhere, R::kNone},
      {Repeat(umlaut, 260), "", "C:\\", ProgramPlace::kAnywhere, R::kProgramTooLong},
      {Repeat(han, 259), "", "C:\\", ProgramPlace::kAnywhere, R::kNone},
      {Repeat(han, 260), "", "C:\\", ProgramPlace::kAnywhere, R::kProgramTooLong},
      {"p" + Repeat(clef, 129), "", "C:\\", ProgramPlace::kAnywhere, R::kNone},
      {Repeat(clef, 130), "", "C:\\", ProgramPlace::kAnywhere, R::kProgramTooLong},
      {"cmd", "", "C:\\" + Repeat(han, 255) + "\\", ProgramPlace::kAnywhere, R::kNone},
      {"cmd", "", "C:\\" + Repeat(han, 256) + "\\", ProgramPlace::kAnywhere, R::kFolderTooLong},
      {"cmd", "", "C:\\" + Repeat(umlaut, 256), ProgramPlace::kAnywhere, R::kFolderTooLong},
      {"cmd", "", "C:\\d" + Repeat(clef, 127) + "\\", ProgramPlace::kAnywhere, R::kNone},
      {Repeat(umlaut, 155), "", "C:\\" + Repeat(umlaut, 100) + "\\", ProgramPlace::kInFolder, R::kNone},
      {Repeat(umlaut, 156), "", "C:\\" + Repeat(umlaut, 100) + "\\", ProgramPlace::kInFolder,
       R::kPathTooLong},
      {Repeat(clef, 77), "", "C:\\" + Repeat(han, 100) + "\\", ProgramPlace::kInFolder, R::kNone},
      {Repeat(clef, 78), "", "C:\\" + Repeat(han, 100) + "\\", ProgramPlace::kInFolder, R::kPathTooLong},
      {"cmd", Repeat(umlaut, 32760), "C:\\", ProgramPlace::kAnywhere, R::kNone},
      {"cmd", Repeat(umlaut, 32761), "C:\\", ProgramPlace::kAnywhere, R::kLineTooLong},
      {Repeat(clef, 100), Repeat(han, 32563), "C:\\", ProgramPlace::kAnywhere, R::kNone},
      {Repeat(clef, 100), Repeat(han, 32564), "C:\\", ProgramPlace::kAnywhere, R::kLineTooLong},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CheckLaunchLengths(c.program, c.parameters, c.folder, c.place), c.expected)
        << c.program.size() << " " << c.parameters.size() << " " << c.folder.size();
}

}  // namespace
}  // namespace px
