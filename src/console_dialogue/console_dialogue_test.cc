#include "console_dialogue/console_dialogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/scratch_stream.h"

namespace korvimalet {
namespace {

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
