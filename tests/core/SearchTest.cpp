// The search's entry tests, its walk over a folder tree and its paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/fs/FileAttributes.h"
#include "core/search/SearchFilters.h"
#include "core/search/SearchWalk.h"

namespace px {
namespace {

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

int64_t UtcMidnight(const CivilDate& date) { return DaysFromCivil(date) * 86400; }
int64_t At(int year, int month, int day, int64_t seconds = 0) {
  return UtcMidnight({year, month, day}) + seconds;
}

// Folders by path (ending with a backslash). Every "loop\" step of a path is
// dropped before the look-up, so loop is a link back to the folder holding it.
class MemorySource : public DirectorySource {
 public:
  // "X\" adds a folder, anything else a file; parents are added as needed.
  void Add(const std::string& path, uint32_t extraAttributes = 0) {
    const bool isFolder = path.back() == '\\';
    const std::string trimmed = isFolder ? path.substr(0, path.size() - 1) : path;
    const size_t slash = trimmed.rfind('\\');
    const std::string parent = trimmed.substr(0, slash + 1);
    if (isFolder) folders_[path];
    if (folders_.count(parent) == 0 && slash > 2) Add(parent);
    folders_[parent].push_back(
        {trimmed.substr(slash + 1), 0, 0, (isFolder ? kAttrDirectory : kAttrArchive) | extraAttributes});
  }
  void Remove(const std::string& folder) { folders_.erase(folder); }

  ListStatus Enumerate(const std::string& folder,
                       const std::function<void(FoundEntry&&)>& sink) override {
    ++listings[folder];
    if (locked.count(folder)) return ListStatus::kUnreadable;
    std::string key = folder;
    for (size_t at; (at = key.find("\\loop\\")) != std::string::npos;) key.erase(at + 1, 5);
    const auto it = folders_.find(key);
    if (it == folders_.end()) return ListStatus::kNotFound;
    sink({".", 0, 0, kAttrDirectory});
    sink({"..", 0, 0, kAttrDirectory});
    const bool cut = cutShort.count(folder) != 0;
    const size_t count = cut ? it->second.size() / 2 : it->second.size();
    for (size_t i = 0; i < count; ++i) sink(FoundEntry(it->second[i]));
    return cut ? ListStatus::kIncomplete : ListStatus::kOk;
  }

  std::map<std::string, int> listings;
  std::set<std::string> locked;    // cannot be read at all
  std::set<std::string> cutShort;  // the listing breaks off after half the entries

 private:
  std::map<std::string, std::vector<FoundEntry>> folders_;
};

struct Collected {
  SearchOutcome outcome;
  std::vector<std::string> lines;  // in the order handed on
  std::vector<size_t> batchSizes;

  std::set<std::string> Set() const { return {lines.begin(), lines.end()}; }
};

Collected Search(MemorySource& source, const std::string& start, const SearchCriteria& criteria,
                 SearchBatching batching = {}) {
  Collected result;
  std::atomic<bool> stop{false};
  result.outcome = RunSearch(
      source, start, criteria, stop,
      [&](std::vector<std::string>&& lines, const SearchCounts&) {
        result.batchSizes.push_back(lines.size());
        result.lines.insert(result.lines.end(), lines.begin(), lines.end());
      },
      batching);
  return result;
}

TEST(SearchFilters, Name) {
  static const struct {
    const char* name;
    const char* mask;
    bool match;
  } kCases[] = {
      {"MyDocs.txt", "doc", true},
      {"DOC.TXT", "doc", true},
      {"readme.txt", "doc", false},
      {"readme.txt", "e.t", true},  // no wildcard: the dot is just a character
      {"anything", "", true},
      {"\xD0\x94\xD0\x9E\xD0\x9A.txt", "\xD0\xB4\xD0\xBE\xD0\xBA", true},  // ДОК / док
      {"\xCE\xA3\xCE\x97\xCE\x9C\xCE\x91", "\xCF\x83\xCE\xB7", true},      // ΣΗΜΑ / ση
      {"a.TXT", "*.txt", true},
      {"a.txt.bak", "*.txt", false},
      {"report", "rep*", true},
      {"my report", "rep*", false},
      {"a1.log", "a?.*", true},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(NameMatcher(c.mask).Matches(c.name), c.match) << c.name << " / " << c.mask;
}

TEST(SearchFilters, DateFields) {
  static const struct {
    const char *day, *month, *year;
    bool valid;
  } kCases[] = {
      {"1", "1", "1970", true},   {"31", "12", "2037", true}, {"31", "12", "1969", false},
      {"1", "1", "2038", false},  {"", "1", "2005", false},   {"1", "", "2005", false},
      {"0", "1", "2005", false},  {"32", "1", "2005", false}, {"1", "13", "2005", false},
      {"29", "2", "2004", true},  {"29", "2", "2005", false}, {"31", "4", "2005", false},
      {"01", "02", "2005", true}, {"1a", "1", "2005", false}, {" 1", "1", "2005", false},
  };
  for (const auto& c : kCases) {
    const DateFields fields{c.day, c.month, c.year};
    EXPECT_EQ(ParseDateFields(fields).has_value(), c.valid) << c.day << "." << c.month << "." << c.year;
    EXPECT_EQ(BetweenDatesFilter(fields, {"1", "1", "2005"}, UtcMidnight).on, c.valid);
  }
  EXPECT_EQ(DaysFromCivil({1970, 1, 1}), 0);
  EXPECT_EQ(DaysFromCivil({2005, 1, 1}), 12784);
  EXPECT_EQ(DaysFromCivil({1601, 1, 1}) * 86400, FileTimeToUnixSeconds(0));
  EXPECT_EQ(FileTimeToUnixSeconds(116444736000000000ull + 19'999'999), 1);
}

TEST(SearchFilters, Date) {
  const DateFields jan1{"1", "1", "2005"}, jan31{"31", "1", "2005"};
  const DateFilter january = BetweenDatesFilter(jan1, jan31, UtcMidnight);
  const DateFilter reversed = BetweenDatesFilter(jan31, jan1, UtcMidnight);
  const DateFilter sameDay = BetweenDatesFilter(jan1, jan1, UtcMidnight);
  const int64_t now = At(2010, 6, 15, 12 * 3600);
  static const int64_t kFarPast = FileTimeToUnixSeconds(0);
  const struct {
    DateFilter filter;
    int64_t time;
    bool passes;
  } kCases[] = {
      {january, At(2005, 1, 1), true},
      {january, At(2005, 1, 1) - 1, false},
      {january, At(2005, 1, 31), true},
      {january, At(2005, 1, 31) + 1, false},
      {reversed, At(2005, 1, 15), true},
      {reversed, At(2005, 2, 1), false},
      {sameDay, kFarPast, true},
      {LastPeriodFilter(now, 0, PeriodUnit::kDays), kFarPast, true},
      {LastPeriodFilter(now, 1, PeriodUnit::kDays), now - 86400, true},
      {LastPeriodFilter(now, 1, PeriodUnit::kDays), now - 86401, false},
      {LastPeriodFilter(now, 1, PeriodUnit::kDays), now + 1, false},
      {LastPeriodFilter(now, 1, PeriodUnit::kMonths), now - 31 * 86400, true},
      {LastPeriodFilter(now, 1, PeriodUnit::kMonths), now - 31 * 86400 - 1, false},
      {LastPeriodFilter(now, 99999, PeriodUnit::kMonths), kFarPast, true},
      {DateFilter{}, kFarPast, true},
  };
  for (size_t i = 0; i < std::size(kCases); ++i)
    EXPECT_EQ(PassesDate(kCases[i].filter, kCases[i].time), kCases[i].passes) << "row " << i;
}

TEST(SearchFilters, Size) {
  const SizeFilter off;
  const auto atLeast = [](uint64_t kb) { return SizeFilter{true, SizeMode::kAtLeast, kb}; };
  const auto atMost = [](uint64_t kb) { return SizeFilter{true, SizeMode::kAtMost, kb}; };
  static const uint64_t kFiveGiBInKb = 5 * 1024 * 1024;
  const struct {
    SizeFilter filter;
    uint64_t size;
    bool isFolder, passes;
  } kCases[] = {
      {atLeast(1), 1023, false, false},
      {atLeast(1), 1024, false, true},
      {atLeast(1), 0, true, false},
      {atMost(0), 1023, false, true},
      {atMost(0), 1024, false, false},
      {atMost(0), 8 * kGiB, true, true},  // folders are size 0 whatever the source says
      {atLeast(0), 0, false, true},
      {atLeast(1), 4 * kGiB, false, true},  // no wrap to 0 at 4 GiB
      {atMost(1), 4 * kGiB, false, false},
      {atLeast(kFiveGiBInKb), 5 * kGiB, false, true},
      {atLeast(kFiveGiBInKb + 1), 5 * kGiB, false, false},
      {atMost(kFiveGiBInKb), 5 * kGiB, false, true},
      {atMost(kFiveGiBInKb - 1), 5 * kGiB, false, false},
      {off, 0, true, true},
  };
  for (size_t i = 0; i < std::size(kCases); ++i)
    EXPECT_EQ(PassesSize(kCases[i].filter, kCases[i].size, kCases[i].isFolder), kCases[i].passes)
        << "row " << i;
  for (const auto& [text, value] : std::vector<std::pair<const char*, uint64_t>>{
           {"", 0}, {"17", 17}, {"999999999", 999999999}, {"-1", 0}, {"1 ", 0}, {"12x", 0}})
    EXPECT_EQ(FieldNumber(text), value) << text;
}

// The three tests together on entries as the file system reports them.
TEST(SearchFilters, EntryTest) {
  SearchCriteria criteria;
  criteria.mask = "*.log";
  criteria.date = BetweenDatesFilter({"1", "1", "2005"}, {"31", "1", "2005"}, UtcMidnight);
  criteria.size = {true, SizeMode::kAtLeast, 1};
  const uint64_t jan15 = (static_cast<uint64_t>(At(2005, 1, 15)) + 11'644'473'600ull) * 10'000'000;
  const struct {
    FoundEntry entry;
    bool passes;
  } kCases[] = {
      {{"a.log", 2048, jan15, kAttrArchive}, true},
      {{"a.txt", 2048, jan15, kAttrArchive}, false},
      {{"a.log", 1000, jan15, kAttrArchive}, false},
      {{"a.log", 2048, jan15 + 30ull * 86400 * 10'000'000, kAttrArchive}, false},
      {{"d.log", 2048, jan15, kAttrDirectory}, false},  // a folder's size is 0
  };
  for (const auto& c : kCases) EXPECT_EQ(EntryTest(criteria).Passes(c.entry), c.passes) << c.entry.name;
  criteria.size.on = false;
  EXPECT_TRUE(EntryTest(criteria).Passes({"d.log", 0, jan15, kAttrDirectory}));
  criteria.reportFolders = false;
  EXPECT_FALSE(EntryTest(criteria).Passes({"d.log", 0, jan15, kAttrDirectory}));
}

TEST(SearchWalk, LinesAndOptions) {
  MemorySource source;
  for (const char* path : {"C:\\a.txt", "C:\\a.txt.bak", "C:\\Docs\\MyDocs.txt", "C:\\Docs\\DOC.TXT",
                           "C:\\Docs\\Deep\\x.txt", "C:\\Docs\\Deep\\Empty\\", "C:\\txt\\"})
    source.Add(path);
  SearchCriteria all;
  SearchCriteria noFolders = all;
  noFolders.reportFolders = false;
  SearchCriteria flat = all;
  flat.subfolders = false;
  SearchCriteria doc = all;
  doc.mask = "doc";
  SearchCriteria txt = all;
  txt.mask = "*.txt";
  const struct {
    const char* start;
    SearchCriteria criteria;
    std::set<std::string> lines;
  } kRows[] = {
      {"C:\\", flat, {"C:\\a.txt", "C:\\a.txt.bak", "<C:\\Docs>", "<C:\\txt>"}},
      {"C:", flat, {"C:\\a.txt", "C:\\a.txt.bak", "<C:\\Docs>", "<C:\\txt>"}},
      {"C:\\", doc, {"<C:\\Docs>", "C:\\Docs\\MyDocs.txt", "C:\\Docs\\DOC.TXT"}},
      {"C:\\", txt, {"C:\\a.txt", "C:\\Docs\\MyDocs.txt", "C:\\Docs\\DOC.TXT", "C:\\Docs\\Deep\\x.txt"}},
      {"C:\\Docs\\Deep\\", all, {"C:\\Docs\\Deep\\x.txt", "<C:\\Docs\\Deep\\Empty>"}},
      {"C:\\Docs", noFolders, {"C:\\Docs\\MyDocs.txt", "C:\\Docs\\DOC.TXT", "C:\\Docs\\Deep\\x.txt"}},
  };
  for (const auto& row : kRows) {
    source.listings.clear();
    const Collected found = Search(source, row.start, row.criteria);
    EXPECT_EQ(found.Set(), row.lines) << row.start << " " << row.criteria.mask;
    EXPECT_EQ(found.outcome.end, SearchEnd::kDone);
    EXPECT_EQ(found.outcome.counts.filesFound + found.outcome.counts.foldersFound, row.lines.size());
    if (!row.criteria.subfolders) {
      EXPECT_EQ(source.listings.size(), 1u);
    }
  }
}

TEST(SearchWalk, LinksMissingFoldersAndStop) {
  MemorySource source;
  source.Add("C:\\T\\a.txt");
  source.Add("C:\\T\\loop\\", kAttrDirectory | kAttrReparsePoint);
  source.Add("C:\\T\\Gone\\");
  source.Remove("C:\\T\\Gone\\");  // listed by its parent, deleted before it is entered
  const Collected found = Search(source, "C:\\T", SearchCriteria{});
  EXPECT_EQ(found.Set(), (std::set<std::string>{"C:\\T\\a.txt", "<C:\\T\\loop>", "<C:\\T\\Gone>"}));
  EXPECT_EQ(found.outcome.end, SearchEnd::kDone);
  EXPECT_EQ(source.listings.count("C:\\T\\loop\\"), 0u);

  for (bool subfolders : {true, false}) {
    SearchCriteria criteria;
    criteria.subfolders = subfolders;
    const Collected missing = Search(source, "C:\\Nowhere", criteria);
    EXPECT_EQ(missing.outcome.end, SearchEnd::kStartFolderMissing);
    EXPECT_TRUE(missing.lines.empty());
  }

  // Stopping from the sink: nothing after the first handed-on line.
  std::atomic<bool> stop{false};
  std::vector<std::string> lines;
  const SearchOutcome stopped = RunSearch(
      source, "C:\\T", SearchCriteria{}, stop,
      [&](std::vector<std::string>&& batch, const SearchCounts&) {
        lines.insert(lines.end(), batch.begin(), batch.end());
        stop = true;
      },
      SearchBatching{1, std::chrono::hours(1)});
  EXPECT_EQ(stopped.end, SearchEnd::kStopped);
  EXPECT_EQ(lines.size(), 1u);
  source.listings.clear();
  EXPECT_EQ(RunSearch(source, "C:\\T", SearchCriteria{}, stop, nullptr).counts.foldersListed, 0u);
}

// A folder read only in part, or not at all, is counted; what was read of it
// is searched, a subfolder gone since is not counted.
TEST(SearchWalk, FoldersNotFullyReadAreCounted) {
  MemorySource source;
  for (const char* path : {"C:\\T\\a1", "C:\\T\\a2", "C:\\T\\Half\\h1", "C:\\T\\Half\\h2",
                           "C:\\T\\Locked\\x", "C:\\T\\Gone\\y"}) {
    source.Add(path);
  }
  source.cutShort.insert("C:\\T\\Half\\");
  source.locked.insert("C:\\T\\Locked\\");
  source.Remove("C:\\T\\Gone\\");
  const Collected found = Search(source, "C:\\T", SearchCriteria{});
  EXPECT_EQ(found.outcome.counts.foldersNotRead, 2u);
  EXPECT_EQ(found.outcome.end, SearchEnd::kDone);
  EXPECT_EQ(found.Set().count("C:\\T\\Half\\h1"), 1u);
  EXPECT_EQ(found.Set().count("C:\\T\\Half\\h2"), 0u);
  source.cutShort.clear();
  source.locked.clear();
  EXPECT_EQ(Search(source, "C:\\T", SearchCriteria{}).outcome.counts.foldersNotRead, 0u);
}

// Over generated trees: every entry found exactly once, each folder listed
// once, batches never over their size, counts agreeing with the lines.
TEST(SearchWalk, GeneratedTrees) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    MemorySource source;
    std::vector<std::string> folders{"D:\\Root\\"};
    std::set<std::string> expected;
    size_t files = 0;
    source.Add("D:\\Root\\");
    for (int i = 0; i < 60; ++i) {
      const std::string parent = folders[random() % folders.size()];
      const std::string name = "n" + std::to_string(i);
      if (random() % 3 == 0) {
        folders.push_back(parent + name + "\\");
        source.Add(folders.back());
        expected.insert("<" + parent + name + ">");
      } else {
        source.Add(parent + name);
        expected.insert(parent + name);
        ++files;
      }
    }
    const size_t batch = 1 + random() % 5;
    const Collected found = Search(source, "D:\\Root\\", SearchCriteria{}, {batch, std::chrono::hours(1)});
    EXPECT_EQ(found.lines.size(), expected.size());
    EXPECT_EQ(found.Set(), expected);
    EXPECT_EQ(source.listings.size(), folders.size());
    for (const auto& [folder, count] : source.listings) EXPECT_EQ(count, 1) << folder;
    for (size_t size : found.batchSizes) EXPECT_LE(size, batch);
    const SearchCounts& counts = found.outcome.counts;
    EXPECT_EQ(counts.foldersListed, folders.size());
    EXPECT_EQ(counts.filesLookedAt, files);
    EXPECT_EQ(counts.filesFound, files);
    EXPECT_EQ(counts.foldersFound, folders.size() - 1);
  }
}

TEST(SearchPaths, StartFolderAndResultLines) {
  static const struct {
    const char* typed;
    const char* panel;
    const char* folder;
  } kResolve[] = {
      {"", "C:\\Data\\", "C:\\Data\\"},
      {"D:\\Work", "C:\\Data\\", "D:\\Work\\"},
      {"D:", "C:\\Data\\", "D:\\"},
      {"C:\\", "C:\\Data\\", "C:\\"},
      {"Sub", "C:\\Data\\", "C:\\Data\\Sub\\"},
      {" .\\Sub/Deep\\ ", "C:\\Data\\", "C:\\Data\\Sub\\Deep\\"},
      {"..\\Other", "C:\\Data\\", "C:\\Other\\"},
      {"..\\..\\..", "C:\\Data\\", "C:\\"},
      {"\\Top", "C:\\Data\\", "C:\\Top\\"},
      {"c:Sub", "C:\\Data\\", "c:\\Data\\Sub\\"},
      {"E:Sub", "C:\\Data\\", "E:\\Sub\\"},
      {"\\\\srv\\share\\x\\..\\y", "C:\\Data\\", "\\\\srv\\share\\y\\"},
      {"..\\..", "\\\\srv\\share\\a\\", "\\\\srv\\share\\"},
      {"\\Top", "\\\\srv\\share\\a\\", "\\\\srv\\share\\Top\\"},
  };
  for (const auto& c : kResolve)
    EXPECT_EQ(ResolveStartFolder(c.typed, c.panel), c.folder) << "'" << c.typed << "' in " << c.panel;

  static const struct {
    const char* line;
    const char* folder;
    const char* name;
  } kParse[] = {
      {"C:\\Data\\a.txt", "C:\\Data\\", "a.txt"},
      {"<C:\\Data\\Sub>", "C:\\Data\\", "Sub"},
      {"C:\\a.txt", "C:\\", "a.txt"},
      {"<C:\\Sub>", "C:\\", "Sub"},
  };
  for (const auto& c : kParse) {
    const ResultLocation location = ParseResultLine(c.line);
    EXPECT_EQ(location.folder, c.folder) << c.line;
    EXPECT_EQ(location.name, c.name) << c.line;
    const bool isFolder = c.line[0] == '<';
    EXPECT_EQ(ResultLineText(location.folder, location.name, isFolder), c.line);
  }
  EXPECT_EQ(StartFolderFieldText("C:\\Data\\"), "C:\\Data");
  EXPECT_EQ(StartFolderFieldText("C:\\"), "C:\\");
}

}  // namespace
}  // namespace px
