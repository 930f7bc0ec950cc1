#include "console_dialogue/console_dialogue.h"

#include "console_dialogue/number_reader.h"
#include "console_dialogue/screen_texts.h"
#include "weight_model/weight_model.h"

#if defined(__MINGW32__) && !__USE_MINGW_ANSI_STDIO
#error \
    "build with __USE_MINGW_ANSI_STDIO=1: the legacy Windows runtime rounds printed values wrongly"
#endif

namespace korvimalet {
namespace {

// Tolerance line: the tolerance in percent.
constexpr double kPercentPerFraction = 100.0;

void printValue(std::FILE* output, const char* format, float value) {
  std::fprintf(output, format, static_cast<double>(value));
}

}  // namespace

void printBanner(std::FILE* output) {
  std::fputs(kBlankLine, output);
  std::fputs(kDashLine, output);
  std::fputs(kTitleLine, output);
  std::fputs(kDashLine, output);
  std::fprintf(output, kVersionLine, kProgramVersion);
  std::fputs(kBlankLine, output);
}

int runDialogue(std::FILE* input, std::FILE* output) {
  printBanner(output);
  std::fputs(kHintNoUnits, output);
  std::fputs(kHintDiameter, output);
  std::fputs(kHintRho, output);
  std::fputs(kHintEnterKey, output);
  std::fputs(kHintConfirm, output);
  std::fputs(kBlankLine, output);

  std::fputs(kPromptDiameter, output);
  const float diameterMm = readNumber(input, output);
  std::fputs(kBlankLine, output);
  std::fputs(kPromptRho, output);
  const float rho = readNumber(input, output);
  std::fputs(kBlankLine, output);
  std::fputs(kBlankLine, output);

  const SphereWeights weights = computeSphereWeights(diameterMm, rho);

  std::fputs(kScrollGap, output);
  printBanner(output);
  printValue(output, kRadiusLine, weights.radiusMm);
  printValue(output, kVolumeLine, weights.volumeDm3);
  std::fputs(kBlankLine, output);
  std::fputs(kResultIntro, output);
  printValue(output, kRhoLine, rho);
  printValue(output, kBareWeightLine, weights.bareWeightKg);
  std::fputs(kEqualsLine, output);
  printValue(output, kCoatingLine, weights.coatingWeightKg);
  printValue(output, kCoatedLine, weights.coatedWeightKg);
  std::fprintf(output, kToleranceLine, kTolerance * kPercentPerFraction);
  printValue(output, kUpperLine, weights.upperLimitKg);
  printValue(output, kLowerLine, weights.lowerLimitKg);
  std::fputs(kEqualsLine, output);

  std::fputs(kReadingRequest, output);
  std::fputs(kReadingPrompt, output);
  const float readingKg = readNumber(input, output);
  std::fputs(kBlankLine, output);

  std::fputs(verdictText(judgeScaleReading(readingKg, weights)), output);
  std::fputs(kBlankLine, output);
  std::fflush(output);
  return 0;
}

}  // namespace korvimalet
