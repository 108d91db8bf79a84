// What a panel does at the keyboard's pace on 100 000 entries, each beside the
// bare work it stands on and measured side by side in one run: a key press of
// the quick search, a quick filter, counting a folder tree, the selection
// figures after marking every entry, and comparing two folders by date.
//   keyboard_bench [folder of 100 000 files] [tree of 1 000 folders]
// The folder is the listing benchmark's (tools/make_bench_folder.py), the tree
// the search benchmark's (tools/make_search_tree.py).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/fs/FolderSize.h"
#include "core/language/LanguageTable.h"
#include "core/language/TextFormat.h"
#include "core/panel/EntryTable.h"
#include "core/panel/EntryText.h"
#include "core/panel/FolderCompare.h"
#include "core/panel/QuickSearch.h"
#include "core/panel/SelectionSummary.h"
#include "core/panel/Sorting.h"
#include "core/text/CaseFold.h"
#include "core/text/Utf.h"
#include "framework/TextFiles.h"
#include "framework/Wide.h"
#include "panels/Win32DirectorySource.h"

#include "bench/BenchTiming.h"

using namespace px;

namespace {

using bench::Clock;
using bench::Median;
using bench::Milliseconds;

// Sums of the passes that only read, kept so that they are not left out.
volatile uint64_t gKeep = 0;

using bench::Verdict;

// One figure beside the bare work it is measured against.
void Report(const char* what, double ms, const char* bareName, double bareMs, double limit) {
  const double ratio = ms / bareMs;
  std::printf("%-30s %9.3f ms   %-26s %9.3f ms   ratio %.2f (target <= %.1f)  %s\n", what, ms,
              bareName, bareMs, ratio, limit, Verdict(ratio, limit));
}

// One figure against a limit of its own.
void ReportLimit(const char* what, double ms, double limitMs) {
  std::printf("%-30s %9.4f ms   (absolute limit %.0f ms)  %s\n", what, ms, limitMs,
              Verdict(ms, limitMs));
}

bool IsDots(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// The bare count of a tree: every folder searched once, links neither counted
// as files nor entered, the folders still to search on a list of their own.
struct BareFigures {
  uint64_t files = 0;
  uint64_t folders = 0;
  uint64_t bytes = 0;
};

BareFigures BareCount(const std::wstring& root) {
  BareFigures figures;
  std::vector<std::wstring> pending{root};
  WIN32_FIND_DATAW data;
  while (!pending.empty()) {
    const std::wstring folder = std::move(pending.back());
    pending.pop_back();
    HANDLE search = FindFirstFileExW((folder + L"*.*").c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      if (IsDots(data.cFileName) || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ++figures.folders;
        pending.push_back(folder + data.cFileName + L"\\");
      } else {
        ++figures.files;
        figures.bytes += (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      }
    } while (FindNextFileW(search, &data));
    FindClose(search);
  }
  return figures;
}

// Lists folder into table as the panel does (not yet sorted); the time it took.
double List(const std::string& folder, EntryTable& table) {
  Win32DirectorySource source;
  table = EntryTable();
  auto start = Clock::now();
  const ListStatus status = ListFolder(source, folder, false, table);
  const double ms = Milliseconds(start);
  if (status != ListStatus::kOk) table.Clear();
  return ms;
}

// The selection line of the panel, from the figures.
std::string SelectionLine(const std::string& pattern, const SelectionFigures& f) {
  return FormatText(pattern, {SizeText(f.markedFiles), SizeText(f.files), SizeText(f.markedFolders),
                              SizeText(f.folders), SizeText(f.markedBytes), SizeText(f.bytes)});
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::string folder = argc > 1 ? Narrow(argv[1]) : "C:\\pxbench-100000";
  std::string tree = argc > 2 ? Narrow(argv[2]) : "C:\\pxsearch-tree";
  if (folder.back() != '\\') folder += '\\';
  if (tree.back() != '\\') tree += '\\';

  // Listing the folder twice a round: the first table for the quick filter
  // and the left side of the comparison, the second, with every tenth file's
  // write time an hour later, for the right side. The panel sorts by name
  // after each listing.
  const int kListingRounds = 5;
  std::vector<double> listFirst, listSecond, listBoth, sortTimes, filterTimes, compareTimes;
  EntryTable left, right;
  size_t filterShown = 0;
  FolderCompareCounts counts;
  const char* const kFilterText = "*00_";  // names whose number ends in 00: one in a hundred
  for (int round = 0; round < kListingRounds; ++round) {
    listFirst.push_back(List(folder, left));
    if (left.RowCount() == 0) {
      std::printf("cannot read %s: run tools/make_bench_folder.py first\n", folder.c_str());
      return 1;
    }
    listSecond.push_back(List(folder, right));
    listBoth.push_back(listFirst.back() + listSecond.back());
    auto start = Clock::now();
    SortRows(left, {kSortByName, 0});
    sortTimes.push_back(Milliseconds(start));
    SortRows(right, {kSortByName, 0});
    uint32_t fileNumber = 0;
    for (PanelEntry& entry : right.entries) {
      if (entry.IsFile() && fileNumber++ % 10 == 0) entry.writeTime += 3600ull * 10000000ull;
    }

    start = Clock::now();
    std::vector<size_t> shown = QuickSearch(kFilterText).FilterRows(left);
    filterTimes.push_back(Milliseconds(start));
    filterShown = shown.size();

    start = Clock::now();
    FolderComparison comparison = CompareFolders(left, right);
    compareTimes.push_back(Milliseconds(start));
    counts = comparison.counts;
  }
  const size_t entries = left.entries.size();
  std::printf("entries listed                 %zu (%s)\n", entries, folder.c_str());
  std::printf("listing the folder             %9.3f ms\n", Median(listFirst));
  std::printf("sorting it by name             %9.3f ms   ratio %.2f to the listing (for information)\n",
              Median(sortTimes), Median(sortTimes) / Median(listFirst));

  // 1. A quick-search key press: the name is typed one character at a time
  // with the cursor on the first row; it is the last row and no other name
  // starts like it, so every key looks at every row.
  {
    EntryTable table = left;
    PanelEntry typed;
    typed.name = "zzz-file-99";
    typed.foldedName = FoldName(typed.name);
    typed.kind = EntryKind::kFile;
    table.entries.push_back(typed);
    table.rows.push_back(static_cast<uint32_t>(table.entries.size() - 1));
    SortRows(table, {kSortByName, 0});
    const std::string& name = typed.foldedName;
    const long last = static_cast<long>(table.RowCount() - 1);
    const size_t cursor = 0;
    const int kKeyRounds = 15;
    const size_t rows = table.RowCount();
    bool found = true;
    // One key press each way, and beside them what a pass over the rows costs
    // before any name is matched: reaching every row's name, and decoding its
    // first character as the search does to step through a name.
    auto quickKey = [&](const std::string& prefix) {
      found &= QuickSearch(prefix).FirstFrom(table, cursor) == last;
    };
    auto plainKey = [&](const std::string& prefix) {
      long row = -1;
      for (size_t r = cursor; r < rows; ++r) {
        if (table.AtRow(r).foldedName.compare(0, prefix.size(), prefix) == 0) {
          row = static_cast<long>(r);
          break;
        }
      }
      found &= row == last;
    };
    auto reachKey = [&](const std::string&) {
      uint64_t sum = 0;
      for (size_t r = cursor; r < rows; ++r) sum += static_cast<unsigned char>(table.AtRow(r).foldedName[0]);
      gKeep = sum;
    };
    auto decodeKey = [&](const std::string&) {
      uint64_t sum = 0;
      for (size_t r = cursor; r < rows; ++r) {
        size_t pos = 0;
        sum += DecodeUtf8(table.AtRow(r).foldedName, pos);
      }
      gKeep = sum;
    };
    std::function<void(const std::string&)> keys[] = {quickKey, plainKey, reachKey, decodeKey};
    std::vector<double> times[4];
    for (int round = 0; round < kKeyRounds; ++round) {
      for (int turn = 0; turn < 4; ++turn) {
        const int way = (turn + round) % 4;
        auto start = Clock::now();
        for (size_t n = 1; n <= name.size(); ++n) keys[way](name.substr(0, n));
        times[way].push_back(Milliseconds(start) / static_cast<double>(name.size()));
      }
    }
    std::printf("quick search typing \"%s\" from the first row: its %zu prefixes, each a pass to the last row\n",
                typed.name.c_str(), name.size());
    if (!found) std::printf("  (a key press did not land on %s)\n", typed.name.c_str());
    Report("quick search, per key press", Median(times[0]), "plain pass over the names",
           Median(times[1]), 1.5);
    std::printf("  a pass over the %zu rows: reaching each name %.3f ms, decoding each name's first "
                "character %.3f ms\n",
                rows, Median(times[2]), Median(times[3]));
  }

  // 2. The quick filter, beside the listing it filters.
  std::printf("quick filter \"%s\": %zu rows of %zu shown (the parent row among them)\n", kFilterText,
              filterShown, left.RowCount());
  Report("quick filter", Median(filterTimes), "listing the folder", Median(listFirst), 0.3);

  // 3. Counting a tree, beside the bare count; the two take turns.
  {
    Win32DirectorySource source;
    const std::wstring root = FileApiPath(tree);
    const int kCountRounds = 5;
    std::vector<double> counted, bare;
    FolderSize size;
    BareFigures bareFigures;
    BareCount(root);  // both start with the file cache warm
    for (int round = 0; round < kCountRounds; ++round) {
      for (int side = 0; side < 2; ++side) {
        auto start = Clock::now();
        if ((side + round) % 2 == 0) {
          size = CountFolderSize(source, tree);
          counted.push_back(Milliseconds(start));
        } else {
          bareFigures = BareCount(root);
          bare.push_back(Milliseconds(start));
        }
      }
    }
    if (size.end == FolderSizeEnd::kNotFound) {
      std::printf("cannot read %s: run tools/make_search_tree.py first\n", tree.c_str());
      return 1;
    }
    std::printf("tree counted: %llu files, %llu folders, %llu bytes (bare: %llu, %llu, %llu)\n",
                static_cast<unsigned long long>(size.figures.files),
                static_cast<unsigned long long>(size.figures.folders),
                static_cast<unsigned long long>(size.figures.bytes),
                static_cast<unsigned long long>(bareFigures.files),
                static_cast<unsigned long long>(bareFigures.folders),
                static_cast<unsigned long long>(bareFigures.bytes));
    Report("counting the tree's size", Median(counted), "bare recursive search", Median(bare), 1.1);
  }

  // 4. The selection line after marking every entry, row by row as the list
  // reports a range, and after one more mark.
  {
    LanguageTable texts;
    const std::string& pattern = texts.Text(text::kSelectionLine);
    SelectionSummary summary;
    std::string line;
    const int kMarkRounds = 7;
    std::vector<double> all;
    for (int round = 0; round < kMarkRounds; ++round) {
      auto start = Clock::now();
      summary.Reset(left);
      for (size_t row = 0; row < left.RowCount(); ++row) summary.Mark(left.rows[row]);
      line = SelectionLine(pattern, summary.Figures());
      all.push_back(Milliseconds(start));
    }
    std::printf("selection line: %s\n", line.c_str());
    ReportLimit("marking all, with the line", Median(all), 50);

    const uint32_t entry = left.rows[left.RowCount() / 2];
    const int kOneRounds = 101;
    std::vector<double> one;
    for (int round = 0; round < kOneRounds; ++round) {
      summary.Unmark(entry);
      auto start = Clock::now();
      summary.Mark(entry);
      line = SelectionLine(pattern, summary.Figures());
      one.push_back(Milliseconds(start));
    }
    ReportLimit("one more mark, with the line", Median(one), 1);
  }

  // 5. Comparing the two folders by date, beside listing both.
  std::printf("compared: %llu newer on the right, %llu newer on the left, %llu alike, %llu only on one side\n",
              static_cast<unsigned long long>(counts.newerRight),
              static_cast<unsigned long long>(counts.newerLeft),
              static_cast<unsigned long long>(counts.same),
              static_cast<unsigned long long>(counts.onlyLeft + counts.onlyRight));
  Report("comparing two folders", Median(compareTimes), "listing both", Median(listBoth), 0.3);
  return 0;
}
