// Fuzzes what the search dialog reads: dates, numbers, the name text, start folders, result lines and remembered names.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/search/SearchFilters.h"
#include "core/search/SearchNames.h"
#include "core/search/SearchWalk.h"
#include "core/settings/SettingsStore.h"
#include "core/text/CaseFold.h"
#include "tests/core/TextStorage.h"
#include "tests/fuzz/FuzzSupport.h"

namespace px {
namespace {

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

void CheckDate(const DateFields& fields) {
  const std::optional<CivilDate> date = ParseDateFields(fields);
  if (!date) return;
  PX_FUZZ_CHECK(AllDigits(fields.day) && AllDigits(fields.month) && AllDigits(fields.year));
  PX_FUZZ_CHECK(date->year >= 1970 && date->year <= 2037 && date->month >= 1 && date->month <= 12);
  PX_FUZZ_CHECK(date->day >= 1 && date->day <= 31);
  // The day exists: the next day is another date, in this month or the next.
  const int64_t days = DaysFromCivil(*date);
  PX_FUZZ_CHECK(days >= 0 && days < DaysFromCivil({2038, 1, 1}));
  PX_FUZZ_CHECK(DaysFromCivil({date->year, date->month, 1}) + date->day - 1 == days);
  const bool december = date->month == 12;
  const CivilDate nextMonth{december ? date->year + 1 : date->year, december ? 1 : date->month + 1, 1};
  PX_FUZZ_CHECK(days < DaysFromCivil(nextMonth));
  // Typed again with leading zeros, it is the same date.
  const DateFields padded{"0" + std::to_string(date->day), "00" + std::to_string(date->month),
                          std::to_string(date->year)};
  const std::optional<CivilDate> again = ParseDateFields(padded);
  PX_FUZZ_CHECK(again && again->year == date->year && again->month == date->month &&
                again->day == date->day);

  const DateFilter filter = BetweenDatesFilter(fields, padded, [](const CivilDate& d) {
    return DaysFromCivil(d) * 86400;
  });
  PX_FUZZ_CHECK(filter.on && filter.lower == filter.upper && PassesDate(filter, -1));
}

void CheckNumber(const std::string& text) {
  const uint64_t number = FieldNumber(text);
  if (!AllDigits(text) || text.empty() || text.size() > 19) PX_FUZZ_CHECK(number == 0);
  if (number != 0) PX_FUZZ_CHECK(FieldNumber(std::to_string(number)) == number);
  const SizeFilter atLeast{true, SizeMode::kAtLeast, number};
  PX_FUZZ_CHECK(PassesSize(atLeast, number * 1024, false) || number > UINT64_MAX / 1024);
  PX_FUZZ_CHECK(PassesSize({true, SizeMode::kAtMost, number}, 1023, true));
  const DateFilter last = LastPeriodFilter(1700000000, static_cast<uint32_t>(number), PeriodUnit::kMonths);
  PX_FUZZ_CHECK(PassesDate(last, 1700000000));
}

void CheckName(const std::string& mask, const std::string& name) {
  const NameMatcher matcher(mask);
  const bool matched = matcher.Matches(name);
  if (mask.find_first_of("*?") == std::string::npos) {
    PX_FUZZ_CHECK(NameMatcher(FoldName(mask)).Matches(name) == matched);
    PX_FUZZ_CHECK(NameMatcher(mask).Matches(mask));
  }
  PX_FUZZ_CHECK(NameMatcher("").Matches(name) && NameMatcher("*").Matches(name));
}

bool IsDriveFolder(const std::string& path) {
  return path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

void CheckPaths(const std::string& typed, const std::string& folder, const std::string& name) {
  // The panel's folder as panels hold it: absolute, with its final backslash
  // and no "/", which no name holds.
  std::string panel = "C:\\" + folder + (folder.empty() || folder.back() == '\\' ? "" : "\\");
  std::replace(panel.begin(), panel.end(), '/', '\\');
  const std::string start = ResolveStartFolder(typed, panel);
  PX_FUZZ_CHECK(!start.empty() && start.back() == '\\');
  PX_FUZZ_CHECK(start.find('/') == std::string::npos);
  if (IsDriveFolder(start)) {
    // Dot steps are resolved, so the folder resolves to itself.
    PX_FUZZ_CHECK(start.find("\\.\\") == std::string::npos && start.find("\\..\\") == std::string::npos);
    PX_FUZZ_CHECK(ResolveStartFolder(start, panel) == start);
    // The field shows it in a form that gives it back; the field's outer
    // blanks are dropped as the platform drops them from a path.
    if (start.find(' ') == std::string::npos)
      PX_FUZZ_CHECK(ResolveStartFolder(StartFolderFieldText(start), "D:\\") == start);
  }

  // A result line gives back its folder and name; names and folders never hold "<", ">".
  if (name.find_first_of("\\<>") == std::string::npos && panel.find_first_of("<>") == std::string::npos) {
    for (bool isFolder : {false, true}) {
      const ResultLocation location = ParseResultLine(ResultLineText(panel, name, isFolder));
      PX_FUZZ_CHECK(location.folder == panel && location.name == name);
    }
  }
  ParseResultLine(typed);
}

void CheckRememberedNames(const std::vector<std::string>& typed) {
  std::vector<std::string> names;
  for (const std::string& name : typed) {
    RememberSearchName(names, name);
    PX_FUZZ_CHECK(names.size() <= static_cast<size_t>(kSearchNameSlots));
    if (!name.empty()) PX_FUZZ_CHECK(names.front() == name);
    for (size_t i = 0; i < names.size(); ++i) {
      for (size_t j = i + 1; j < names.size(); ++j) PX_FUZZ_CHECK(!EqualsNoCase(names[i], names[j]));
    }
  }
  // Stored and read back; a line break in a name becomes a blank on the way.
  std::string file;
  SettingsStore store(std::make_unique<TextStorage>(&file));
  WriteSearchNames(store, names);
  PX_FUZZ_CHECK(store.Commit());
  store.Reload();
  std::vector<std::string> expected = names;
  for (std::string& name : expected) {
    for (char& c : name) {
      if (c == '\r' || c == '\n') c = ' ';
    }
  }
  PX_FUZZ_CHECK(ReadSearchNames(store) == expected);
}

}  // namespace
}  // namespace px

// Lines: day, month, year, a number, a name text, a name, a typed start
// folder, the panel's folder; the rest are names searched for in turn.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> f = px::fuzz::Fields(px::fuzz::AsText(data, size), 9);
  px::CheckDate({f[0], f[1], f[2]});
  px::CheckNumber(f[3]);
  px::CheckName(f[4], f[5]);
  px::CheckPaths(f[6], f[7], f[5]);
  std::vector<std::string> typed = px::fuzz::Lines(f[8], 32);
  typed.push_back(f[4]);
  px::CheckRememberedNames(typed);
  return 0;
}
