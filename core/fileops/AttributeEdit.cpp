#include "core/fileops/AttributeEdit.h"

#include <cstdio>

#include "core/fs/FileAttributes.h"

namespace px {

namespace {

constexpr uint32_t kAttrNormal = 0x80;
// The bits a program may set on a file; the rest are only reported.
constexpr uint32_t kSettableBits = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive |
                                   0x100 /* temporary */ | 0x1000 /* offline */ |
                                   0x2000 /* not content indexed */;

}  // namespace

uint32_t AttributeBitOf(AttributeBox box) {
  static constexpr uint32_t kBits[kAttributeBoxCount] = {kAttrReadOnly, kAttrArchive, kAttrHidden,
                                                          kAttrSystem};
  return kBits[box];
}

void AttributeTally::Add(uint32_t attributes) {
  for (int box = 0; box < kAttributeBoxCount; ++box)
    if (attributes & AttributeBitOf(static_cast<AttributeBox>(box))) ++counts_[box];
  ++entryCount_;
}

AttributeStates AttributeTally::InitialStates() const {
  AttributeStates states;
  for (int box = 0; box < kAttributeBoxCount; ++box) {
    if (counts_[box] == 0)
      states[box] = CheckState::kClear;
    else if (counts_[box] == entryCount_)
      states[box] = CheckState::kSet;
    else
      states[box] = CheckState::kUndecided;
  }
  return states;
}

AttributeStates StatesForRecursive(bool recursive, const AttributeStates& initial) {
  if (!recursive) return initial;
  AttributeStates states;
  states.fill(CheckState::kUndecided);
  return states;
}

bool AttributesChanged(const AttributeStates& states, const AttributeStates& initial,
                       bool recursive) {
  for (int box = 0; box < kAttributeBoxCount; ++box) {
    if (states[box] == CheckState::kUndecided) continue;
    if (recursive || states[box] != initial[box]) return true;
  }
  return false;
}

uint32_t ApplyAttributeStates(const AttributeStates& states, uint32_t entryAttributes) {
  uint32_t result = entryAttributes & kSettableBits;
  for (int box = 0; box < kAttributeBoxCount; ++box) {
    uint32_t bit = AttributeBitOf(static_cast<AttributeBox>(box));
    if (states[box] == CheckState::kSet) result |= bit;
    if (states[box] == CheckState::kClear) result &= ~bit;
  }
  return result == 0 ? kAttrNormal : result;
}

bool CivilTime::operator==(const CivilTime& other) const {
  return year == other.year && month == other.month && day == other.day && hour == other.hour &&
         minute == other.minute && second == other.second;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsExistingTime(const CivilTime& time) {
  return time.day >= 1 && time.day <= DaysInMonth(time.year, time.month) && time.hour >= 0 &&
         time.hour < 24 && time.minute >= 0 && time.minute < 60 && time.second >= 0 &&
         time.second < 60;
}

int64_t SecondsSinceEpoch(const CivilTime& time) {
  // Days from 1 March of year 0 in 400-year eras, so leap days fall at the end of a year.
  int64_t year = time.year - (time.month <= 2 ? 1 : 0);
  int64_t era = (year >= 0 ? year : year - 399) / 400;
  int64_t yearOfEra = year - era * 400;
  int64_t monthFromMarch = time.month > 2 ? time.month - 3 : time.month + 9;
  int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + time.day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  int64_t days = era * 146097 + dayOfEra - 719468;
  return ((days * 24 + time.hour) * 60 + time.minute) * 60 + time.second;
}

bool IsStorableUtcTime(const CivilTime& utc) {
  int64_t seconds = SecondsSinceEpoch(utc);
  return IsExistingTime(utc) && seconds >= 0 && seconds <= INT32_MAX;
}

int DateFieldWidth(DateField field) { return field == kFieldYear ? 4 : 2; }

DateFieldTexts DateFieldTextsOf(const CivilTime& time) {
  const int values[kDateFieldCount] = {time.day,  time.month,  time.year,
                                       time.hour, time.minute, time.second};
  DateFieldTexts texts;
  for (int field = 0; field < kDateFieldCount; ++field) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", DateFieldWidth(static_cast<DateField>(field)),
                  values[field]);
    texts[field] = buffer;
  }
  return texts;
}

DateFieldTexts OwnTimeTexts(int entryCount, bool recursive, const CivilTime& keptTime) {
  if (entryCount == 1 && !recursive) return DateFieldTextsOf(keptTime);
  return DateFieldTexts{};
}

bool TypedTime::Empty() const {
  for (bool filled : present)
    if (filled) return false;
  return true;
}

ComposedTime ComposeTime(const TypedTime& typed, const CivilTime& own) {
  ComposedTime composed;
  auto pick = [&](DateField field, int ownValue) {
    return typed.present[field] ? typed.values[field] : ownValue;
  };
  CivilTime& t = composed.time;
  t.day = pick(kFieldDay, own.day);
  t.month = pick(kFieldMonth, own.month);
  t.year = pick(kFieldYear, own.year);
  t.hour = pick(kFieldHour, own.hour);
  t.minute = pick(kFieldMinute, own.minute);
  t.second = pick(kFieldSecond, own.second);
  composed.exists = IsExistingTime(t);
  if (!composed.exists) {
    static constexpr DateField kBlameOrder[] = {kFieldSecond, kFieldMinute, kFieldHour,
                                                kFieldDay,    kFieldMonth,  kFieldYear};
    // A time of day out of range names itself; a day its month lacks blames
    // the day if typed, else the month, else the year that made it so.
    bool timeOfDayBad = t.hour < 0 || t.hour >= 24 || t.minute < 0 || t.minute >= 60 ||
                        t.second < 0 || t.second >= 60;
    composed.badField = kFieldDay;
    for (DateField field : kBlameOrder) {
      bool isTimeOfDay = field == kFieldHour || field == kFieldMinute || field == kFieldSecond;
      if (isTimeOfDay != timeOfDayBad || !typed.present[field]) continue;
      composed.badField = field;
      break;
    }
  }
  return composed;
}

namespace {

// Digits only, 1 to the field's width; -1 for anything else.
int ParseField(const std::string& text, DateField field) {
  if (text.empty() || static_cast<int>(text.size()) > DateFieldWidth(field)) return -1;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

bool InFieldRange(DateField field, int value) {
  switch (field) {
    case kFieldDay: return value >= 1 && value <= 31;
    case kFieldMonth: return value >= 1 && value <= 12;
    case kFieldHour: return value < 24;
    case kFieldMinute:
    case kFieldSecond: return value < 60;
    default: return true;
  }
}

}  // namespace

TimeDecision DecideTimeChange(const DateFieldTexts& texts, bool singleEntry,
                              const CivilTime& keptTime) {
  TimeDecision decision;
  TypedTime& typed = decision.typed;
  auto refuse = [&](DateField field) {
    decision.change = TimeChange::kBadField;
    decision.badField = field;
    return decision;
  };
  for (int i = 0; i < kDateFieldCount; ++i) {
    DateField field = static_cast<DateField>(i);
    if (texts[i].empty()) continue;
    int value = ParseField(texts[i], field);
    if (value < 0 || !InFieldRange(field, value)) return refuse(field);
    typed.values[i] = value;
    typed.present[i] = true;
  }
  if (typed.present[kFieldDay] && typed.present[kFieldMonth]) {
    // Without a typed year, 29 February may still meet a leap year.
    int year = typed.present[kFieldYear] ? typed.values[kFieldYear] : 2000;
    if (typed.values[kFieldDay] > DaysInMonth(year, typed.values[kFieldMonth]))
      return refuse(kFieldDay);
  }
  if (typed.present[kFieldYear] && (typed.values[kFieldYear] < kFirstSettableYear ||
                                    typed.values[kFieldYear] > kLastSettableYear))
    return decision;
  if (typed.Empty()) return decision;
  if (singleEntry) {
    ComposedTime composed = ComposeTime(typed, keptTime);
    if (!composed.exists) return refuse(composed.badField);
    if (composed.time == keptTime) return decision;
  }
  decision.change = TimeChange::kApply;
  return decision;
}

}  // namespace px
