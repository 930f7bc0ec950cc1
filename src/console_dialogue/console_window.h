// The window or terminal opened for the program alone, which closes (or
// disconnects) as soon as the program ends: Windows' console window for a
// start from Explorer or a shortcut; on Linux, the terminal of a menu entry
// with Terminal=true, `xterm -e korvimalet`, `tmux new-session korvimalet`,
// `ssh -t host korvimalet` or `exec korvimalet`.
#ifndef KORVIMALET_CONSOLE_DIALOGUE_CONSOLE_WINDOW_H_
#define KORVIMALET_CONSOLE_DIALOGUE_CONSOLE_WINDOW_H_

#include <cstdio>

namespace korvimalet {

// Whether the window or terminal that standard input and output are both on
// was opened for this program and closes when it ends. On Windows: the
// program is the only process on its console. Elsewhere: both streams are
// the same terminal, and the program leads that terminal's session. False
// wherever the program was started from a shell (cmd, PowerShell or a Unix
// shell keep the console or lead the session), with either stream
// redirected, and in the tests.
bool ownsConsoleWindow();

// When ownsConsoleWindow(), writes kCloseWindowPrompt to `output` and waits
// until the operator presses Enter, reading fresh input from the console or
// terminal itself: whatever was typed ahead or left unread by the dialogue,
// and an end of input typed before, do not end the wait. On a terminal an
// end of input (Ctrl+D) pressed now, a hangup or a read error end it too.
// Otherwise does nothing.
void holdConsoleWindow(std::FILE* output);

}  // namespace korvimalet

#endif  // KORVIMALET_CONSOLE_DIALOGUE_CONSOLE_WINDOW_H_
