// The name, date and size tests a search applies to each entry it looks at.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace px {

// The name text of a search. Without "*" or "?" it is looked for anywhere in
// the name, case ignored in every script (an empty text matches every name);
// with either it is a mask, matched as select by mask matches it.
class NameMatcher {
 public:
  explicit NameMatcher(std::string_view mask);
  bool Matches(std::string_view name) const;

 private:
  std::string mask_;    // as typed, for the mask match
  std::string folded_;  // case-folded, for the substring match
  bool wildcards_ = false;
};

// Bounds in seconds since 1970-01-01 UTC (signed and 64-bit, so dates before
// 1970 in zones east of UTC and spans of many months need no special care).
// Equal bounds filter nothing; reversed bounds are taken the other way round.
struct DateFilter {
  bool on = false;
  int64_t lower = 0;
  int64_t upper = 0;
};

enum class PeriodUnit { kDays = 0, kMonths = 1 };  // the unit combo's item index

struct CivilDate {
  int year = 0, month = 0, day = 0;
};

// The three edits of one date as typed.
struct DateFields {
  std::string day, month, year;
};

// Seconds since 1970 at local midnight starting the date; the window supplies
// the platform's time-zone conversion.
using LocalMidnightFn = std::function<int64_t(const CivilDate&)>;

// Last write time (100 ns units since 1601, UTC) in seconds since 1970.
int64_t FileTimeToUnixSeconds(uint64_t fileTime);
// Days since 1970-01-01 of a proleptic Gregorian date; times 86400 it is the
// UTC midnight of the date.
int64_t DaysFromCivil(const CivilDate& date);

// The last count days (86400 s) or months (31 days each) before now, up to now.
// A count of 0 gives equal bounds, so nothing is filtered.
DateFilter LastPeriodFilter(int64_t now, uint32_t count, PeriodUnit unit);

// A date made of three decimal fields, year 1970 to 2037, month 1 to 12 and
// a day that exists in that month; anything else (empty, non-digits, 31.2.)
// gives nothing.
std::optional<CivilDate> ParseDateFields(const DateFields& fields);

// From local midnight of the first date to local midnight of the second, both
// bounds included. Off when either date is incomplete or invalid.
DateFilter BetweenDatesFilter(const DateFields& first, const DateFields& second,
                              const LocalMidnightFn& localMidnight);

bool PassesDate(const DateFilter& filter, int64_t writeSeconds);

enum class SizeMode { kAtLeast = 0, kAtMost = 1 };  // the size combo's item index

// A bound in whole kilobytes against the full size in kilobytes, rounded down.
struct SizeFilter {
  bool on = false;
  SizeMode mode = SizeMode::kAtLeast;
  uint64_t kilobytes = 0;
};

// Folders count as size 0.
bool PassesSize(const SizeFilter& filter, uint64_t sizeBytes, bool isDirectory);

// The number in an edit such as the count or the size field: decimal digits
// only; empty or anything else is 0, as for an edit read as an integer.
uint64_t FieldNumber(std::string_view text);

}  // namespace px
