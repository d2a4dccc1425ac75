#pragma once

// std::to_chars for floating point, where the standard library has only the
// integer overloads: libc++ 13, which the WebAssembly build's compiler ships.
// The overloads the project calls are provided, with the digits the
// standard fixes and every complete library prints:
//
//   ShortestToChars(first, last, float)            to_chars(first, last, value)
//   PrecisionToChars(first, last, double, format,  to_chars(first, last, value,
//                    precision)                              format, precision)
//
// `format` fixed, scientific or general; hex is not provided and fails with
// errc::invalid_argument. Both fail as to_chars does when the text does not
// fit: errc::value_too_large, with `last` as the end.
//
// The digits come from the value's exact decimal expansion, worked out with
// whole numbers of arbitrary size, and every rounding is done on those
// digits: slow next to a library's own (microseconds, not nanoseconds), but
// exact by construction, with no floating-point arithmetic that a compiler
// or a C runtime could round differently. tests/compat compares it with the
// native library over millions of values.
//
// Only the WebAssembly build uses this header, through compat/wasm/charconv.

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

namespace vantorel_compat {

namespace float_chars {

// A natural number of any size, as 32-bit limbs, least significant first.
class Natural {
 public:
  explicit Natural(std::uint64_t value) {
    while (value != 0) {
      limbs_.push_back(static_cast<std::uint32_t>(value));
      value >>= 32;
    }
  }

  void MultiplyBy(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : limbs_) {
      const std::uint64_t product = std::uint64_t{limb} * factor + carry;
      limb = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) limbs_.push_back(static_cast<std::uint32_t>(carry));
  }

  void MultiplyByPowerOfFive(int exponent) {
    constexpr std::uint32_t kFiveToThe13 = 1220703125;
    for (; exponent >= 13; exponent -= 13) MultiplyBy(kFiveToThe13);
    std::uint32_t rest = 1;
    for (; exponent > 0; --exponent) rest *= 5;
    MultiplyBy(rest);
  }

  void ShiftLeft(int bits) {
    const std::size_t whole = static_cast<std::size_t>(bits) / 32;
    const int part = bits % 32;
    if (part != 0) {
      std::uint32_t carry = 0;
      for (std::uint32_t& limb : limbs_) {
        const std::uint32_t next = limb >> (32 - part);
        limb = (limb << part) | carry;
        carry = next;
      }
      if (carry != 0) limbs_.push_back(carry);
    }
    limbs_.insert(limbs_.begin(), whole, 0u);
  }

  // The decimal digits, most significant first; "" for zero.
  std::string Digits() const {
    constexpr std::uint32_t kChunk = 1000000000;  // nine digits at a time
    std::vector<std::uint32_t> rest = limbs_;
    std::string reversed;
    while (!rest.empty()) {
      std::uint64_t remainder = 0;
      for (std::size_t i = rest.size(); i-- > 0;) {
        const std::uint64_t current = (remainder << 32) | rest[i];
        rest[i] = static_cast<std::uint32_t>(current / kChunk);
        remainder = current % kChunk;
      }
      while (!rest.empty() && rest.back() == 0) rest.pop_back();
      for (int i = 0; i < 9 && (remainder != 0 || !rest.empty()); ++i) {
        reversed += static_cast<char>('0' + remainder % 10);
        remainder /= 10;
      }
    }
    return std::string(reversed.rbegin(), reversed.rend());
  }

 private:
  std::vector<std::uint32_t> limbs_;
};

// A positive number as decimal digits: digits x 10^exponent, the digits
// without leading or trailing zeros.
struct Decimal {
  std::string digits;
  int exponent = 0;

  // The power of ten of the first digit.
  int Lead() const { return exponent + static_cast<int>(digits.size()) - 1; }
};

// The exact value of a finite, positive double.
inline Decimal ExactDecimal(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  int binaryExponent = -1074;
  if (biased != 0) {
    mantissa |= std::uint64_t{1} << 52;
    binaryExponent = biased - 1075;
  }
  Natural whole(mantissa);
  Decimal decimal;
  // m x 2^e is m x 5^-e x 10^e when e is negative.
  if (binaryExponent >= 0) {
    whole.ShiftLeft(binaryExponent);
  } else {
    whole.MultiplyByPowerOfFive(-binaryExponent);
    decimal.exponent = binaryExponent;
  }
  decimal.digits = whole.Digits();
  while (decimal.digits.back() == '0') {
    decimal.digits.pop_back();
    ++decimal.exponent;
  }
  return decimal;
}

// Compares two whole numbers written without leading zeros ("" is zero).
inline int CompareWhole(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

inline std::string AddOne(std::string whole) {
  std::size_t i = whole.size();
  while (i > 0 && whole[i - 1] == '9') whole[--i] = '0';
  if (i == 0) return "1" + whole;
  ++whole[i - 1];
  return whole;
}

inline std::string SubtractOne(std::string whole) {  // whole > 0
  std::size_t i = whole.size();
  while (whole[i - 1] == '0') whole[--i] = '9';
  --whole[i - 1];
  if (whole.size() > 1 && whole[0] == '0') whole.erase(0, 1);
  return whole == "0" ? std::string() : whole;
}

// `number` / 10^unit, split into its whole part (without leading zeros, ""
// for zero) and how the dropped part compares with one half.
struct Division {
  std::string whole;
  bool exact = true;  // nothing was dropped
  int half = -1;      // the dropped part against 1/2: -1 below, 0 equal, 1 above
};

inline Division DivideByPowerOfTen(const Decimal& number, int unit) {
  Division result;
  const int drop = unit - number.exponent;
  if (drop <= 0) {
    result.whole = number.digits + std::string(static_cast<std::size_t>(-drop), '0');
    return result;
  }
  const int size = static_cast<int>(number.digits.size());
  result.exact = false;
  if (drop > size) return result;  // less than a tenth
  result.whole = number.digits.substr(0, static_cast<std::size_t>(size - drop));
  const char first = number.digits[static_cast<std::size_t>(size - drop)];
  // The digits end in a non-zero digit: a 5 with more after it is above.
  if (first != '5') result.half = first > '5' ? 1 : -1;
  else result.half = drop > 1 ? 1 : 0;
  return result;
}

// `number` / 10^unit rounded to the nearest whole number, ties to even.
inline std::string RoundToUnit(const Decimal& number, int unit) {
  Division division = DivideByPowerOfTen(number, unit);
  const bool odd = !division.whole.empty() && (division.whole.back() - '0') % 2 == 1;
  if (division.half > 0 || (division.half == 0 && odd)) return AddOne(division.whole);
  return division.whole;
}

// "e+05", "e-123": the exponent as printf writes it, at least two digits.
inline std::string ExponentText(int exponent) {
  std::string text = exponent < 0 ? "e-" : "e+";
  const std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
  if (digits.size() < 2) text += '0';
  return text + digits;
}

// Whole number `digits` x 10^-places, written out with `places` decimals.
inline std::string FixedText(std::string digits, int places) {
  const auto width = static_cast<std::size_t>(places) + 1;
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  if (places > 0) digits.insert(digits.size() - static_cast<std::size_t>(places), 1, '.');
  return digits;
}

// `digits` (at least one) as d.ddd, without the exponent.
inline std::string ScientificDigits(const std::string& digits) {
  std::string text(1, digits[0]);
  if (digits.size() > 1) text += "." + digits.substr(1);
  return text;
}

inline std::string WithoutTrailingZeros(std::string text) {
  if (text.find('.') == std::string::npos) return text;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

// The value rounded to `significant` digits: the digits, and the power of
// ten of the first in `lead`.
inline std::string RoundToSignificant(const Decimal& number, int significant, int* lead) {
  *lead = number.Lead();
  std::string digits = RoundToUnit(number, *lead - significant + 1);
  if (static_cast<int>(digits.size()) > significant) {  // 9.99 became 10.0
    digits.pop_back();
    ++*lead;
  }
  return digits;
}

// printf's %.Pf, %.Pe and %.Pg of a positive value. %g takes %e's digits
// and writes them as %f when the exponent lies in [-4, P), then drops
// trailing zeros.
inline std::string WithPrecision(const Decimal& number, std::chars_format format, int precision) {
  if (format == std::chars_format::fixed) {
    return FixedText(RoundToUnit(number, -precision), precision);
  }
  int lead = 0;
  if (format == std::chars_format::scientific) {
    const std::string digits = RoundToSignificant(number, precision + 1, &lead);
    return ScientificDigits(digits) + ExponentText(lead);
  }
  const int significant = precision == 0 ? 1 : precision;
  const std::string digits = RoundToSignificant(number, significant, &lead);
  if (lead < -4 || lead >= significant) {
    return WithoutTrailingZeros(ScientificDigits(digits)) + ExponentText(lead);
  }
  return WithoutTrailingZeros(FixedText(digits, significant - 1 - lead));
}

// Zero in each format: %f and %e keep their decimals.
inline std::string ZeroText(std::chars_format format, int precision) {
  const std::string decimals =
      precision > 0 ? "." + std::string(static_cast<std::size_t>(precision), '0') : "";
  if (format == std::chars_format::fixed) return "0" + decimals;
  if (format == std::chars_format::scientific) return "0" + decimals + "e+00";
  return "0";
}

// The numbers that read back as one float: those between the midpoints
// to its neighbours, the midpoints themselves when `closed`.
struct Interval {
  Decimal value;
  Decimal low;
  Decimal high;
  bool closed = false;
};

// The multiple of 10^unit in the interval nearest the value, ties to even,
// as a whole number of units; empty when there is none.
inline std::string NearestAtUnit(const Interval& interval, int unit) {
  const Division down = DivideByPowerOfTen(interval.low, unit);
  const std::string first =
      down.exact && interval.closed ? down.whole : AddOne(down.whole);
  const Division up = DivideByPowerOfTen(interval.high, unit);
  const std::string last = up.exact && !interval.closed ? SubtractOne(up.whole) : up.whole;
  if (CompareWhole(first, last) > 0) return std::string();
  std::string nearest = RoundToUnit(interval.value, unit);
  if (CompareWhole(nearest, first) < 0) nearest = first;
  if (CompareWhole(nearest, last) > 0) nearest = last;
  return nearest;
}

// The interval of a positive, finite float. strtof reads a midpoint as the
// float of even mantissa; below a power of two the neighbour is half as
// far. The midpoints are exact as doubles.
inline Interval IntervalOf(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const std::uint32_t field = bits & 0x7FFFFF;
  const int biased = static_cast<int>(bits >> 23);
  const std::uint32_t mantissa = biased == 0 ? field : field | 0x800000u;
  const int exponent = biased == 0 ? -149 : biased - 150;
  const bool narrowBelow = field == 0 && biased > 1;
  const double low = narrowBelow ? std::ldexp(4.0 * mantissa - 1, exponent - 2)
                                 : std::ldexp(2.0 * mantissa - 1, exponent - 1);
  const double high = std::ldexp(2.0 * mantissa + 1, exponent - 1);
  return Interval{ExactDecimal(value), ExactDecimal(low), ExactDecimal(high), mantissa % 2 == 0};
}

// The text of a positive, finite float with the fewest characters that
// reads back as it, written as %f or as %e (%f when neither is shorter).
// Its digits are the fewest that read back; of those, the nearest the
// value. As %f a number whose digits stop short of its units is written as
// the whole number nearest it that reads back: the same length, and nearer.
inline std::string ShortestText(float value) {
  const Interval interval = IntervalOf(value);
  // A float's own digits lie in its interval, so the search ends.
  int unit = interval.high.Lead();
  std::string digits;
  while ((digits = NearestAtUnit(interval, unit)).empty()) --unit;
  while (digits.back() == '0') {
    digits.pop_back();
    ++unit;
  }
  const int lead = unit + static_cast<int>(digits.size()) - 1;
  const std::string scientific = ScientificDigits(digits) + ExponentText(lead);
  const std::string fixed = unit < 0 ? FixedText(digits, -unit) : NearestAtUnit(interval, 0);
  return fixed.size() <= scientific.size() ? fixed : scientific;
}

// Infinities and NaNs as to_chars spells them; empty for a finite value.
inline std::string NonFiniteText(double value) {
  if (std::isinf(value)) return "inf";
  if (std::isnan(value)) return "nan";
  return std::string();
}

inline std::to_chars_result Put(char* first, char* last, bool negative, const std::string& text) {
  const std::size_t size = text.size() + (negative ? 1 : 0);
  if (last - first < static_cast<std::ptrdiff_t>(size)) {
    return std::to_chars_result{last, std::errc::value_too_large};
  }
  if (negative) *first++ = '-';
  std::memcpy(first, text.data(), text.size());
  return std::to_chars_result{first + text.size(), std::errc()};
}

}  // namespace float_chars

// to_chars(first, last, value) for a float.
inline std::to_chars_result ShortestToChars(char* first, char* last, float value) {
  using namespace float_chars;
  const bool negative = std::signbit(value);
  const float magnitude = std::fabs(value);
  std::string text = NonFiniteText(magnitude);
  if (text.empty()) text = magnitude == 0.0f ? "0" : ShortestText(magnitude);
  return Put(first, last, negative, text);
}

// to_chars(first, last, value, format, precision) for a double. A negative
// precision is 6, as printf takes it.
inline std::to_chars_result PrecisionToChars(char* first, char* last, double value,
                                             std::chars_format format, int precision) {
  using namespace float_chars;
  if (format != std::chars_format::fixed && format != std::chars_format::scientific &&
      format != std::chars_format::general) {
    return std::to_chars_result{last, std::errc::invalid_argument};
  }
  if (precision < 0) precision = 6;
  const bool negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  std::string text = NonFiniteText(magnitude);
  if (text.empty()) {
    text = magnitude == 0.0 ? ZeroText(format, precision)
                            : WithPrecision(ExactDecimal(magnitude), format, precision);
  }
  return Put(first, last, negative, text);
}

}  // namespace vantorel_compat
