// Every seed of the fuzz corpus and every input that ever broke an
// invariant, run through the fuzzers' checks in the normal test suite.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"

namespace korvimalet {
namespace {

using Check = const char* (*)(const std::uint8_t*, std::size_t);

// Runs `check` on every file below fuzz/<folder>/<target>; returns how many.
int checkFolder(const std::string& folder, const std::string& target, Check check) {
  const std::filesystem::path root = std::filesystem::path(KORVIMALET_FUZZ_DIR) / folder / target;
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(root)) {
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    const char* broken = check(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(broken, nullptr) << entry.path() << ": " << broken;
    ++count;
  }
  return count;
}

TEST(FuzzCorpus, DialogueSeedsAndRegressions) {
  EXPECT_GT(checkFolder("corpus", "dialogue", checkDialogueInput), 0);
  EXPECT_GT(checkFolder("regressions", "dialogue", checkDialogueInput), 0);
}

TEST(FuzzCorpus, WeightModelSeedsAndRegressions) {
  EXPECT_GT(checkFolder("corpus", "weight_model", checkWeightModelInput), 0);
  EXPECT_GT(checkFolder("regressions", "weight_model", checkWeightModelInput), 0);
}

TEST(CheckReport, RejectsBrokenReports) {
  const char input[] = "100\n7.85\n4.6\n";
  EXPECT_EQ(checkDialogueInput(reinterpret_cast<const std::uint8_t*>(input), sizeof input - 1),
            nullptr);
  std::ifstream file(KORVIMALET_TEST_DATA "/worked_example.out", std::ios::binary);
  const std::string good((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(checkReport(good, ScaleVerdict::Good), nullptr);
  EXPECT_EQ(checkReportAnyVerdict(good), nullptr);
  EXPECT_NE(checkReport(good, ScaleVerdict::UpperLimitViolated), nullptr);
  std::string narrow = good;
  narrow.replace(narrow.find("    50.000"), 10, "   50.000");
  EXPECT_NE(checkReportAnyVerdict(narrow), nullptr);
  std::string truncated = good.substr(0, good.size() - 1);
  EXPECT_NE(checkReportAnyVerdict(truncated), nullptr);
  std::string otherVersion = good;
  otherVersion.replace(otherVersion.find("3.120"), 5, "3.121");
  EXPECT_NE(checkReportAnyVerdict(otherVersion), nullptr);
}

}  // namespace
}  // namespace korvimalet
