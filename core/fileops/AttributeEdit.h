// The attributes and last-write time a selection gets from the attributes dialog.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace px {

// A check box's state; the values are those the dialog exchanges with the box.
enum class CheckState : uint8_t { kClear = 0, kSet = 1, kUndecided = 2 };

// The four attribute boxes, in the order of their texts.
enum AttributeBox : int { kBoxReadOnly, kBoxArchive, kBoxHidden, kBoxSystem, kAttributeBoxCount };
using AttributeStates = std::array<CheckState, kAttributeBoxCount>;

// The attribute bit of each box.
uint32_t AttributeBitOf(AttributeBox box);

// Counts the selected entries' bits. A box starts set when every entry has
// its bit, clear when none has, and undecided (a three-state box) otherwise.
class AttributeTally {
 public:
  void Add(uint32_t attributes);
  int EntryCount() const { return entryCount_; }
  AttributeStates InitialStates() const;

 private:
  std::array<int, kAttributeBoxCount> counts_{};
  int entryCount_ = 0;
};

// The boxes while the recursive box is set: the files inside the selected
// folders are unknown, so every box is undecided; cleared, the boxes go back
// to the states they started with.
AttributeStates StatesForRecursive(bool recursive, const AttributeStates& initial);

// Whether applying the boxes would change anything: some box is decided and
// differs from what the entries are known to have. With the recursive box set
// nothing is known, so every decided box is a change, even one that matches
// the selected folders' own bits.
bool AttributesChanged(const AttributeStates& states, const AttributeStates& initial,
                       bool recursive);

// The bits an entry gets: a set box adds its bit, a clear box removes it, an
// undecided box keeps the entry's own. Bits the dialog does not show and the
// file system lets a program set (not content indexed, temporary, offline)
// are kept; bits it only reports (directory, compressed, ...) are left out.
// Nothing left gives the normal attribute, which must stand alone.
uint32_t ApplyAttributeStates(const AttributeStates& states, uint32_t entryAttributes);

// A calendar date and time of day, without a time zone.
struct CivilTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  bool operator==(const CivilTime& other) const;
  bool operator!=(const CivilTime& other) const { return !(*this == other); }
};

bool IsLeapYear(int year);
// 28 to 31; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
// A date that is in the calendar and a time of day of 0:00:00 to 23:59:59.
bool IsExistingTime(const CivilTime& time);
// Seconds since 1 January 1970 00:00, the fields taken as they are (UTC in, UTC out).
int64_t SecondsSinceEpoch(const CivilTime& time);
// Last-write times are kept within 32-bit seconds since 1 January 1970 00:00
// UTC; a time the local-to-UTC conversion moves outside that range (early on
// 1 January 1970 east of UTC) is not applied.
bool IsStorableUtcTime(const CivilTime& utc);

// The years the year field takes; a year outside them drops the time change
// without a message.
constexpr int kFirstSettableYear = 1970;
constexpr int kLastSettableYear = 2037;

// The six number fields in the dialog's order.
enum DateField : int {
  kNoDateField = -1,
  kFieldDay,
  kFieldMonth,
  kFieldYear,
  kFieldHour,
  kFieldMinute,
  kFieldSecond,
  kDateFieldCount
};
using DateFieldTexts = std::array<std::string, kDateFieldCount>;
// Characters each edit accepts: 2, except 4 for the year.
int DateFieldWidth(DateField field);

// Two digits each, four for the year: what the fields show for a time.
DateFieldTexts DateFieldTextsOf(const CivilTime& time);
// What the "entry's own time" button and the recursive box put in the fields:
// the kept time of a single entry, otherwise nothing.
DateFieldTexts OwnTimeTexts(int entryCount, bool recursive, const CivilTime& keptTime);

// The filled fields: an empty field keeps each entry's own value.
struct TypedTime {
  std::array<int, kDateFieldCount> values{};
  std::array<bool, kDateFieldCount> present{};
  bool Empty() const;
};

// An entry's own local time with the filled fields put in. A date that does
// not exist (31 typed alone meets a file of February; 29 February typed for a
// file of 2023) is not rolled over: `exists` is false and badField names the
// typed field to blame (the day before the month before the year).
struct ComposedTime {
  bool exists = false;
  CivilTime time;
  DateField badField = kNoDateField;
};
ComposedTime ComposeTime(const TypedTime& typed, const CivilTime& own);

enum class TimeChange : uint8_t {
  kNone,      // leave every entry's time alone
  kApply,     // compose and set each entry's time
  kBadField,  // refuse OK and send the user to badField
};

struct TimeDecision {
  TimeChange change = TimeChange::kNone;
  DateField badField = kNoDateField;
  TypedTime typed;  // for ComposeTime per entry when change is kApply
};

// What OK does with the six fields. A field holding anything but 1 to its
// width of digits, or a value no date or time has (month 13, day 0 or 32,
// hour 24, minute or second 60), is a bad field; so is a day its typed month
// never has (31 April; 30 February; 29 February of a typed common year). A
// year outside the settable years means no change. singleEntry is true for
// one selected entry with the recursive box clear: its kept time fills the
// empty fields, a date that does not exist is a bad field, and a time equal to
// the kept one is no change. Otherwise all fields empty is no change, and each
// entry's own date is checked as the time is applied (ComposeTime).
TimeDecision DecideTimeChange(const DateFieldTexts& texts, bool singleEntry,
                              const CivilTime& keptTime);

}  // namespace px
