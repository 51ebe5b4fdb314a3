#include "doclist/column_sort.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <limits>
#include <system_error>
#include <utility>

namespace brivanta {
namespace {

// Decodes the UTF-8 character at `pos` and moves `pos` past it. A byte that starts
// no well-formed sequence stands alone as U+DC80 to U+DCFF, so that malformed
// texts still order consistently.
char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  std::size_t length = 0;
  char32_t value = 0;
  char32_t smallest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, value = lead & 0x1F, smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, value = lead & 0x0F, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, value = lead & 0x07, smallest = 0x10000;
  }
  bool wellFormed = length != 0 && pos + length <= text.size();
  for (std::size_t i = 1; wellFormed && i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    wellFormed = (next & 0xC0) == 0x80;
    value = (value << 6) | (next & 0x3F);
  }
  wellFormed = wellFormed && value >= smallest && value <= 0x10FFFF &&
               !(value >= 0xD800 && value <= 0xDFFF);
  if (!wellFormed) {
    ++pos;
    return 0xDC00 + lead;
  }
  pos += length;
  return value;
}

char32_t FoldAsciiCase(char32_t c) { return (c >= U'A' && c <= U'Z') ? c + (U'a' - U'A') : c; }

// The ASCII character that a number reading puts in place of `c`: the full-width
// forms of the printable ASCII characters (the GB2312 row 0xA3A1 to 0xA3FE), the
// ideographic space, the full-width tilde and the two stars. 0 for anything else.
char AsciiCounterpart(char32_t c) {
  switch (c) {
    case 0x3000: return ' ';
    case 0xFF5E: return '~';
    case 0x2605:
    case 0x2606: return '*';
    case 0xFFE5: return '$';  // the row's yen sign sits where '$' would
    case 0xFFE3: return '~';  // and its macron where '~' would
    case 0xFF04: return 0;    // the full-width dollar lies outside the row
    default: break;
  }
  if (c >= 0xFF01 && c <= 0xFF5D) return static_cast<char>(c - 0xFF01 + '!');
  return 0;
}

std::string WithAsciiCounterparts(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    const char ascii = AsciiCounterpart(NextCodePoint(text, pos));
    if (ascii != 0) {
      result += ascii;
    } else {
      result.append(text.substr(start, pos - start));
    }
  }
  return result;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Whether a decimal number that from_chars found out of range is too large (rather
// than too small): the power of ten of its first significant digit is positive.
// `digits` is the part before any exponent, `exponent` what follows the 'e'.
bool Overflows(std::string_view digits, std::string_view exponent) {
  const std::size_t point = std::min(digits.find('.'), digits.size());
  const std::size_t first = digits.find_first_not_of("0.");
  if (first == std::string_view::npos) return false;
  long long power = first < point ? static_cast<long long>(point - first) - 1
                                  : -static_cast<long long>(first - point);
  long long scale = 0;
  const bool negative = !exponent.empty() && exponent.front() == '-';
  for (char c : exponent) {
    if (IsDigit(c) && scale < 1'000'000'000) scale = scale * 10 + (c - '0');
  }
  power += negative ? -scale : scale;
  return power > 0;
}

double ReadLeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  const std::size_t start = i;
  std::size_t digitCount = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) ++digitCount;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i) ++digitCount;
  }
  if (digitCount == 0) return 0.0;
  const std::size_t mantissaEnd = i;

  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) ++j;
      i = j;
    }
  }

  double value = 0.0;
  const auto [end, error] =
      std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::general);
  static_cast<void>(end);
  if (error == std::errc::result_out_of_range) {
    const std::string_view exponent =
        i > mantissaEnd ? text.substr(mantissaEnd + 1, i - mantissaEnd - 1) : std::string_view();
    value = Overflows(text.substr(start, mantissaEnd - start), exponent)
                ? std::numeric_limits<double>::infinity()
                : 0.0;
  }
  return negative ? -value : value;
}

// Reads a date-time text front to back.
class DateTimeReader {
 public:
  explicit DateTimeReader(std::string_view text) : rest_(text) {}

  bool AtEnd() const { return rest_.empty(); }

  bool Skip(std::string_view literal) {
    if (rest_.substr(0, literal.size()) != literal) return false;
    rest_.remove_prefix(literal.size());
    return true;
  }

  // A decimal number of `minDigits` to `maxDigits` digits.
  bool Number(std::size_t minDigits, std::size_t maxDigits, int& value) {
    std::size_t count = 0;
    value = 0;
    while (count < rest_.size() && count < maxDigits && IsDigit(rest_[count])) {
      value = value * 10 + (rest_[count] - '0');
      ++count;
    }
    if (count < minDigits) return false;
    rest_.remove_prefix(count);
    return true;
  }

 private:
  std::string_view rest_;
};

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days of the proleptic Gregorian calendar, counted so that 1 January of year 1 is 1.
long DayNumber(int year, int month, int day) {
  const long before = year - 1;
  long days = before * 365 + before / 4 - before / 100 + before / 400;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  return days + day;
}

bool ReadDate(DateTimeReader& reader, int& year, int& month, int& day) {
  if (!reader.Number(4, 4, year)) return false;
  if (reader.Skip("年")) {
    return reader.Number(1, 2, month) && reader.Skip("月") && reader.Number(1, 2, day) &&
           reader.Skip("日");
  }
  for (std::string_view separator : {"-", "/"}) {
    if (reader.Skip(separator)) {
      return reader.Number(1, 2, month) && reader.Skip(separator) && reader.Number(1, 2, day);
    }
  }
  return false;
}

bool ReadTime(DateTimeReader& reader, int& hour, int& minute, int& second) {
  second = 0;
  if (!reader.Skip(" ") || !reader.Number(1, 2, hour) || !reader.Skip(":") ||
      !reader.Number(2, 2, minute)) {
    return false;
  }
  return !reader.Skip(":") || reader.Number(2, 2, second);
}

int SettledKind(int kind) { return kind >= kSortNumeric && kind <= kSortLogical ? kind : kSortText; }

// key minus other under `kind`: a signed distance for numbers and date-times,
// -1, 0 or 1 for texts, so that one set of tolerance tests serves every kind.
double KeyDifference(std::string_view key, std::string_view other, int kind, bool caseSensitive) {
  switch (kind) {
    case kSortNumeric: return SortNumber(key) - SortNumber(other);
    case kSortDateTime: return SortDateTime(key) - SortDateTime(other);
    default: {
      const int order = CompareSortTexts(key, other, caseSensitive);
      return order < 0 ? -1.0 : order > 0 ? 1.0 : 0.0;
    }
  }
}

bool IsEqual(double difference) { return std::fabs(difference) <= kSortTolerance; }
bool IsNotLess(double difference) { return difference >= -kSortTolerance; }
bool IsNotGreater(double difference) { return difference <= kSortTolerance; }
bool IsGreater(double difference) { return difference > kSortTolerance; }

// The 1-based place for a new key among `count` ascending keys, where
// differenceAt(place) compares the new key with the key at `place`.
template <typename DifferenceAt>
int InsertionPlace(int count, DifferenceAt differenceAt) {
  if (count == 0) return 1;
  if (IsNotLess(differenceAt(count))) return count + 1;
  if (IsNotGreater(differenceAt(1))) return 1;
  int lo = 1, hi = count;
  while (lo < hi - 1) {
    const int mid = (lo + hi) / 2;
    const double difference = differenceAt(mid);
    if (IsEqual(difference)) {
      lo = mid;
      break;
    }
    if (IsGreater(difference)) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return lo + 1;
}

std::int64_t SteadyMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

double SortNumber(std::string_view text) { return ReadLeadingNumber(WithAsciiCounterparts(text)); }

double SortDateTime(std::string_view text) {
  DateTimeReader reader(text);
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!ReadDate(reader, year, month, day)) return kNoDateTime;
  if (!reader.AtEnd() && !ReadTime(reader, hour, minute, second)) return kNoDateTime;
  if (!reader.AtEnd()) return kNoDateTime;
  if (year < 100 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour > 23 || minute > 59 || second > 59) {
    return kNoDateTime;
  }
  const long days = DayNumber(year, month, day) - DayNumber(1899, 12, 30);
  return static_cast<double>(days) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

int CompareSortTexts(std::string_view a, std::string_view b, bool caseSensitive) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    char32_t x = NextCodePoint(a, i);
    char32_t y = NextCodePoint(b, j);
    if (!caseSensitive) {
      x = FoldAsciiCase(x);
      y = FoldAsciiCase(y);
    }
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

int InsertionPosition(const std::vector<std::string>& keys, std::string_view key, int kind,
                      bool caseSensitive) {
  kind = SettledKind(kind);
  return InsertionPlace(static_cast<int>(keys.size()), [&](int place) {
    return KeyDifference(key, keys[place - 1], kind, caseSensitive);
  });
}

int SortByColumn(ReportList& list, int column, int kind, bool caseSensitive, bool ascending,
                 const MillisecondTick& tick) {
  auto now = [&tick] { return tick ? tick() : SteadyMilliseconds(); };
  const std::int64_t start = now();
  kind = SettledKind(kind);

  // order[k] is the row whose texts belong at index k (ascending). Each row's key is
  // read once; numbers and dates are converted once, which compares exactly as
  // converting at every comparison would, and only row indexes move on insertion.
  std::vector<int> order;
  const int rowCount = list.RowCount();
  std::vector<std::string> keys(static_cast<std::size_t>(std::max(rowCount, 0)));
  std::vector<double> values(kind == kSortNumeric || kind == kSortDateTime ? keys.size() : 0);
  for (int row = 0; row < rowCount; ++row) {
    std::string& key = keys[static_cast<std::size_t>(row)];
    key = list.CellText(row, column);
    if (kind == kSortLogical) {
      if (key == kLogicalFalseText) {
        order.push_back(row);
      } else {
        order.insert(order.begin(), row);
      }
      continue;
    }
    int place;
    if (!values.empty()) {
      values[row] = kind == kSortNumeric ? SortNumber(key) : SortDateTime(key);
      place = InsertionPlace(static_cast<int>(order.size()),
                             [&](int p) { return values[row] - values[order[p - 1]]; });
    } else {
      place = InsertionPlace(static_cast<int>(order.size()), [&](int p) {
        return KeyDifference(key, keys[order[p - 1]], kind, caseSensitive);
      });
    }
    order.insert(order.begin() + (place - 1), row);
  }

  // Read every cell in the new order before writing any, then write them all back.
  const std::size_t rows = order.size();
  const int columnCount = list.ColumnCount();
  const std::size_t columns = columnCount > 0 ? static_cast<std::size_t>(columnCount) : 0;
  std::vector<std::string> captured(rows * columns);
  for (std::size_t j = 0; j < captured.size(); ++j) {
    const std::size_t k = j / columns;
    const int source = order[ascending ? k : rows - 1 - k];
    captured[j] = list.CellText(source, static_cast<int>(j % columns));
  }
  for (std::size_t j = 0; j < captured.size(); ++j) {
    list.SetCellText(static_cast<int>(j / columns), static_cast<int>(j % columns), captured[j]);
  }
  return static_cast<int>(now() - start);
}

}  // namespace brivanta
