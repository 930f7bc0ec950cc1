#include "console_dialogue/console_dialogue.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#ifdef _WIN32
#include <process.h>
#endif

namespace korvimalet {
namespace {

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

// An empty file stream for writing and reading back, removed once closed.
std::FILE* scratchStream() {
#ifdef _WIN32
  // msvcrt's tmpfile() takes its names from the clock, so two test processes
  // running at once can pick the same name, and one of them gets no stream.
  // The process id makes these names our own; "D" deletes the file on close.
  static unsigned count = 0;
  const std::string name = testing::TempDir() + "korvimalet-test-" + std::to_string(_getpid()) +
                           "-" + std::to_string(count++) + ".tmp";
  std::FILE* stream = std::fopen(name.c_str(), "w+bD");
#else
  std::FILE* stream = std::tmpfile();
#endif
  if (stream == nullptr) {
    std::perror("no scratch file for the test streams");
    std::abort();
  }
  return stream;
}

// A stream holding `text`, positioned at its start.
std::FILE* streamOf(const std::string& text) {
  std::FILE* stream = scratchStream();
  std::fwrite(text.data(), 1, text.size(), stream);
  std::rewind(stream);
  return stream;
}

std::string restOf(std::FILE* stream) {
  std::string rest;
  for (int c = std::getc(stream); c != EOF; c = std::getc(stream)) {
    rest += static_cast<char>(c);
  }
  return rest;
}

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

std::string dialogueOutput(const std::string& input) {
  std::FILE* in = streamOf(input);
  std::FILE* out = scratchStream();
  EXPECT_EQ(runDialogue(in, out), 0);
  std::rewind(out);
  std::string output = restOf(out);
  std::fclose(in);
  std::fclose(out);
  return output;
}

bool sameFloat(float a, float b) {
  return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
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
      {"nan\n", kNaN, "\n"},
      {"NaN(aB_1)z", kNaN, "z"},
      {"-nan", -kNaN, ""},
      {"0x1.8p1;", 3.0F, ";"},
      {"0X.8P+2", 2.0F, ""},
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
  EXPECT_EQ(readFrom("1" + zeros + zeros).value, kInf);
  EXPECT_EQ(readFrom("0x1.000001" + zeros + "p0").value, 1.0F);
  EXPECT_EQ(readFrom("0x1.000001" + zeros + "1p0").value, justAboveOne);
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

// --- The dialogue in-process ----------------------------------------------

TEST(RunDialogue, WorkedExampleMatchesTheTranscript) {
  std::ifstream file(KORVIMALET_TEST_DATA "/worked_example.out", std::ios::binary);
  std::stringstream expected;
  expected << file.rdbuf();
  ASSERT_FALSE(expected.str().empty());
  EXPECT_EQ(dialogueOutput("100\n7.85\n4.6\n"), expected.str());
}

TEST(RunDialogue, UnreadableInputShowsNanAndIsNeverGood) {
  const std::string output = dialogueOutput("abc\n");
  EXPECT_NE(output.find(" Eine Kugel mit Radius       nan [mm]               \n"),
            std::string::npos);
  EXPECT_NE(output.find(" spezifischen Gewicht   :        nan [kg/dm^3]     \n"),
            std::string::npos);
  EXPECT_NE(output.find(" Obere Grenze       nan      \n"), std::string::npos);
  EXPECT_EQ(output.find("G U T"), std::string::npos);
  const std::string ending = "\n Obere Grenze verletzt: SCHLECHT " + std::string(48, ' ') + "\n";
  EXPECT_EQ(output.substr(output.size() - ending.size()), ending);
}

TEST(RunDialogue, ValuesPrintFromTheirExactBinaryValue) {
  // 0.0625 lies exactly halfway between 0.062 and 0.063: ties go to even
  // (the legacy Windows runtime prints 0.063). 1e30 as a float is exactly
  // 1000000015047466219876688855040, every digit of which is printed (the
  // legacy runtime pads after 17 digits with zeros).
  const std::string output = dialogueOutput("0.125 0.0625 0\n");
  EXPECT_NE(output.find(" Eine Kugel mit Radius     0.062 [mm]"), std::string::npos);
  EXPECT_NE(output.find(" spezifischen Gewicht   :      0.062 [kg/dm^3]"), std::string::npos);
  const std::string huge = dialogueOutput("2e30 0.1875 0\n");
  EXPECT_NE(huge.find(" Eine Kugel mit Radius 1000000015047466219876688855040.000 [mm]"),
            std::string::npos);
  EXPECT_NE(huge.find(" spezifischen Gewicht   :      0.188 [kg/dm^3]"), std::string::npos);
}

TEST(RunDialogue, VerdictTexts) {
  const std::string blank(48, ' ');
  const struct {
    const char* input;
    std::string ending;
  } cases[] = {
      {"100 7.85 4.6", "(#.###):" + blank + "\n\n        **** G U T ****       " + blank + "\n"},
      {"100 7.85 4.7", "(#.###):" + blank + "\n\n Obere Grenze verletzt: SCHLECHT " + blank + "\n"},
      {"100 7.85 4.5",
       "(#.###):" + blank + "\n\n Untere Grenze verletzt: SCHLECHT " + blank + "\n"},
      {"0 7.85 0", "\n        **** G U T ****       " + blank + "\n"},
  };
  for (const auto& c : cases) {
    const std::string output = dialogueOutput(c.input);
    ASSERT_GE(output.size(), c.ending.size());
    EXPECT_EQ(output.substr(output.size() - c.ending.size()), c.ending) << c.input;
  }
}

}  // namespace
}  // namespace korvimalet
