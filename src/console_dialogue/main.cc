// One coated-sphere check on the console. Arguments are ignored.
#include <csignal>
#include <cstdio>

#include "console_dialogue/console_dialogue.h"
#include "console_dialogue/console_window.h"

int main() {
#ifndef _WIN32
  // Neither a reader of the output that goes away (`korvimalet | head -c 10`)
  // nor a terminal that closes ends the check with a signal: a write then
  // fails quietly, a read finds the end of the input, and the program runs
  // to its end and exits with 0.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGHUP, SIG_IGN);
#endif
  const int status = korvimalet::runDialogue(stdin, stdout);
  // Started by double-click, the window would close before the operator
  // has read the verdict.
  korvimalet::holdConsoleWindow(stdout);
  return status;
}
