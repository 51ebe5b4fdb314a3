#pragma once
// Sorting a report list by one of its columns. The order is built by binary
// insertion into a growing array of keys, then every cell of the list is read in
// the new order and written back, so the rows keep their indexes (and any
// selection on them) while their texts move. Texts are UTF-8.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "doclist/report_list.h"

namespace brivanta {

// How the cells of the sort column compare. Any other value is taken as kSortText.
enum SortKind : int {
  kSortNumeric = 0,   // by the leading number of each text (SortNumber)
  kSortText = 1,      // by code point (CompareSortTexts)
  kSortDateTime = 2,  // by date and time (SortDateTime)
  kSortLogical = 3,   // every text but kLogicalFalseText first, in reverse row order,
                      // then the kLogicalFalseText rows in their row order
};

inline constexpr std::string_view kLogicalFalseText = "假";

// Two numbers or date-times whose difference is at most this much are equal.
inline constexpr double kSortTolerance = 1e-7;

// The value of an unreadable date and time: 1 January of the year 100.
inline constexpr double kNoDateTime = -657434.0;

// The leading decimal number of `text`, after full-width forms of ASCII characters
// (such as "１２" or "－３．５") and the ideographic space have been replaced by
// their ASCII counterparts. White space is skipped first; then an optional sign,
// digits with an optional decimal point, and an optional exponent. A text that
// does not begin with a number is 0. Independent of the C locale.
double SortNumber(std::string_view text);

// `text` as days since 30 December 1899, the time of day as the fraction of a day.
// Reads "2026-12-11", "2026/12/11" and "2026年12月11日", each optionally followed by
// " 14:30" or " 14:30:59" (years 0100 to 9999, proleptic Gregorian calendar).
// Anything else is kNoDateTime.
double SortDateTime(std::string_view text);

// Negative, zero or positive as `a` sorts before, with or after `b`: code point
// by code point, a text before any longer text that it begins. Without
// `caseSensitive`, the letters A to Z compare as a to z.
int CompareSortTexts(std::string_view a, std::string_view b, bool caseSensitive);

// The 1-based place (1 to keys.size() + 1) at which `key` goes into `keys`, which
// are in ascending order under `kind`. A key not less than the last key goes after
// it; otherwise a key not greater than the first goes before it; otherwise a binary
// search runs, and a key equal to a key that it meets goes right after that key.
// Kinds other than kSortNumeric and kSortDateTime compare as kSortText.
int InsertionPosition(const std::vector<std::string>& keys, std::string_view key, int kind,
                      bool caseSensitive);

// A millisecond reading; only differences between two readings matter.
using MillisecondTick = std::function<std::int64_t()>;

// Reorders the rows of `list` by the texts in `column`, then rewrites every cell.
// `ascending` false reverses the finished order. A column that names no column
// gives every row an empty key. Returns the milliseconds that the sort took,
// measured with `tick` (a steady clock when not given).
int SortByColumn(ReportList& list, int column, int kind = kSortNumeric, bool caseSensitive = true,
                 bool ascending = true, const MillisecondTick& tick = {});

}  // namespace brivanta
