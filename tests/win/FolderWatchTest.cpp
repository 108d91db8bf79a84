// Watching a folder for changes on disk, and looking up one entry by name.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/jobs/JobRunner.h"
#include "core/panel/FolderChanges.h"
#include "framework/FolderWatch.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "panels/Win32DirectorySource.h"
#include "tests/win/Harness.h"

namespace px::test {
namespace {

// Polls Take into batch (which keeps what came before) until done holds;
// false when it did not within the time.
bool TakeUntil(FolderWatch& watch, ChangeBatch& batch, const std::function<bool()>& done,
               int milliseconds = 5000) {
  for (int waited = 0; waited < milliseconds; waited += 10) {
    (void)watch.Take(batch);
    if (done()) return true;
    Sleep(10);
  }
  (void)watch.Take(batch);
  return done();
}

// What the batch leaves to do for name, if anything.
std::optional<ChangeEffect> EffectFor(const ChangeBatch& batch, const std::string& name) {
  for (const FoldedChange& change : batch.Changes()) {
    if (change.name == name) return change.effect;
  }
  return std::nullopt;
}

bool Holds(const ChangeBatch& batch, const std::string& name, ChangeEffect effect) {
  return EffectFor(batch, name) == effect;
}

// The entry a listing of folder gives for name, when it lists one.
std::optional<FoundEntry> ListedEntry(const std::string& folder, const std::string& name) {
  std::optional<FoundEntry> found;
  Win32DirectorySource source;
  if (source.Enumerate(folder, [&](FoundEntry&& entry) {
        if (entry.name == name) found = std::move(entry);
      }) != ListStatus::kOk) {
    return std::nullopt;
  }
  return found;
}

void ExpectSameEntry(const std::optional<FoundEntry>& a, const std::optional<FoundEntry>& b) {
  ASSERT_TRUE(a.has_value());
  ASSERT_TRUE(b.has_value());
  EXPECT_EQ(a->name, b->name);
  EXPECT_EQ(a->size, b->size);
  EXPECT_EQ(a->writeTime, b->writeTime);
  EXPECT_EQ(a->attributes, b->attributes);
}

TEST(FolderWatch, ReportsFilesCreatedChangedRenamedAndDeleted) {
  TempFolder folder;
  JobRunner jobs;
  FolderWatch watch(jobs, folder.Path());
  ASSERT_TRUE(watch.Started());
  EXPECT_FALSE(watch.Failed());

  ChangeBatch batch;
  EXPECT_FALSE(watch.Take(batch));  // nothing happened yet
  EXPECT_TRUE(batch.Empty());

  // Created: the name exactly as spelled, case included.
  ASSERT_TRUE(WriteBytes(folder.Path() + "MiXed Case.TXT", "one"));
  EXPECT_TRUE(TakeUntil(watch, batch,
                        [&] { return Holds(batch, "MiXed Case.TXT", ChangeEffect::kReread); }));
  EXPECT_FALSE(batch.ListAgain());
  EXPECT_GE(watch.RecordsSeen(), 1u);

  // Written again.
  batch.Clear();
  const uint64_t seen = watch.RecordsSeen();
  ASSERT_TRUE(WriteBytes(folder.Path() + "MiXed Case.TXT", "a longer content"));
  EXPECT_TRUE(TakeUntil(watch, batch, [&] {
    return Holds(batch, "MiXed Case.TXT", ChangeEffect::kReread) && watch.RecordsSeen() > seen;
  }));

  // Renamed: the old name goes, the new one is read.
  batch.Clear();
  ASSERT_TRUE(MoveFileW(Widen(folder.Path() + "MiXed Case.TXT").c_str(),
                        Widen(folder.Path() + "renamed.txt").c_str()));
  EXPECT_TRUE(TakeUntil(watch, batch, [&] {
    return Holds(batch, "MiXed Case.TXT", ChangeEffect::kGone) &&
           Holds(batch, "renamed.txt", ChangeEffect::kReread);
  }));

  // A folder made, and a file deleted.
  batch.Clear();
  folder.Make("sub");
  ASSERT_TRUE(DeleteFileW(Widen(folder.Path() + "renamed.txt").c_str()));
  EXPECT_TRUE(TakeUntil(watch, batch, [&] {
    return Holds(batch, "sub", ChangeEffect::kReread) &&
           Holds(batch, "renamed.txt", ChangeEffect::kGone);
  }));
  EXPECT_FALSE(batch.ListAgain());

  // A change made beside the platform's rules (by the system's own tools)
  // is reported too.
  batch.Clear();
  ASSERT_TRUE(RunShell(folder.Path(), "echo x > unix-side.txt"));
  EXPECT_TRUE(TakeUntil(watch, batch,
                        [&] { return Holds(batch, "unix-side.txt", ChangeEffect::kReread); }));

  EXPECT_FALSE(watch.Failed());
  // Taken: nothing is left over.
  batch.Clear();
  while (watch.Take(batch)) batch.Clear();
  EXPECT_FALSE(watch.Take(batch));
}

TEST(FolderWatch, NamesBeyondAsciiAndLongPathsAreReportedExactly) {
  TempFolder folder;
  // A folder whose path is longer than the platform's old limit.
  std::string deep = folder.Path();
  for (int i = 0; deep.size() < 300; ++i) {
    deep += std::string(60, static_cast<char>('a' + i)) + "\\";
    ASSERT_TRUE(CreateDirectoryW(FileApiPath(deep).c_str(), nullptr));
  }
  JobRunner jobs;
  FolderWatch watch(jobs, deep);
  ASSERT_TRUE(watch.Started());
  const std::string name = "Gr\xc3\xbc\xc3\x9f\x65 \xe2\x9c\x93 \xf0\x9f\x98\x80.txt";  // "Grüße ✓ 😀.txt"
  ASSERT_TRUE(WriteBytes(deep + name, "x"));
  ChangeBatch batch;
  EXPECT_TRUE(TakeUntil(watch, batch, [&] { return Holds(batch, name, ChangeEffect::kReread); }));
  std::optional<FoundEntry> entry = LookUpEntry(deep, name);
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->name, name);
  EXPECT_EQ(entry->size, 1u);
}

TEST(FolderWatch, FolderGivenWithoutTrailingBackslashIsWatchedAlike) {
  TempFolder folder;
  JobRunner jobs;
  std::string path = folder.Path();
  path.pop_back();
  FolderWatch watch(jobs, path);
  ASSERT_TRUE(watch.Started());
  ChangeBatch batch;
  ASSERT_TRUE(WriteBytes(folder.Path() + "x.bin", "x"));
  EXPECT_TRUE(TakeUntil(watch, batch, [&] { return Holds(batch, "x.bin", ChangeEffect::kReread); }));
}

TEST(FolderWatch, BurstOfCreatesEndsInTheNamesOrAListingWithBoundedMemory) {
  constexpr int kFiles = 5000;
  // Made on the Unix side: through the platform's calls, each create in a
  // growing folder costs Wine milliseconds.
  const std::string makeFiles =
      "i=0; while [ $i -lt " + std::to_string(kFiles) + " ]; do echo f$i; i=$((i+1)); done | xargs touch";

  // Taken as they come: every name arrives, or the batch asks for a listing.
  {
    TempFolder folder;
    JobRunner jobs;
    FolderWatch watch(jobs, folder.Path());
    ASSERT_TRUE(watch.Started());
    bool made = false;
    std::thread maker([&] { made = RunShell(folder.Path(), makeFiles); });
    std::set<std::string> names;
    bool listAgain = false;
    size_t largestTake = 0;
    ChangeBatch batch(1000000);  // a limit of its own out of the way
    const bool ended = TakeUntil(watch, batch, [&] {
      if (batch.ListAgain()) listAgain = true;
      largestTake = std::max(largestTake, batch.Changes().size());
      for (const FoldedChange& change : batch.Changes()) names.insert(change.name);
      batch.Clear();
      return listAgain || names.size() == static_cast<size_t>(kFiles);
    }, 30000);
    maker.join();
    ASSERT_TRUE(made);
    EXPECT_TRUE(ended) << names.size() << " names";
    // What one Take hands over stays within the watch's own bound.
    EXPECT_LE(largestTake, ChangeBatch::kMaxNames);
    std::printf("  burst taken as it came: %s, %zu names, %llu records\n",
                listAgain ? "a listing asked for" : "every name",
                names.size(), static_cast<unsigned long long>(watch.RecordsSeen()));

    // The watch goes on.
    while (watch.Take(batch)) batch.Clear();
    ASSERT_TRUE(WriteBytes(folder.Path() + "after.txt", "x"));
    EXPECT_TRUE(
        TakeUntil(watch, batch, [&] { return Holds(batch, "after.txt", ChangeEffect::kReread); }));
    EXPECT_FALSE(watch.Failed());
  }

  // Not taken while it lasts: more names than the watch keeps can only end
  // in a listing, whether the platform lost records or the watch stopped
  // keeping them.
  {
    TempFolder folder;
    JobRunner jobs;
    FolderWatch watch(jobs, folder.Path());
    ASSERT_TRUE(watch.Started());
    ASSERT_TRUE(RunShell(folder.Path(), makeFiles));
    ChangeBatch batch(1000000);
    size_t mostNames = 0;
    EXPECT_TRUE(TakeUntil(watch, batch, [&] {
      mostNames = std::max(mostNames, batch.Changes().size());
      return batch.ListAgain();
    }, 10000));
    EXPECT_LE(mostNames, ChangeBatch::kMaxNames);
    EXPECT_TRUE(batch.Changes().empty());
    std::printf("  burst left untaken: %llu records seen\n",
                static_cast<unsigned long long>(watch.RecordsSeen()));
  }
}

TEST(FolderWatch, WatchedFolderGoingEndsTheWatch) {
  // Deleted (by the system's own tools: see below for the platform's call).
  // Wine leaves the platform's read pending without a word; the watch finds
  // out by looking at its path.
  {
    TempFolder folder;
    JobRunner jobs;
    const std::string watched = folder.Make("w");
    FolderWatch watch(jobs, watched);
    ASSERT_TRUE(watch.Started());
    // Working first: the end below is not a watch that never worked.
    ChangeBatch batch;
    ASSERT_TRUE(WriteBytes(watched + "a", "x"));
    ASSERT_TRUE(TakeUntil(watch, batch, [&] { return Holds(batch, "a", ChangeEffect::kReread); }));
    EXPECT_FALSE(watch.Failed());

    ASSERT_TRUE(RunShell(folder.Path(), "rm -r w"));
    batch.Clear();
    EXPECT_TRUE(TakeUntil(watch, batch, [&] { return watch.Failed(); }));
    (void)watch.Take(batch);
    EXPECT_TRUE(batch.ListAgain());
    EXPECT_TRUE(watch.Started());  // it did start
  }
  // Renamed away: its records would go on coming under the new name.
  {
    TempFolder folder;
    JobRunner jobs;
    const std::string watched = folder.Make("w");
    FolderWatch watch(jobs, watched);
    ASSERT_TRUE(watch.Started());
    ASSERT_TRUE(MoveFileW(Widen(folder.Path() + "w").c_str(), Widen(folder.Path() + "v").c_str()));
    ChangeBatch batch;
    EXPECT_TRUE(TakeUntil(watch, batch, [&] { return watch.Failed(); }));
    (void)watch.Take(batch);
    EXPECT_TRUE(batch.ListAgain());
  }
  // Deleted and made again at once: another folder stands at the path, and
  // Wine's watch would report its changes as the old folder's.
  {
    TempFolder folder;
    JobRunner jobs;
    const std::string watched = folder.Make("w");
    FolderWatch watch(jobs, watched);
    ASSERT_TRUE(watch.Started());
    // Something else takes the old folder's place first, so the new one is
    // not given its identity back.
    ASSERT_TRUE(RunShell(folder.Path(), "rmdir w && mkdir filler && mkdir w"));
    ChangeBatch batch;
    EXPECT_TRUE(TakeUntil(watch, batch, [&] { return watch.Failed(); }));
  }
}

// The platform's own delete of a watched folder. On Windows the pending read
// fails and the watch fails with it. Wine only marks the folder to go when
// its last handle closes (which the watch holds), reports nothing, and lets
// the path be opened meanwhile: the folder stays, watched, until its watch
// goes, and then it is gone.
TEST(FolderWatch, PlatformDeleteOfTheWatchedFolderCompletesOnceTheWatchGoes) {
  TempFolder folder;
  JobRunner jobs;
  const std::string watched = folder.Make("w");
  {
    FolderWatch watch(jobs, watched);
    ASSERT_TRUE(watch.Started());
    ASSERT_TRUE(RemoveDirectoryW(Widen(watched).c_str()));
    ChangeBatch batch;
    // Whichever way: either it failed, or the folder stays and is watched.
    const bool stayed = !TakeUntil(watch, batch, [&] { return watch.Failed(); }, 1500);
    std::printf("  the platform's delete of a watched folder: %s\n",
                stayed ? "deferred while watched" : "ended the watch");
    if (stayed) {
      EXPECT_TRUE(Exists(watched));
      ASSERT_TRUE(WriteBytes(watched + "late", "x"));
      EXPECT_TRUE(
          TakeUntil(watch, batch, [&] { return Holds(batch, "late", ChangeEffect::kReread); }));
      ASSERT_TRUE(DeleteFileW(Widen(watched + "late").c_str()));
    }
  }
  bool gone = false;
  for (int waited = 0; waited < 5000 && !gone; waited += 10) {
    gone = !Exists(watched);
    if (!gone) Sleep(10);
  }
  EXPECT_TRUE(gone);
}

TEST(FolderWatch, FolderThatCannotBeWatchedDoesNotStart) {
  TempFolder folder;
  JobRunner jobs;
  ChangeBatch batch;
  {
    FolderWatch watch(jobs, folder.Path() + "no such folder\\");
    EXPECT_FALSE(watch.Started());
    EXPECT_FALSE(watch.Failed());
    EXPECT_FALSE(watch.Take(batch));
  }
  {
    FolderWatch watch(jobs, folder.Write("a file", "x"));
    EXPECT_FALSE(watch.Started());
  }
  {
    FolderWatch watch(jobs, "Q:\\nowhere");  // no such drive
    EXPECT_FALSE(watch.Started());
  }
  // The same runner and folder can watch (the refusals above were the paths').
  FolderWatch watch(jobs, folder.Path());
  EXPECT_TRUE(watch.Started());
  EXPECT_TRUE(batch.Empty());
}

TEST(FolderWatch, GoingWhileChangesPourInIsSafe) {
  TempFolder folder;
  JobRunner jobs;
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int i = 0; !stop.load(); ++i) {
      const std::string name = folder.Path() + "p" + std::to_string(i % 200);
      (void)WriteBytes(name, std::string(static_cast<size_t>(i % 97), 'x'));
      if (i % 3 == 0) (void)DeleteFileW(Widen(name).c_str());
    }
  });
  for (int round = 0; round < 20; ++round) {
    FolderWatch watch(jobs, folder.Path());
    ASSERT_TRUE(watch.Started());
    ChangeBatch batch;
    // Going while records are being handed over.
    EXPECT_TRUE(TakeUntil(watch, batch, [&] { return watch.RecordsSeen() > 0; }));
    if (round % 2 == 0) (void)watch.Take(batch);
  }
  stop.store(true);
  writer.join();
  // Every watch's job ended by itself once its watch went.
  bool ended = false;
  for (int waited = 0; waited < 5000 && !ended; waited += 10) {
    ended = jobs.Running(JobKind::kHelper).empty();
    if (!ended) Sleep(10);
  }
  EXPECT_TRUE(ended);
}

TEST(FolderWatch, RunnerEndingBeforeTheWatchLeavesItSafe) {
  TempFolder folder;
  std::optional<FolderWatch> watch;
  {
    JobRunner jobs;
    watch.emplace(jobs, folder.Path());
    ASSERT_TRUE(watch->Started());
  }  // the runner cancels the job and waits for it
  ChangeBatch batch;
  (void)watch->Take(batch);
  EXPECT_FALSE(watch->Failed());  // stopped, not failed
  watch.reset();
}

TEST(FolderWatch, LooksUpOneEntryAsAListingShowsIt) {
  TempFolder folder;
  ASSERT_TRUE(WriteBytes(folder.Path() + "file.TXT", "12345"));
  folder.Make("Sub");
  SetFileAttributesW(Widen(folder.Path() + "file.TXT").c_str(), FILE_ATTRIBUTE_READONLY);

  // A file and a folder, filled as a listing fills them; with or without the
  // folder's trailing backslash.
  std::optional<FoundEntry> file = LookUpEntry(folder.Path(), "file.TXT");
  ExpectSameEntry(file, ListedEntry(folder.Path(), "file.TXT"));
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->size, 5u);
  EXPECT_TRUE(file->attributes & FILE_ATTRIBUTE_READONLY);
  std::string bare = folder.Path();
  bare.pop_back();
  std::optional<FoundEntry> sub = LookUpEntry(bare, "Sub");
  ExpectSameEntry(sub, ListedEntry(folder.Path(), "Sub"));
  ASSERT_TRUE(sub.has_value());
  EXPECT_TRUE(sub->attributes & FILE_ATTRIBUTE_DIRECTORY);

  // Asked in another case: the name as stored.
  std::optional<FoundEntry> otherCase = LookUpEntry(folder.Path(), "FILE.txt");
  ASSERT_TRUE(otherCase.has_value());
  EXPECT_EQ(otherCase->name, "file.TXT");

  // Missing, and what names no entry.
  EXPECT_FALSE(LookUpEntry(folder.Path(), "missing.txt").has_value());
  EXPECT_FALSE(LookUpEntry(folder.Path(), "").has_value());
  EXPECT_FALSE(LookUpEntry(folder.Path(), ".").has_value());
  EXPECT_FALSE(LookUpEntry(folder.Path(), "..").has_value());
  EXPECT_FALSE(LookUpEntry(folder.Path(), "Sub\\x").has_value());
  EXPECT_FALSE(LookUpEntry(folder.Path() + "gone\\", "file.TXT").has_value());
  SetFileAttributesW(Widen(folder.Path() + "file.TXT").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FolderWatch, LookUpTakesNoWildcards) {
  TempFolder folder;
  // Entries a wildcard would match.
  ASSERT_TRUE(WriteBytes(folder.Path() + "axb", "1"));
  ASSERT_TRUE(WriteBytes(folder.Path() + "aqb.txt", "22"));
  EXPECT_FALSE(LookUpEntry(folder.Path(), "a*b").has_value());
  EXPECT_FALSE(LookUpEntry(folder.Path(), "a?b").has_value());
  EXPECT_FALSE(LookUpEntry(folder.Path(), "*").has_value());
  EXPECT_FALSE(LookUpEntry(folder.Path(), "a?b.*").has_value());
  // Control: the plain name is found.
  EXPECT_TRUE(LookUpEntry(folder.Path(), "axb").has_value());

  // A name holding a wildcard, made on the Unix side (where it is allowed).
  ASSERT_TRUE(RunShell(folder.Path(), "printf 4444 > 'a*b'"));
  std::optional<FoundEntry> starred = LookUpEntry(folder.Path(), "a*b");
  std::optional<FoundEntry> listed = ListedEntry(folder.Path(), "a*b");
  ASSERT_TRUE(listed.has_value());
  ASSERT_TRUE(starred.has_value());
  EXPECT_EQ(starred->size, 4u);  // that file, not a neighbour the mask matches
  ExpectSameEntry(starred, listed);
  // The platform's other mask characters likewise.
  ASSERT_TRUE(RunShell(folder.Path(), "printf 55555 > 'a<b'"));
  std::optional<FoundEntry> angled = LookUpEntry(folder.Path(), "a<b");
  ASSERT_TRUE(angled.has_value());
  EXPECT_EQ(angled->size, 5u);
  ExpectSameEntry(angled, ListedEntry(folder.Path(), "a<b"));
  // Gone again: gone for the lookup too.
  ASSERT_TRUE(RunShell(folder.Path(), "rm 'a*b' 'a<b'"));
  EXPECT_FALSE(LookUpEntry(folder.Path(), "a*b").has_value());
  EXPECT_FALSE(LookUpEntry(folder.Path(), "a<b").has_value());
}

}  // namespace
}  // namespace px::test
