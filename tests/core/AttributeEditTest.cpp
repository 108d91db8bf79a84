#include "core/fileops/AttributeEdit.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <vector>

#include "core/fs/FileAttributes.h"

namespace px {
namespace {

constexpr CheckState C = CheckState::kClear, S = CheckState::kSet, U = CheckState::kUndecided;

// Boxes in the order read-only, archive, hidden, system.
TEST(AttributeEdit, MixedSelectionGivesThreeStateBoxes) {
  struct Case {
    std::vector<uint32_t> entries;
    AttributeStates states;
  } const cases[] = {
      {{0x20}, {C, S, C, C}},
      {{0x21, 0x20}, {U, S, C, C}},
      {{0x07, 0x07, 0x27}, {S, U, S, S}},
      {{0x10, 0x2000}, {C, C, C, C}},
      {{}, {C, C, C, C}},
  };
  for (const Case& c : cases) {
    AttributeTally tally;
    for (uint32_t bits : c.entries) tally.Add(bits);
    EXPECT_EQ(tally.EntryCount(), static_cast<int>(c.entries.size()));
    EXPECT_EQ(tally.InitialStates(), c.states) << c.entries.size();
  }
}

TEST(AttributeEdit, BoxesAppliedToAnEntry) {
  struct Case {
    AttributeStates states;
    uint32_t before, after;
  } const cases[] = {
      {{U, U, U, U}, 0x27, 0x27},
      {{S, U, U, U}, 0x20, 0x21},
      {{C, U, U, U}, 0x21, 0x20},
      {{C, C, C, C}, 0x27, 0x80},
      {{C, C, C, C}, 0x2021, 0x2000},    // not content indexed stays
      {{U, S, U, U}, 0x80, 0x20},        // normal never stands beside another bit
      {{S, U, U, U}, 0x10 | 0x800, 0x01},  // folder and compressed bits cannot be set
      {{U, U, S, S}, 0x1100, 0x1106},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ApplyAttributeStates(c.states, c.before), c.after) << std::hex << c.before;
}

TEST(AttributeEdit, WhetherBoxesChangeAnything) {
  struct Case {
    AttributeStates states, initial;
    bool recursive, changed;
  } const cases[] = {
      {{S, C, U, C}, {S, C, U, C}, false, false},
      {{S, C, C, C}, {S, C, U, C}, false, true},
      {{U, U, U, U}, {S, C, C, C}, false, false},
      {{C, C, C, C}, {S, C, C, C}, false, true},
      {{U, U, U, U}, {S, C, C, C}, true, false},
      // A folder's own bits say nothing of the files inside it.
      {{S, U, U, U}, {S, C, C, C}, true, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AttributesChanged(c.states, c.initial, c.recursive), c.changed);
  AttributeStates initial = {S, C, U, C};
  EXPECT_EQ(StatesForRecursive(true, initial), (AttributeStates{U, U, U, U}));
  EXPECT_EQ(StatesForRecursive(false, initial), initial);
}

TEST(AttributeEdit, CivilCalendar) {
  struct Case {
    int year, month, days;
  } const cases[] = {
      {2023, 2, 28}, {2024, 2, 29}, {1900, 2, 28}, {2000, 2, 29}, {2100, 2, 28},
      {2023, 4, 30}, {2023, 12, 31}, {2023, 0, 0},  {2023, 13, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DaysInMonth(c.year, c.month), c.days) << c.year << "-" << c.month;

  EXPECT_EQ(SecondsSinceEpoch({1970, 1, 1, 0, 0, 0}), 0);
  EXPECT_EQ(SecondsSinceEpoch({2000, 3, 1, 0, 0, 0}), 951868800);
  EXPECT_EQ(SecondsSinceEpoch({2038, 1, 19, 3, 14, 7}), INT32_MAX);
  EXPECT_EQ(SecondsSinceEpoch({1969, 12, 31, 23, 59, 59}), -1);
  // Every day of two centuries follows the one before by 86 400 seconds.
  int64_t previous = SecondsSinceEpoch({1899, 12, 31, 0, 0, 0});
  for (int year = 1900; year < 2100; ++year)
    for (int month = 1; month <= 12; ++month)
      for (int day = 1; day <= DaysInMonth(year, month); ++day) {
        int64_t seconds = SecondsSinceEpoch({year, month, day, 0, 0, 0});
        ASSERT_EQ(seconds - previous, 86400) << year << "-" << month << "-" << day;
        previous = seconds;
      }

  EXPECT_TRUE(IsStorableUtcTime({1970, 1, 1, 0, 0, 0}));
  EXPECT_TRUE(IsStorableUtcTime({2038, 1, 19, 3, 14, 7}));
  EXPECT_FALSE(IsStorableUtcTime({1969, 12, 31, 23, 0, 0}));
  EXPECT_FALSE(IsStorableUtcTime({2038, 1, 19, 3, 14, 8}));
  EXPECT_FALSE(IsStorableUtcTime({2001, 2, 29, 0, 0, 0}));
}

TEST(AttributeEdit, FieldTexts) {
  EXPECT_EQ(DateFieldTextsOf({2024, 3, 7, 9, 5, 0}),
            (DateFieldTexts{"07", "03", "2024", "09", "05", "00"}));
  CivilTime kept{2024, 3, 7, 9, 5, 0};
  EXPECT_EQ(OwnTimeTexts(1, false, kept), DateFieldTextsOf(kept));
  EXPECT_EQ(OwnTimeTexts(1, true, kept), DateFieldTexts{});
  EXPECT_EQ(OwnTimeTexts(2, false, kept), DateFieldTexts{});
}

TEST(AttributeEdit, DecidingTheTimeChange) {
  const CivilTime kept{2024, 3, 15, 10, 30, 45};
  constexpr TimeChange N = TimeChange::kNone, A = TimeChange::kApply, B = TimeChange::kBadField;
  struct Case {
    DateFieldTexts texts;  // day, month, year, hour, minute, second
    bool single;
    TimeChange change;
    DateField bad;
  } const cases[] = {
      {{}, true, N, kNoDateField},
      {{}, false, N, kNoDateField},
      {{"15", "03", "2024", "10", "30", "45"}, true, N, kNoDateField},
      {{"", "", "2024"}, true, N, kNoDateField},
      {{"", "", "2023"}, true, A, kNoDateField},
      {{"", "", "2024"}, false, A, kNoDateField},
      {{"", "", "1969"}, false, N, kNoDateField},
      {{"", "", "2038"}, true, N, kNoDateField},
      {{"", "", "1970"}, false, A, kNoDateField},
      {{"", "", "2037"}, false, A, kNoDateField},
      {{"", "", "24"}, false, N, kNoDateField},
      {{"31", "02"}, false, B, kFieldDay},
      {{"30", "02"}, false, B, kFieldDay},
      {{"29", "02"}, false, A, kNoDateField},
      {{"29", "02", "2023"}, false, B, kFieldDay},
      {{"29", "02", "2024"}, false, A, kNoDateField},
      {{"31", "04"}, false, B, kFieldDay},
      {{"31"}, false, A, kNoDateField},  // checked on each entry's own month
      {{"31"}, true, A, kNoDateField},   // the kept month is March
      {{"", "04"}, true, A, kNoDateField},
      {{"31", "", "", ""}, true, A, kNoDateField},
      {{"0"}, false, B, kFieldDay},
      {{"32"}, false, B, kFieldDay},
      {{"", "13"}, false, B, kFieldMonth},
      {{"", "00"}, false, B, kFieldMonth},
      {{"", "", "", "24"}, false, B, kFieldHour},
      {{"", "", "", "23", "59", "59"}, false, A, kNoDateField},
      {{"", "", "", "", "60"}, false, B, kFieldMinute},
      {{"", "", "", "", "", "60"}, true, B, kFieldSecond},
      {{"1a"}, false, B, kFieldDay},
      {{"", "-1"}, false, B, kFieldMonth},
      {{"", "", "20245"}, false, B, kFieldYear},
      {{"", "", "", " 1"}, false, B, kFieldHour},
      {{"", "", "", "", "", "123"}, false, B, kFieldSecond},
      {{"32", "13", "", "24"}, false, B, kFieldDay},  // the first bad field in the dialog's order
      {{"31", "02", "1969"}, false, B, kFieldDay},
  };
  for (const Case& c : cases) {
    TimeDecision decision = DecideTimeChange(c.texts, c.single, kept);
    std::string row = c.texts[0] + "." + c.texts[1] + "." + c.texts[2] + " " + c.texts[3] + ":" +
                      c.texts[4] + ":" + c.texts[5] + (c.single ? " single" : " several");
    EXPECT_EQ(decision.change, c.change) << row;
    EXPECT_EQ(decision.badField, c.bad) << row;
  }
  // One file whose February has no 31st: the typed day is refused, not rolled into March.
  TimeDecision february = DecideTimeChange({"31"}, true, {2023, 2, 10, 0, 0, 0});
  EXPECT_EQ(february.change, TimeChange::kBadField);
  EXPECT_EQ(february.badField, kFieldDay);
}

TEST(AttributeEdit, ComposingEachEntrysTime) {
  struct Case {
    DateFieldTexts texts;
    CivilTime own;
    bool exists;
    CivilTime time;
    DateField bad;
  } const cases[] = {
      {{"", "", "2020"}, {2023, 7, 4, 12, 1, 2}, true, {2020, 7, 4, 12, 1, 2}, kNoDateField},
      {{"", "", "", "08"}, {2023, 7, 4, 12, 1, 2}, true, {2023, 7, 4, 8, 1, 2}, kNoDateField},
      {{"01", "01", "2001", "00", "00", "00"}, {2023, 7, 4, 12, 1, 2}, true,
       {2001, 1, 1, 0, 0, 0}, kNoDateField},
      {{"31"}, {2023, 7, 4, 12, 1, 2}, true, {2023, 7, 31, 12, 1, 2}, kNoDateField},
      {{"31"}, {2023, 2, 4, 12, 1, 2}, false, {}, kFieldDay},
      {{"31"}, {2023, 6, 4, 12, 1, 2}, false, {}, kFieldDay},
      {{"", "02"}, {2023, 1, 30, 12, 1, 2}, false, {}, kFieldMonth},
      {{"", "", "2023"}, {2024, 2, 29, 12, 1, 2}, false, {}, kFieldYear},
      {{"", "02", "2023"}, {2024, 1, 29, 0, 0, 0}, false, {}, kFieldMonth},
      {{"29", "02"}, {2023, 5, 1, 0, 0, 0}, false, {}, kFieldDay},
      {{"29", "02"}, {2024, 5, 1, 0, 0, 0}, true, {2024, 2, 29, 0, 0, 0}, kNoDateField},
  };
  for (const Case& c : cases) {
    TimeDecision decision = DecideTimeChange(c.texts, false, {});
    ASSERT_EQ(decision.change, TimeChange::kApply) << c.texts[0] << c.texts[1] << c.texts[2];
    ComposedTime composed = ComposeTime(decision.typed, c.own);
    EXPECT_EQ(composed.exists, c.exists) << c.texts[0] << "." << c.texts[1] << "." << c.texts[2];
    EXPECT_EQ(composed.badField, c.bad) << c.texts[0] << "." << c.texts[1] << "." << c.texts[2];
    if (c.exists) {
      EXPECT_EQ(composed.time, c.time) << c.texts[0] << "." << c.texts[1];
    }
  }
}

}  // namespace
}  // namespace px
