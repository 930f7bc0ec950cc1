#include "console_dialogue/console_window.h"

#include "console_dialogue/screen_texts.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace korvimalet {

#ifdef _WIN32

bool ownsConsoleWindow() {
  DWORD processes[2];
  DWORD mode = 0;
  return GetConsoleProcessList(processes, 2) == 1 &&
         GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0 &&
         GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

void holdConsoleWindow(std::FILE* output) {
  if (!ownsConsoleWindow()) {
    return;
  }
  std::fputs(kCloseWindowPrompt, output);
  std::fflush(output);
  // The console's own line input, past the C library's buffer: what is
  // pending is dropped, and only a line ended with Enter ends the wait.
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  FlushConsoleInputBuffer(input);
  SetConsoleMode(input, ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT);
  char line[64];
  DWORD count = 0;
  while (ReadConsoleA(input, line, sizeof line, &count, nullptr) != 0 && count > 0 &&
         line[count - 1] != '\n') {
  }
}

#else

bool ownsConsoleWindow() { return false; }

void holdConsoleWindow(std::FILE* /*output*/) {}

#endif

}  // namespace korvimalet
