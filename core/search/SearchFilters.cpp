// The name, date and size tests of the search.
#include "core/search/SearchFilters.h"

#include "core/text/CaseFold.h"
#include "core/text/Wildcard.h"

namespace px {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kSecondsPerMonth = 31 * kSecondsPerDay;
constexpr uint64_t kFileTimeUnitsPerSecond = 10'000'000;
constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;

std::optional<int> SmallNumber(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

NameMatcher::NameMatcher(std::string_view mask)
    : mask_(mask), folded_(FoldName(mask)),
      wildcards_(mask.find_first_of("*?") != std::string_view::npos) {}

bool NameMatcher::Matches(std::string_view name) const {
  if (wildcards_) return MatchesMask(name, mask_);
  if (folded_.empty()) return true;
  return FoldName(name).find(folded_) != std::string::npos;
}

int64_t FileTimeToUnixSeconds(uint64_t fileTime) {
  return static_cast<int64_t>(fileTime / kFileTimeUnitsPerSecond) - kSecondsFrom1601To1970;
}

int64_t DaysFromCivil(const CivilDate& date) {
  const int64_t y = date.year - (date.month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yearOfEra = y - era * 400;
  const int64_t m = date.month;
  const int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + date.day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

DateFilter LastPeriodFilter(int64_t now, uint32_t count, PeriodUnit unit) {
  const int64_t span = unit == PeriodUnit::kMonths ? kSecondsPerMonth : kSecondsPerDay;
  return {true, now - static_cast<int64_t>(count) * span, now};
}

std::optional<CivilDate> ParseDateFields(const DateFields& fields) {
  const auto day = SmallNumber(fields.day);
  const auto month = SmallNumber(fields.month);
  const auto year = SmallNumber(fields.year);
  if (!day || !month || !year) return std::nullopt;
  if (*year < 1970 || *year > 2037 || *month < 1 || *month > 12) return std::nullopt;
  if (*day < 1 || *day > DaysInMonth(*year, *month)) return std::nullopt;
  return CivilDate{*year, *month, *day};
}

DateFilter BetweenDatesFilter(const DateFields& first, const DateFields& second,
                              const LocalMidnightFn& localMidnight) {
  const auto from = ParseDateFields(first);
  const auto to = ParseDateFields(second);
  if (!from || !to) return {};
  return {true, localMidnight(*from), localMidnight(*to)};
}

bool PassesDate(const DateFilter& filter, int64_t writeSeconds) {
  if (!filter.on || filter.lower == filter.upper) return true;
  const int64_t low = filter.lower < filter.upper ? filter.lower : filter.upper;
  const int64_t high = filter.lower < filter.upper ? filter.upper : filter.lower;
  return low <= writeSeconds && writeSeconds <= high;
}

bool PassesSize(const SizeFilter& filter, uint64_t sizeBytes, bool isDirectory) {
  if (!filter.on) return true;
  const uint64_t kilobytes = isDirectory ? 0 : sizeBytes / 1024;
  return filter.mode == SizeMode::kAtLeast ? kilobytes >= filter.kilobytes
                                           : kilobytes <= filter.kilobytes;
}

uint64_t FieldNumber(std::string_view text) {
  // Twenty digits could overflow; the edits hold at most nine.
  if (text.empty() || text.size() > 19) return 0;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value;
}

}  // namespace px
