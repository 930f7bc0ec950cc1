#include "console_dialogue/number_reader.h"

#include <cstdlib>
#include <limits>

namespace korvimalet {
namespace {

// Significant digits kept of a typed number. Every halfway point between two
// floats has at most 113 significant decimal digits (and far fewer hex
// digits), so a number cut after this many digits, with a 1 appended when a
// cut digit was not 0, lies on the same side of every float and every
// halfway point as the whole number, and rounds to the same float.
constexpr int kMaxSignificantDigits = 120;

// The power of the radix that the canonical form carries is clamped here:
// with at most kMaxSignificantDigits + 1 digits, a number scaled by ten (or
// two) to this power over- or underflows any float.
constexpr long long kScaleLimit = 100000;

// Exponent digits and digit positions are counted exactly up to here, far
// beyond any input that can be typed or piped in (10^17 characters), and
// no further, so that their sum cannot overflow. A long run of leading
// zeros or digits offsets a far exponent only while both are counted.
constexpr long long kCountLimit = 100000000000000000;

// Room for a sign, "0x", the digits, a sticky digit, the exponent letter and
// the clamped power.
constexpr int kCanonicalSize = kMaxSignificantDigits + 32;

// White space as the C locale defines it, whatever the process's locale.
bool isWhiteSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDecimalDigit(int c) { return c >= '0' && c <= '9'; }

bool isHexDigit(int c) {
  return isDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isNanCharacter(int c) {
  return isDecimalDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

int toLowerAscii(int c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

// Consumes `word` case-insensitively. `c` holds the next unread character
// before and after; returns false at the first character that differs.
bool matchWord(std::FILE* input, int& c, const char* word) {
  for (; *word != '\0'; ++word) {
    if (toLowerAscii(c) != *word) {
      return false;
    }
    c = std::getc(input);
  }
  return true;
}

// Reads "inf", "infinity", "nan" or "nan(chars)" after the sign; `c` holds
// the first letter. Returns NaN if the word breaks off.
float readWord(std::FILE* input, int& c, bool negative) {
  const float noNumber = std::numeric_limits<float>::quiet_NaN();
  if (toLowerAscii(c) == 'i') {
    if (!matchWord(input, c, "inf") || (toLowerAscii(c) == 'i' && !matchWord(input, c, "inity"))) {
      return noNumber;
    }
    const float infinity = std::numeric_limits<float>::infinity();
    return negative ? -infinity : infinity;
  }
  if (!matchWord(input, c, "nan")) {
    return noNumber;
  }
  if (c == '(') {
    c = std::getc(input);
    while (isNanCharacter(c)) {
      c = std::getc(input);
    }
    if (c != ')') {
      return noNumber;
    }
    c = std::getc(input);
  }
  return negative ? -noNumber : noNumber;
}

// Significant digits of a number: at most kMaxSignificantDigits of them,
// then a sticky 1 if a cut digit was not 0, then the terminating NUL.
using SignificantDigits = char[kMaxSignificantDigits + 2];

// Reads digits with an optional point; `c` holds the first character. Keeps
// the significant digits without leading zeros in `digits` and counts in
// `shift` the digit positions by which the point moves right of them (value
// = digits x radix^shift). Returns whether any digit came.
bool readSignificand(std::FILE* input, int& c, bool hex, SignificantDigits& digits,
                     long long& shift) {
  bool sawDigit = false;
  bool inFraction = false;
  bool cutNonZero = false;
  int count = 0;
  for (;; c = std::getc(input)) {
    if (c == '.' && !inFraction) {
      inFraction = true;
      continue;
    }
    if (!(hex ? isHexDigit(c) : isDecimalDigit(c))) {
      break;
    }
    sawDigit = true;
    if (count == kMaxSignificantDigits) {
      shift += (inFraction || shift >= kCountLimit) ? 0 : 1;
      cutNonZero = cutNonZero || c != '0';
      continue;
    }
    if (count > 0 || c != '0') {
      digits[count++] = static_cast<char>(c);
    }
    shift -= (inFraction && shift > -kCountLimit) ? 1 : 0;
  }
  if (cutNonZero) {
    digits[count++] = '1';
    shift -= 1;
  }
  digits[count] = '\0';
  return sawDigit;
}

// Reads the digits of an exponent after its letter, with an optional sign;
// `c` holds the character after the letter. Returns false if no digit comes.
bool readExponent(std::FILE* input, int& c, long long& exponent) {
  const bool negative = c == '-';
  if (c == '+' || c == '-') {
    c = std::getc(input);
  }
  if (!isDecimalDigit(c)) {
    return false;
  }
  for (; isDecimalDigit(c); c = std::getc(input)) {
    if (exponent < kCountLimit) {
      exponent = exponent * 10 + (c - '0');
    }
  }
  exponent = negative ? -exponent : exponent;
  return true;
}

// Writes `value` in decimal and a terminating NUL at `out`; |value| is at
// most kScaleLimit. (snprintf would do, at several times the cost.)
void writeInteger(char* out, long long value) {
  if (value < 0) {
    *out++ = '-';
    value = -value;
  }
  char reversed[8];
  int count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0);
  while (count > 0) {
    *out++ = reversed[--count];
  }
  *out = '\0';
}

// Reads digits with an optional point and an optional exponent after the
// sign; `c` holds the first character. The significant digits are rewritten
// as an integer times a power ("123e-2", "0x18p-3"), which needs no decimal
// separator and so reads the same in every locale, and converted by strtof,
// which rounds correctly. Returns NaN if no digit comes or the exponent
// breaks off.
float readDigits(std::FILE* input, int& c, bool negative) {
  const float noNumber = std::numeric_limits<float>::quiet_NaN();
  bool hex = false;
  bool leadingZero = false;
  if (c == '0') {
    c = std::getc(input);
    hex = c == 'x' || c == 'X';
    leadingZero = !hex;
    if (hex) {
      c = std::getc(input);
    }
  }
  SignificantDigits digits = {};
  long long shift = 0;
  if (!readSignificand(input, c, hex, digits, shift) && !leadingZero) {
    return noNumber;
  }
  long long exponent = 0;
  if (toLowerAscii(c) == (hex ? 'p' : 'e')) {
    c = std::getc(input);
    if (!readExponent(input, c, exponent)) {
      return noNumber;
    }
  }
  if (digits[0] == '\0') {
    return negative ? -0.0F : 0.0F;
  }
  long long scale = exponent + (hex ? 4 * shift : shift);
  scale = scale > kScaleLimit ? kScaleLimit : scale;
  scale = scale < -kScaleLimit ? -kScaleLimit : scale;
  char canonical[kCanonicalSize];
  char* out = canonical;
  if (negative) {
    *out++ = '-';
  }
  if (hex) {
    *out++ = '0';
    *out++ = 'x';
  }
  for (const char* digit = digits; *digit != '\0'; ++digit) {
    *out++ = *digit;
  }
  *out++ = hex ? 'p' : 'e';
  writeInteger(out, scale);
  return std::strtof(canonical, nullptr);
}

}  // namespace

float readNumber(std::FILE* input, std::FILE* output) {
  std::fflush(output);
  int c = std::getc(input);
  while (isWhiteSpace(c)) {
    c = std::getc(input);
  }
  const bool negative = c == '-';
  if (c == '+' || c == '-') {
    c = std::getc(input);
  }
  const int first = toLowerAscii(c);
  const float value = (first == 'i' || first == 'n') ? readWord(input, c, negative)
                                                     : readDigits(input, c, negative);
  // Like formatted input, push back the one character that ended the number.
  if (c != EOF) {
    std::ungetc(c, input);
  }
  return value;
}

}  // namespace korvimalet
