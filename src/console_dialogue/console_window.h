// The console window that Windows opens for a program started from
// Explorer or a shortcut, and closes as soon as the program ends.
#ifndef KORVIMALET_CONSOLE_DIALOGUE_CONSOLE_WINDOW_H_
#define KORVIMALET_CONSOLE_DIALOGUE_CONSOLE_WINDOW_H_

#include <cstdio>

namespace korvimalet {

// Whether the program is the only process on its console, with standard
// input and output both on it: the console was opened for this program and
// its window closes when the program ends. False wherever the program was
// started from a shell (cmd or PowerShell share their console), with either
// stream redirected, and on every system other than Windows.
bool ownsConsoleWindow();

// When ownsConsoleWindow(), writes kCloseWindowPrompt to `output` and waits
// until the operator presses Enter, reading fresh console input: whatever
// was typed ahead or left unread by the dialogue, and an end of input, do
// not end the wait. Otherwise does nothing.
void holdConsoleWindow(std::FILE* output);

}  // namespace korvimalet

#endif  // KORVIMALET_CONSOLE_DIALOGUE_CONSOLE_WINDOW_H_
