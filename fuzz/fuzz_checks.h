// Invariants that every run must keep, whatever the operator types: checked
// by the fuzzers on generated inputs and by the test suite on the corpus,
// on every input that once broke them, and on the stress run's reports.
#ifndef KORVIMALET_FUZZ_FUZZ_CHECKS_H_
#define KORVIMALET_FUZZ_FUZZ_CHECKS_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "weight_model/weight_model.h"

namespace korvimalet {

// Checks a whole report: every text in the dialogue's order, each number in
// its field as the %f conversion prints it, the version 3.120, the
// tolerance 1.000, and `verdict`'s text before the closing blank line.
// Returns nullptr if it is well formed, or what is wrong.
const char* checkReport(const std::string& output, ScaleVerdict verdict);

// Like checkReport, for a report whose verdict is not known: any of the three.
const char* checkReportAnyVerdict(const std::string& output);

// Runs the whole dialogue on `data` as standard input and checks that it
// returns 0 and that its report is well formed with the verdict an ordered
// comparison of the reading with the computed limits gives ("G U T" only
// within both). Returns nullptr if all holds, or what is broken.
const char* checkDialogueInput(const std::uint8_t* data, std::size_t size);

// The verdict that ordered comparisons of the reading with the computed
// limits call for, with the three numbers read from `data` as the dialogue
// reads them.
ScaleVerdict expectedVerdictFor(const std::uint8_t* data, std::size_t size);

// Takes the bit patterns of diameter, rho and reading from `data` (missing
// bytes are zero) and checks the verdict against ordered comparisons with
// the limits and, where a binary128 type exists, every field against the
// exactly rounded reference. Returns nullptr if all holds, or what is broken.
const char* checkWeightModelInput(const std::uint8_t* data, std::size_t size);

}  // namespace korvimalet

#endif  // KORVIMALET_FUZZ_FUZZ_CHECKS_H_
