// Every text of the console dialogue, written as it appears on screen:
// plain ASCII German, trailing blanks and line feeds included. Templates
// hold printf conversions; the blanks after a conversion follow the value,
// so a value wider than its field widens the line.
#ifndef KORVIMALET_CONSOLE_DIALOGUE_SCREEN_TEXTS_H_
#define KORVIMALET_CONSOLE_DIALOGUE_SCREEN_TEXTS_H_

#include <cstddef>

#include "weight_model/weight_model.h"

namespace korvimalet {

// The version shown on the version line, with three decimals.
constexpr double kProgramVersion = KORVIMALET_VERSION;

// clang-format off
constexpr char kBlankLine[] =         "                                                \n";
constexpr char kDashLine[] =          "     --------------------------------           \n";
constexpr char kTitleLine[] =         "       ** Korvimalet **                          \n";
constexpr char kVersionLine[] =       "     Version %.3f                               \n";
constexpr char kHintNoUnits[] =       " Eingaben ohne Einheiten !                      \n";
constexpr char kHintDiameter[] =      " zu 1): Durchmesser in [mm] eingeben (#.###)    \n";
constexpr char kHintRho[] =           " zu 2): Rho in [kg/dm^3] eingeben    (#.###)    \n";
constexpr char kHintEnterKey[] =      "   Eingaben mit der Enter-Taste                 \n";
constexpr char kHintConfirm[] =       "   bestaetigen                                  \n";
constexpr char kPromptDiameter[] =    " 1)    Kugel-Durchmesser eingeben: ";
constexpr char kPromptRho[] =         " 2) Spezifisches Gewicht eingeben: ";
constexpr char kScrollGap[] =         "  \n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n";
constexpr char kRadiusLine[] =        " Eine Kugel mit Radius %9.3f [mm]               \n";
constexpr char kVolumeLine[] =        " Hat ein Volumen von   %9.3f [dm^3]             \n";
constexpr char kResultIntro[] =       " Daraus folgt bei einem                         \n";
constexpr char kRhoLine[] =           " spezifischen Gewicht   :   %8.3f [kg/dm^3]     \n";
constexpr char kBareWeightLine[] =    " ein Gesamtgewicht Kugel:   %8.3f [kg]          \n";
constexpr char kEqualsLine[] =        "==========================================      \n";
constexpr char kCoatingLine[] =       "  Gewicht der Beschichtung: %8.3f [kg] \n";
constexpr char kCoatedLine[] =        " Gesamtgewicht beschichtet: %8.3f [kg] \n";
constexpr char kToleranceLine[] =     " Daraus folgt bei einer Toleranz von %6.3f %%     \n";
constexpr char kUpperLine[] =         " Obere Grenze  %8.3f      \n";
constexpr char kLowerLine[] =         " Untere Grenze %8.3f      \n";
constexpr char kReadingRequest[] =    " Geben Sie nun das abgelesene Gewicht (Waage) ein:\n";
constexpr char kReadingPrompt[] =     " in [kg] eingeben (#.###):";
constexpr char kUpperViolatedText[] = "\n Obere Grenze verletzt: SCHLECHT ";
constexpr char kLowerViolatedText[] = "\n Untere Grenze verletzt: SCHLECHT ";
constexpr char kGoodText[] =          "\n        **** G U T ****       ";
// After the closing blank line, only in a window or terminal opened for the
// program alone, which would close as soon as the program ends.
constexpr char kCloseWindowPrompt[] = " Fenster mit der Enter-Taste schliessen ";
// clang-format on

// Width of a text before its line feed, as a template.
template <std::size_t N>
constexpr std::size_t lineWidth(const char (&/*text*/)[N]) {
  return N - 2;
}

static_assert(lineWidth(kBlankLine) == 48 && lineWidth(kDashLine) == 48, "banner width");
static_assert(lineWidth(kTitleLine) == 49 && lineWidth(kVersionLine) == 48, "banner width");
static_assert(lineWidth(kHintNoUnits) == 48 && lineWidth(kHintDiameter) == 48 &&
                  lineWidth(kHintRho) == 48 && lineWidth(kHintEnterKey) == 48 &&
                  lineWidth(kHintConfirm) == 48,
              "hint width");
static_assert(lineWidth(kRadiusLine) == 48 && lineWidth(kVolumeLine) == 48 &&
                  lineWidth(kResultIntro) == 48 && lineWidth(kRhoLine) == 48 &&
                  lineWidth(kBareWeightLine) == 48 && lineWidth(kEqualsLine) == 48,
              "result line width");
static_assert(sizeof(kScrollGap) == 2 + 24 + 1, "two blanks and 24 line feeds");

// The text that announces `verdict`.
constexpr const char* verdictText(ScaleVerdict verdict) {
  switch (verdict) {
    case ScaleVerdict::UpperLimitViolated:
      return kUpperViolatedText;
    case ScaleVerdict::LowerLimitViolated:
      return kLowerViolatedText;
    case ScaleVerdict::Good:
      break;
  }
  return kGoodText;
}

}  // namespace korvimalet

#endif  // KORVIMALET_CONSOLE_DIALOGUE_SCREEN_TEXTS_H_
