#include "fuzz/fuzz_checks.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "console_dialogue/console_dialogue.h"
#include "console_dialogue/number_reader.h"
#include "console_dialogue/screen_texts.h"
#include "tests/weight_model_reference.h"

namespace korvimalet {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Matches one value as "%<width>.3f" prints it, right-aligned in `width`.
bool matchValue(const std::string& output, std::size_t& at, int width) {
  std::size_t end = at;
  while (end < output.size() && output[end] == ' ') {
    ++end;
  }
  const std::size_t blanks = end - at;
  if (end < output.size() && output[end] == '-') {
    ++end;
  }
  if (output.compare(end, 3, "nan") == 0 || output.compare(end, 3, "inf") == 0) {
    end += 3;
  } else {
    const std::size_t digitsStart = end;
    while (end < output.size() && isDigit(output[end])) {
      ++end;
    }
    if (end == digitsStart || end + 4 > output.size() || output[end] != '.' ||
        !isDigit(output[end + 1]) || !isDigit(output[end + 2]) || !isDigit(output[end + 3])) {
      return false;
    }
    end += 4;
  }
  const std::size_t valueWidth = end - at - blanks;
  const std::size_t wantedBlanks = valueWidth < static_cast<std::size_t>(width)
                                       ? static_cast<std::size_t>(width) - valueWidth
                                       : 0;
  if (blanks != wantedBlanks) {
    return false;
  }
  at = end;
  return true;
}

// Matches a screen text at `at`; a conversion "%W.3f" matches a printed value.
bool matchText(const std::string& output, std::size_t& at, const char* text) {
  std::size_t position = at;
  for (const char* t = text; *t != '\0'; ++t) {
    if (t[0] == '%' && t[1] == '%') {
      ++t;
    } else if (t[0] == '%') {
      int width = 0;
      for (++t; isDigit(*t); ++t) {
        width = width * 10 + (*t - '0');
      }
      if (std::strncmp(t, ".3f", 3) != 0 || !matchValue(output, position, width)) {
        return false;
      }
      t += 2;
      continue;
    }
    if (position >= output.size() || output[position] != *t) {
      return false;
    }
    ++position;
  }
  at = position;
  return true;
}

// The texts of a whole run in order; nullptr stands for the verdict.
const char* const kReportTexts[] = {
    kBlankLine,      kDashLine,       kTitleLine,     kDashLine,      kVersionLine, kBlankLine,
    kHintNoUnits,    kHintDiameter,   kHintRho,       kHintEnterKey,  kHintConfirm, kBlankLine,
    kPromptDiameter, kBlankLine,      kPromptRho,     kBlankLine,     kBlankLine,   kScrollGap,
    kBlankLine,      kDashLine,       kTitleLine,     kDashLine,      kVersionLine, kBlankLine,
    kRadiusLine,     kVolumeLine,     kBlankLine,     kResultIntro,   kRhoLine,     kBareWeightLine,
    kEqualsLine,     kCoatingLine,    kCoatedLine,    kToleranceLine, kUpperLine,   kLowerLine,
    kEqualsLine,     kReadingRequest, kReadingPrompt, kBlankLine,     nullptr,      kBlankLine};

int countOf(const std::string& text, const char* part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

const char* checkReportWith(const std::string& output, const ScaleVerdict* verdict) {
  std::size_t at = 0;
  for (const char* text : kReportTexts) {
    if (text != nullptr) {
      if (!matchText(output, at, text)) {
        return "a screen text is missing, changed or out of order";
      }
      continue;
    }
    const ScaleVerdict candidates[] = {ScaleVerdict::Good, ScaleVerdict::UpperLimitViolated,
                                       ScaleVerdict::LowerLimitViolated};
    const bool matched =
        std::any_of(std::begin(candidates), std::end(candidates), [&](ScaleVerdict candidate) {
          return (verdict == nullptr || *verdict == candidate) &&
                 matchText(output, at, verdictText(candidate));
        });
    if (!matched) {
      return "the verdict is not the one the limits call for";
    }
  }
  if (at != output.size()) {
    return "output goes on after the closing blank line";
  }
  if (countOf(output, "\n     Version 3.120 ") != 2 ||
      countOf(output, " Toleranz von  1.000 %") != 1) {
    return "the version or the tolerance is not the fixed one";
  }
  return nullptr;
}

float fromBits(const std::uint8_t* bytes) {
  float value = 0;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// Calls run(input, output) with `data` as input and returns what it wrote.
template <typename Run>
std::string withStreams(const std::uint8_t* data, std::size_t size, Run run) {
  std::vector<char> text(data, data + size);
  text.push_back('\0');  // fmemopen needs a buffer even for no input
  std::FILE* input = fmemopen(text.data(), size, "r");
  char* printed = nullptr;
  std::size_t printedSize = 0;
  std::FILE* output = open_memstream(&printed, &printedSize);
  if (input == nullptr || output == nullptr) {
    std::abort();
  }
  run(input, output);
  std::fclose(output);
  std::fclose(input);
  std::string written(printed, printedSize);
  std::free(printed);
  return written;
}

}  // namespace

const char* checkReport(const std::string& output, ScaleVerdict verdict) {
  return checkReportWith(output, &verdict);
}

const char* checkReportAnyVerdict(const std::string& output) {
  return checkReportWith(output, nullptr);
}

const char* checkDialogueInput(const std::uint8_t* data, std::size_t size) {
  int status = -1;
  const std::string report = withStreams(data, size, [&](std::FILE* input, std::FILE* output) {
    status = runDialogue(input, output);
  });
  if (status != 0) {
    return "the dialogue did not return 0";
  }
  return checkReport(report, expectedVerdictFor(data, size));
}

ScaleVerdict expectedVerdictFor(const std::uint8_t* data, std::size_t size) {
  float numbers[3] = {};
  withStreams(data, size, [&](std::FILE* input, std::FILE* output) {
    std::generate(std::begin(numbers), std::end(numbers),
                  [&] { return readNumber(input, output); });
  });
  return reference::expectedVerdict(numbers[2], computeSphereWeights(numbers[0], numbers[1]));
}

const char* checkWeightModelInput(const std::uint8_t* data, std::size_t size) {
  std::uint8_t bytes[12] = {};
  std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
  const float diameterMm = fromBits(bytes);
  const float rho = fromBits(bytes + 4);
  const float readingKg = fromBits(bytes + 8);
  const SphereWeights weights = computeSphereWeights(diameterMm, rho);
  if (judgeScaleReading(readingKg, weights) != reference::expectedVerdict(readingKg, weights)) {
    return "the verdict disagrees with ordered comparisons against the limits";
  }
  if (reference::firstDifferentField(weights, reference::exactWeights(diameterMm, rho)) >= 0) {
    return "a field is not the exactly rounded value";
  }
  return nullptr;
}

}  // namespace korvimalet
