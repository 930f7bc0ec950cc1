// One coated-sphere check on the console. Arguments are ignored.
#include <cstdio>

#include "console_dialogue/console_dialogue.h"
#include "console_dialogue/console_window.h"

int main() {
  const int status = korvimalet::runDialogue(stdin, stdout);
  // Started by double-click, the window would close before the operator
  // has read the verdict.
  korvimalet::holdConsoleWindow(stdout);
  return status;
}
