// The window or terminal opened for the program alone, which closes (or
// disconnects) as soon as the program ends: Windows' console window for a
// start from Explorer or a shortcut; on Linux, the terminal of a menu entry
// with Terminal=true, `xterm -e korvimalet`, `tmux new-session korvimalet`,
// `ssh -t host korvimalet` or `exec korvimalet`, with or without `sh -c`
// between that terminal and the program.
#ifndef KORVIMALET_CONSOLE_DIALOGUE_CONSOLE_WINDOW_H_
#define KORVIMALET_CONSOLE_DIALOGUE_CONSOLE_WINDOW_H_

#include <cstdio>

namespace korvimalet {

// Whether the window or terminal that standard input and output are both on
// was opened for this program and closes when it ends. On Windows: the
// program is the only process on its console. Elsewhere: both streams are
// the controlling terminal, and the program is in the process group of the
// session's leader. False wherever the program was started from a shell
// that an operator types at (cmd and PowerShell share the console; a Unix
// shell with job control gives each job a process group of its own), with
// either stream redirected, and in the tests.
bool ownsConsoleWindow();

// When ownsConsoleWindow(), and the dialogue's input (stdin) has not ended,
// writes kCloseWindowPrompt to `output` and waits until the operator
// presses Enter, reading fresh input from the console or terminal itself:
// the lines typed ahead, left unread by the dialogue or typed in the first
// second after the prompt are dropped and do not end the wait. On a
// terminal an end of input (Ctrl+D, also after some characters, or what a
// terminal wrapper sends when its own terminal goes away), a hangup or a
// read error end it too, within that second once it is over. Otherwise
// does nothing.
void holdConsoleWindow(std::FILE* output);

}  // namespace korvimalet

#endif  // KORVIMALET_CONSOLE_DIALOGUE_CONSOLE_WINDOW_H_
