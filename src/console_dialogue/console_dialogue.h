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

// Runs one complete check on the given streams and returns the exit status,
// which is always 0.
int runDialogue(std::FILE* input, std::FILE* output);

}  // namespace korvimalet

#endif  // KORVIMALET_CONSOLE_DIALOGUE_CONSOLE_DIALOGUE_H_
