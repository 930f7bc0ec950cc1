#include "console_dialogue/number_reader.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "tests/scratch_stream.h"

namespace korvimalet {
namespace {

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Read {
  float value;
  std::string rest;  // what the read left in the input
};

Read readFrom(const std::string& text) {
  std::FILE* input = streamOf(text);
  std::FILE* output = scratchStream();
  const float value = readNumber(input, output);
  Read read{value, restOf(input)};
  std::fclose(input);
  std::fclose(output);
  return read;
}

// Equal with the same sign; a NaN matches a NaN of the same sign ("-nan").
bool sameFloat(float a, float b) {
  return (std::isnan(a) ? std::isnan(b) : a == b) && std::signbit(a) == std::signbit(b);
}

struct ReadCase {
  const char* input;
  float value;
  const char* rest;
};

void expectReads(const ReadCase* cases, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const Read read = readFrom(cases[i].input);
    EXPECT_TRUE(sameFloat(read.value, cases[i].value))
        << '"' << cases[i].input << "\" read as " << read.value << ", not " << cases[i].value;
    EXPECT_EQ(read.rest, cases[i].rest) << '"' << cases[i].input << '"';
  }
}

TEST(ReadNumber, DecimalForms) {
  const ReadCase cases[] = {
      {"100\n", 100.0F, "\n"},
      {" \n\t\r\v\f 7.85\n", 7.85F, "\n"},
      {"100 7.85\n", 100.0F, " 7.85\n"},
      {"+.5x", 0.5F, "x"},
      {"-12.e1 ", -120.0F, " "},
      {"007", 7.0F, ""},
      {"1E-3", 0.001F, ""},
      {"2.5e+2kg", 250.0F, "kg"},
      {"-0", -0.0F, ""},
      {"0.000", 0.0F, ""},
      {"4.6.5", 4.6F, ".5"},
      {"100-7.85", 100.0F, "-7.85"},
      {"4,6\n", 4.0F, ",6\n"},
  };
  expectReads(cases, sizeof cases / sizeof cases[0]);
}

TEST(ReadNumber, NoNumberLeavesWhatStoppedIt) {
  const ReadCase cases[] = {
      {"", kNaN, ""},          {"  \n", kNaN, ""}, {"abc\n", kNaN, "abc\n"},  {",6", kNaN, ",6"},
      {"-x", kNaN, "x"},       {"+", kNaN, ""},    {".", kNaN, ""},           {".e1", kNaN, "e1"},
      {"1e", kNaN, ""},        {"1ex", kNaN, "x"}, {"1e+x", kNaN, "x"},       {"0x", kNaN, ""},
      {"0xg", kNaN, "g"},      {"0x1p", kNaN, ""}, {"in", kNaN, ""},          {"infin;", kNaN, ";"},
      {"INFINITE", kNaN, "E"}, {"na", kNaN, ""},   {"nan(1,2)", kNaN, ",2)"}, {"nan(", kNaN, ""},
  };
  expectReads(cases, sizeof cases / sizeof cases[0]);
}

TEST(ReadNumber, WordsAndHexadecimalForms) {
  const ReadCase cases[] = {
      {"inf", kInf, ""},
      {"-Infinity!", -kInf, "!"},
      {"+INFx", kInf, "x"},
      {"info", kInf, "o"},
      {"nan\n", kNaN, "\n"},
      {"NaN(aB_1)z", kNaN, "z"},
      {"-nan", -kNaN, ""},
      {"0x1.8p1;", 3.0F, ";"},
      {"0X.8P+2", 2.0F, ""},
      {"0xFF.8P-1", 127.75F, ""},
      {"-0x10", -16.0F, ""},
      {"0x1p-149", FLT_TRUE_MIN, ""},
      {"0x1.fffffefp127", FLT_MAX, ""},
      {"0x1.ffffffp127", kInf, ""},
  };
  expectReads(cases, sizeof cases / sizeof cases[0]);
}

TEST(ReadNumber, RangeEnds) {
  const ReadCase cases[] = {
      {"1e60", kInf, ""},
      {"-1e60", -kInf, ""},
      {"1e-60", 0.0F, ""},
      {"-1e-60", -0.0F, ""},
      {"3.4028235e38", FLT_MAX, ""},
      {"3.4028236e38", kInf, ""},
      {"1.4e-45", FLT_TRUE_MIN, ""},
      {"7.0065e-46", FLT_TRUE_MIN, ""},  // just above half the smallest denormal
      {"7.0064e-46", 0.0F, ""},          // just below
      {"1e99999999999999999999999", kInf, ""},
      {"0e99999999999999999999999", 0.0F, ""},
      {"1e-99999999999999999999999", 0.0F, ""},
  };
  expectReads(cases, sizeof cases / sizeof cases[0]);
}

// The decimal digits of odd x 5^power: with the point moved `power` places
// left, that is the exact value of odd x 2^-power.
std::string oddTimesPowerOfFive(std::uint32_t odd, int power) {
  std::string digits = std::to_string(odd);  // most significant first
  for (int p = 0; p < power; ++p) {
    int carry = 0;
    for (auto digit = digits.rbegin(); digit != digits.rend(); ++digit) {
      const int product = (*digit - '0') * 5 + carry;
      *digit = static_cast<char>('0' + product % 10);
      carry = product / 10;
    }
    if (carry > 0) {
      digits.insert(digits.begin(), static_cast<char>('0' + carry));
    }
  }
  return digits;
}

TEST(ReadNumber, RoundsLongNumbersCorrectly) {
  const std::string zeros(150, '0');
  const float justAboveOne = std::nextafter(1.0F, 2.0F);
  // 1 + 2^-24 lies exactly halfway between 1 and the next float: ties to
  // even give 1; the smallest excess, far beyond the kept digits, rounds up.
  EXPECT_EQ(readFrom("1.000000059604644775390625").value, 1.0F);
  EXPECT_EQ(readFrom("1.000000059604644775390625" + zeros + "1").value, justAboveOne);
  EXPECT_EQ(readFrom("1.000000059604644775390624" + zeros + "9").value, 1.0F);
  // 2^24 + 1 lies halfway between 2^24 and 2^24 + 2; digits cut from the
  // whole-number part still count.
  EXPECT_EQ(readFrom("16777217" + zeros + "e-150").value, 16777216.0F);
  EXPECT_EQ(readFrom("16777217" + zeros + "1e-151").value, 16777218.0F);
  EXPECT_EQ(readFrom("0." + zeros + zeros + "1e310").value, 1e9F);
  // Halfway between the denormals of 0x7FFFFD and 0x7FFFFE units of 2^-149
  // is 0xFFFFFB x 2^-150, with 113 significant digits: cut short, it lies
  // below the tie and would round to the odd one.
  EXPECT_EQ(readFrom(oddTimesPowerOfFive(0xFFFFFB, 150) + "e-150").value,
            std::ldexp(8388606.0F, -149));
  EXPECT_EQ(readFrom("1" + zeros + zeros).value, kInf);
  EXPECT_EQ(readFrom("0x1.000001" + zeros + "p0").value, 1.0F);
  EXPECT_EQ(readFrom("0x1.000001" + zeros + "1p0").value, justAboveOne);
}

TEST(ReadNumber, NumbersOfAnyLengthAndExponent) {
  const std::string millionZeros(1000000, '0');
  EXPECT_EQ(readFrom("0." + millionZeros.substr(1) + "1e1000000").value, 1.0F);
  EXPECT_EQ(readFrom("1" + millionZeros + "e-1000000").value, 1.0F);
  EXPECT_EQ(readFrom("0x0." + millionZeros.substr(750001) + "1p1000000").value, 1.0F);

  // Halfway points between two floats below 2^23, written exactly, a hair
  // above and a hair below (the hair 100,000 digits down), each with its
  // point moved far by leading zeros or by a long run of digits and moved
  // back by the exponent.
  const std::size_t kRun = 100000;
  std::mt19937 random(20261208);
  std::uniform_int_distribution<std::uint32_t> belowTwoTo23(1, 0x4AFFFFFF);
  for (int i = 0; i < 12; ++i) {
    std::uint32_t bits = belowTwoTo23(random);
    float below = 0;
    std::memcpy(&below, &bits, sizeof below);
    const float above = std::nextafter(below, kInf);
    // below = significand x 2^(exponent), so the halfway point is
    // (2 significand + 1) x 2^-power with power = 1 - exponent > 0.
    const std::uint32_t biased = bits >> 23;
    const std::uint32_t significand = (bits & 0x7FFFFF) | (biased != 0 ? 0x800000 : 0);
    const int power = 1 - (biased != 0 ? static_cast<int>(biased) - 150 : -149);
    const std::string halfway = oddTimesPowerOfFive(2 * significand + 1, power);  // ends in 5
    const struct {
      std::string digits;
      long long tenPower;  // value = digits x 10^tenPower
      float expected;
    } forms[] = {
        {halfway, -power, (bits & 1U) == 0 ? below : above},
        {halfway + std::string(kRun, '0') + "1", -power - static_cast<long long>(kRun) - 1, above},
        {halfway.substr(0, halfway.size() - 1) + "4" + std::string(kRun, '9'),
         -power - static_cast<long long>(kRun), below},
    };
    for (const auto& form : forms) {
      const long long length = static_cast<long long>(form.digits.size());
      const std::string texts[] = {
          form.digits + "e" + std::to_string(form.tenPower),
          "0." + std::string(kRun, '0') + form.digits + "e" +
              std::to_string(form.tenPower + static_cast<long long>(kRun) + length),
          form.digits + std::string(kRun, '0') + "e" +
              std::to_string(form.tenPower - static_cast<long long>(kRun)),
      };
      for (const std::string& text : texts) {
        const Read read = readFrom(text + "\n");
        ASSERT_EQ(read.value, form.expected)
            << text.substr(0, 60) << "... (" << text.size() << " characters)";
#ifndef __MINGW32__
        // (mingw-w64's strtof reads some of these as 0; glibc's reads them
        // right, and so does this reader, checked above on every target.)
        ASSERT_EQ(read.value, std::strtof(text.c_str(), nullptr)) << text.substr(0, 60);
#endif
        ASSERT_EQ(read.rest, "\n");
      }
    }
  }
}

TEST(ReadNumber, AgreesWithStrtofOnRandomDecimals) {
  // The C library's own conversion, in the C locale, as the oracle for how
  // the kept digits, the point and the exponent are put back together.
  std::mt19937 random(42);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> length(1, 200);
  std::uniform_int_distribution<int> exponent(-80, 80);
  std::uniform_int_distribution<int> coin(0, 3);
  for (int i = 0; i < 5000; ++i) {
    std::string text = coin(random) == 0 ? "-" : "";
    text += std::string(static_cast<std::size_t>(coin(random) * 20), '0');
    const int digits = length(random);
    const int point = coin(random) == 0 ? -1 : digit(random) * digits / 9;
    for (int d = 0; d < digits; ++d) {
      if (d == point) {
        text += '.';
      }
      text += static_cast<char>('0' + (d < 7 || coin(random) != 0 ? digit(random) : 0));
    }
    if (coin(random) != 0) {
      text += "e" + std::to_string(exponent(random));
    }
    const float expected = std::strtof(text.c_str(), nullptr);
    const Read read = readFrom(text + "\n");
    ASSERT_TRUE(sameFloat(read.value, expected)) << text;
    ASSERT_EQ(read.rest, "\n") << text;
  }
}

TEST(ReadNumber, PointIsTheSeparatorInACommaLocale) {
  const char* locale = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252"}) {
    locale = locale != nullptr ? locale : std::setlocale(LC_ALL, name);
  }
  if (locale == nullptr) {
    GTEST_SKIP() << "no German locale is installed";
  }
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  const Read point = readFrom("4.6\n");
  const Read comma = readFrom("4,6\n");
  const Read hex = readFrom("0x1.8p1");
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(point.value, 4.6F);
  EXPECT_EQ(point.rest, "\n");
  EXPECT_EQ(comma.value, 4.0F);
  EXPECT_EQ(comma.rest, ",6\n");
  EXPECT_EQ(hex.value, 3.0F);
}

}  // namespace
}  // namespace korvimalet
