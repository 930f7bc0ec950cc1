// The one-pass console dialogue of a coated-sphere check: banner and hints,
// diameter (mm) and specific gravity (kg/dm^3) read, weights and tolerance
// band printed, scale reading (kg) read, verdict printed.
#ifndef KORVIMALET_CONSOLE_DIALOGUE_CONSOLE_DIALOGUE_H_
#define KORVIMALET_CONSOLE_DIALOGUE_CONSOLE_DIALOGUE_H_

#include <cstdio>

namespace korvimalet {

// Writes the banner: blank line, dash line, title, dash line, version line,
// blank line.
void printBanner(std::FILE* output);

// Flushes `output`, so that every prompt is visible, then reads one number
// from `input` as the "%f" conversion of formatted input does: skips white
// space, line ends included, then takes the longest prefix of a number
// (optional sign, digits with an optional point, optional exponent; also
// "inf", "infinity", "nan", "nan(...)" and hexadecimal "0x...p..." forms)
// and rounds it correctly to the nearest float. The decimal separator is
// the point, whatever the locale. Whatever stops the number stays in the
// input. Returns NaN when no number could be read (no number at all, an
// incomplete one such as "1e", or the end of the input).
float readNumber(std::FILE* input, std::FILE* output);

// Runs one complete check on the given streams and returns the exit status,
// which is always 0.
int runDialogue(std::FILE* input, std::FILE* output);

}  // namespace korvimalet

#endif  // KORVIMALET_CONSOLE_DIALOGUE_CONSOLE_DIALOGUE_H_
