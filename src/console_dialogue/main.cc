// One coated-sphere check on the console. Arguments are ignored.
#include <cstdio>

#include "console_dialogue/console_dialogue.h"

int main() { return korvimalet::runDialogue(stdin, stdout); }
