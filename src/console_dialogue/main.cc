// One coated-sphere check on the console. Arguments are ignored.
#include <csignal>
#include <cstdio>

#include "console_dialogue/console_dialogue.h"
#include "console_dialogue/console_window.h"

int main() {
#ifdef SIGPIPE
  // A reader of the output that goes away (`korvimalet | head -c 10`) must
  // not end the check with a signal: a write to the closed pipe then fails
  // quietly, and the program runs to its end and exits with 0.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  const int status = korvimalet::runDialogue(stdin, stdout);
  // Started by double-click, the window would close before the operator
  // has read the verdict.
  korvimalet::holdConsoleWindow(stdout);
  return status;
}
