// What the in-memory file system promises the engine's tests: the rules of
// the platform it stands for, and faults that do what they say. The fault
// sweep trusts every one of these; a broken rule here would hide engine faults.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/fileops/MemoryFileSystem.h"

namespace px {
namespace {

MemoryFileSystem& Drives(MemoryFileSystem& fs) {
  fs.AddVolume("C:\\", 1);
  fs.AddVolume("D:\\", 2);
  (void)fs.AddAlias("Z:\\", "C:\\");
  return fs;
}

FileIdentity IdentityOf(MemoryFileSystem& fs, const std::string& path) { return fs.Identity(path).value; }

TEST(MemoryFileSystem, RulesOfRemovalAndRenaming) {
  MemoryFileSystem fs;
  Drives(fs);
  ASSERT_TRUE(fs.AddFile("C:\\d\\ro", "r", kAttrReadOnly));
  ASSERT_TRUE(fs.AddFile("C:\\d\\a", "a"));
  ASSERT_TRUE(fs.AddFile("C:\\d\\b", "b"));
  ASSERT_TRUE(fs.AddFile("C:\\e\\x", "x"));
  EXPECT_EQ(fs.RemoveFile("C:\\d\\ro").error, FsError::kAccessDenied);
  EXPECT_EQ(fs.Rename("C:\\d\\a", "C:\\d\\b", kRenamePlain).error, FsError::kAlreadyExists);
  EXPECT_EQ(fs.Rename("C:\\d\\a", "C:\\d\\ro", kRenameReplaceExisting).error, FsError::kAccessDenied);
  EXPECT_EQ(fs.Rename("C:\\d\\a", "D:\\a", kRenamePlain).error, FsError::kNotSameDevice);
  EXPECT_EQ(fs.RemoveFolder("C:\\e\\", IdentityOf(fs, "C:\\e")).error, FsError::kNotEmpty);
  EXPECT_EQ(fs.RemoveFolder("C:\\e\\", IdentityOf(fs, "C:\\d")).error, FsError::kReplaced);
  EXPECT_EQ(fs.Content("C:\\d\\ro"), "r");
  EXPECT_EQ(fs.Content("C:\\d\\b"), "b");
  EXPECT_TRUE(fs.Rename("C:\\d\\a", "C:\\d\\b", kRenameReplaceExisting).Ok());
  EXPECT_EQ(fs.Content("C:\\d\\b"), "a");
  EXPECT_FALSE(fs.Content("C:\\d\\a"));
  // A file open for writing is neither read nor removed meanwhile.
  FsResult<FileId> open = fs.CreateNewFile("C:\\d\\new");
  ASSERT_TRUE(open.Ok());
  EXPECT_EQ(fs.OpenRead("C:\\d\\new").error, FsError::kSharingViolation);
  EXPECT_EQ(fs.RemoveFile("C:\\d\\new").error, FsError::kSharingViolation);
  EXPECT_EQ(fs.CreateNewFile("C:\\d\\NEW").error, FsError::kAlreadyExists);
  EXPECT_TRUE(fs.Close(open.value).Ok());
  EXPECT_EQ(fs.OpenFileCount(), 0u);
  // Snapshots keep attributes, and say which entries are folders and links.
  ASSERT_TRUE(fs.AddFolderLink("C:\\lnk", "C:\\e\\"));
  const auto snapshot = fs.Snapshot();
  EXPECT_EQ(snapshot.at("c:\\d\\ro").attributes, kAttrReadOnly);
  EXPECT_TRUE(snapshot.at("c:\\e\\").folder);
  EXPECT_TRUE(snapshot.at("c:\\lnk\\").link);
  EXPECT_EQ(snapshot.count("c:\\lnk\\x"), 0u);  // links are not walked
}

// A folder may hold names that differ only in case (as the other side of a
// case-sensitive system makes them): a call finds the exact spelling first,
// another only when that is gone, as the platform does.
TEST(MemoryFileSystem, SpellingsNamesThatListAlikeAndWhatOthersDo) {
  MemoryFileSystem fs;
  Drives(fs);
  ASSERT_TRUE(fs.AddFile("C:\\d\\Report.txt", "upper"));
  ASSERT_TRUE(fs.AddFile("C:\\d\\report.txt", "lower"));
  EXPECT_FALSE(fs.AddFile("C:\\d\\report.txt", "again"));
  EXPECT_EQ(fs.Lookup("C:\\d\\report.txt").value.name, "report.txt");
  EXPECT_EQ(fs.Lookup("C:\\d\\Report.txt").value.name, "Report.txt");
  EXPECT_EQ(fs.List("C:\\d\\").value.size(), 2u);
  EXPECT_TRUE(fs.Erase("C:\\d\\Report.txt"));
  EXPECT_FALSE(fs.Erase("C:\\d\\REPORT.TXT"));  // another program's calls are exact
  EXPECT_EQ(fs.Lookup("C:\\d\\Report.txt").value.name, "report.txt");
  EXPECT_TRUE(fs.RemoveFile("C:\\d\\Report.txt").Ok());  // reaches the other spelling
  EXPECT_FALSE(fs.Has("C:\\d\\report.txt"));

  const std::string twin = "bad\xEF\xBF\xBD.txt";
  ASSERT_TRUE(fs.AddFileListedAs("C:\\d\\bad1", twin, "one"));
  ASSERT_TRUE(fs.AddFileListedAs("C:\\d\\bad2", twin, "two"));
  FsResult<std::vector<EntryInfo>> listed = fs.List("C:\\d\\");
  ASSERT_EQ(listed.value.size(), 2u);
  EXPECT_EQ(listed.value[0].name, twin);
  EXPECT_EQ(listed.value[1].name, twin);
  EXPECT_EQ(fs.Content("C:\\d\\" + twin), "one");  // the first of them
  EXPECT_TRUE(fs.MoveAside("C:\\d\\bad1", "C:\\d\\moved"));
  EXPECT_EQ(fs.Content("C:\\d\\moved"), "one");
  EXPECT_EQ(fs.Content("C:\\d\\" + twin), "two");
}

TEST(MemoryFileSystem, LinksAliasesAndRealPaths) {
  MemoryFileSystem fs;
  Drives(fs);
  ASSERT_TRUE(fs.AddFile("C:\\tree\\sub\\f", "f"));
  ASSERT_TRUE(fs.AddFolder("C:\\empty\\"));
  ASSERT_TRUE(fs.AddFolderLink("C:\\c\\b", "C:\\tree\\sub\\"));
  ASSERT_TRUE(fs.AddFolderLink("C:\\c\\e", "C:\\empty\\"));
  static const struct {
    const char* path;
    const char* real;
    FsError error;
  } kCases[] = {
      {"C:\\c\\b", "C:\\tree\\sub", FsError::kOk},
      {"C:\\c\\B\\F", "C:\\tree\\sub\\f", FsError::kOk},
      {"Z:\\TREE", "C:\\tree", FsError::kOk},
      {"C:\\", "C:\\", FsError::kOk},
      {"C:\\c\\b\\missing", "", FsError::kNotFound},
      {"Q:\\x", "", FsError::kNotFound},
  };
  for (const auto& c : kCases) {
    FsResult<std::string> real = fs.RealPath(c.path);
    EXPECT_EQ(real.error, c.error) << c.path;
    EXPECT_EQ(real.value, c.real) << c.path;
  }
  EXPECT_TRUE(fs.Lookup("C:\\c\\b").value.IsLink());
  EXPECT_EQ(IdentityOf(fs, "C:\\c\\b"), IdentityOf(fs, "Z:\\tree\\sub"));
  // A link is never removed as a folder; RemoveLink takes the link alone.
  EXPECT_EQ(fs.RemoveFolder("C:\\c\\e\\", IdentityOf(fs, "C:\\c\\e")).error, FsError::kReplaced);
  EXPECT_TRUE(fs.RemoveLink("C:\\c\\e").Ok());
  EXPECT_TRUE(fs.Has("C:\\empty"));
  EXPECT_FALSE(fs.Has("C:\\c\\e"));
  EXPECT_EQ(fs.RemoveLink("C:\\tree").error, FsError::kAccessDenied);
  fs.SetLinksOnlyFollowed(true);
  EXPECT_EQ(fs.RemoveLink("C:\\c\\b").error, FsError::kAccessDenied);
  EXPECT_TRUE(fs.Has("C:\\c\\b"));
}

// Each fault mode does what it says, on the calls it names, and is counted.
TEST(MemoryFileSystem, FaultsFireAsToldAndAreCounted) {
  MemoryFileSystem fs;
  Drives(fs);
  ASSERT_TRUE(fs.AddFile("C:\\src\\f", "0123456789"));
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(fs.AddFile("C:\\list\\n" + std::to_string(i), "x"));
  fs.ResetCalls();
  fs.AddFault({FsOp::kLookup, 2, FaultMode::kFail, FsError::kAccessDenied, 2});
  EXPECT_TRUE(fs.Lookup("C:\\src\\f").Ok());
  EXPECT_EQ(fs.Lookup("C:\\src\\f").error, FsError::kAccessDenied);
  EXPECT_EQ(fs.Lookup("C:\\src\\f").error, FsError::kAccessDenied);
  EXPECT_TRUE(fs.Lookup("C:\\src\\f").Ok());
  EXPECT_EQ(fs.FaultsFired(), 2u);

  fs.AddFault({FsOp::kList, 1, FaultMode::kPartialList, FsError::kIo});
  FsResult<std::vector<EntryInfo>> partial = fs.List("C:\\list\\");
  EXPECT_EQ(partial.error, FsError::kIo);
  EXPECT_EQ(partial.value.size(), 2u);

  // A write that fails stores half; a close that fails loses the tail.
  fs.AddFault({FsOp::kWrite, 1, FaultMode::kFail, FsError::kDiskFull});
  fs.AddFault({FsOp::kClose, 2, FaultMode::kFail, FsError::kIo});
  FsResult<FileId> out = fs.CreateNewFile("C:\\out");
  ASSERT_TRUE(out.Ok());
  EXPECT_EQ(fs.Write(out.value, "abcd", 4).error, FsError::kDiskFull);
  EXPECT_TRUE(fs.Write(out.value, "efgh", 4).Ok());
  EXPECT_EQ(fs.SizeOf(out.value).value, 6u);
  FsResult<FileId> in = fs.OpenRead("C:\\src\\f");
  EXPECT_TRUE(fs.Close(in.value).Ok());
  EXPECT_EQ(fs.Close(out.value).error, FsError::kIo);
  EXPECT_EQ(fs.Content("C:\\out"), "abe");
  EXPECT_EQ(fs.OpenFileCount(), 0u);

  // Another program changes a file while it is read.
  fs.AddFault({FsOp::kRead, 1, FaultMode::kShrink, FsError::kOk});
  fs.AddFault({FsOp::kRead, 2, FaultMode::kGrow, FsError::kOk});
  in = fs.OpenRead("C:\\src\\f");
  char buffer[64];
  EXPECT_EQ(fs.Read(in.value, buffer, 4).value, 4u);
  EXPECT_EQ(fs.ChangedBody(), "01234");
  EXPECT_EQ(fs.Read(in.value, buffer, 4).value, 4u);
  EXPECT_EQ(fs.ChangedByFault(), "C:\\src\\f");
  EXPECT_EQ(fs.ChangedBody(), "01234++++");
  EXPECT_TRUE(fs.Close(in.value).Ok());

  // A corrupted write stores one byte changed and reports success; a file
  // opened from the disk with a corrupting fault reads one byte changed;
  // OpenReadFromDisk fails as told, like OpenRead.
  fs.AddFault({FsOp::kWrite, fs.Calls(FsOp::kWrite) + 1, FaultMode::kCorrupt, FsError::kOk});
  fs.AddFault({FsOp::kOpenReadFromDisk, 1, FaultMode::kCorrupt, FsError::kOk});
  fs.AddFault({FsOp::kOpenReadFromDisk, 3, FaultMode::kFail, FsError::kSharingViolation});
  out = fs.CreateNewFile("C:\\bent");
  ASSERT_TRUE(out.Ok());
  EXPECT_TRUE(fs.Write(out.value, "abcd", 4).Ok());
  EXPECT_TRUE(fs.Write(out.value, "efgh", 4).Ok());
  EXPECT_TRUE(fs.Close(out.value).Ok());
  EXPECT_EQ(fs.Content("C:\\bent"), "abCdefgh");
  const uint32_t fired = fs.FaultsFired();
  ASSERT_TRUE(fs.AddFile("C:\\src\\g", "abcdefghij"));
  for (const char* expected : {"abcDefghIj", "abcdefghij"}) {
    in = fs.OpenReadFromDisk("C:\\src\\g");
    ASSERT_TRUE(in.Ok());
    EXPECT_EQ(fs.Read(in.value, buffer, 6).value, 6u);
    EXPECT_EQ(fs.Read(in.value, buffer + 6, 64).value, 4u);
    EXPECT_EQ(std::string(buffer, 10), expected);
    EXPECT_TRUE(fs.Close(in.value).Ok());
  }
  EXPECT_EQ(fs.OpenReadFromDisk("C:\\src\\g").error, FsError::kSharingViolation);
  EXPECT_EQ(fs.FaultsFired(), fired + 2);
  EXPECT_EQ(fs.BytesCorrupted(), 3u);  // one write, two reads
  EXPECT_EQ(fs.Calls(FsOp::kOpenReadFromDisk), 3u);

  fs.AddFault({FsOp::kRemoveLink, 1, FaultMode::kFollowLink, FsError::kOk});
  ASSERT_TRUE(fs.AddFolder("C:\\empty\\"));
  ASSERT_TRUE(fs.AddFolderLink("C:\\e", "C:\\empty\\"));
  EXPECT_TRUE(fs.RemoveLink("C:\\e").Ok());
  EXPECT_TRUE(fs.Has("C:\\e"));
  EXPECT_FALSE(fs.Has("C:\\empty"));
  fs.ResetCalls();
  EXPECT_EQ(fs.FaultsFired(), 0u);
}

}  // namespace
}  // namespace px
