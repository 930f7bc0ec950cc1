#include "console_dialogue/console_window.h"

#include "console_dialogue/screen_texts.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
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

bool ownsConsoleWindow() {
  // tcgetsid() answers only for the controlling terminal of the caller's
  // session, of which there is one: both streams on it, and the program
  // leading that session.
  const pid_t self = getpid();
  return tcgetsid(STDIN_FILENO) == self && tcgetsid(STDOUT_FILENO) == self;
}

void holdConsoleWindow(std::FILE* output) {
  if (!ownsConsoleWindow()) {
    return;
  }
  std::fputs(kCloseWindowPrompt, output);
  std::fflush(output);
  // The terminal's own line input, past the C library's buffer: what was
  // typed ahead is dropped, and Enter ends the wait. So do an end of input
  // pressed now (a read of nothing), a hangup and an error, so that the
  // wait never spins. (No signal handler runs here, so no read is
  // interrupted.)
  tcflush(STDIN_FILENO, TCIFLUSH);
  char typed = '\0';
  while (read(STDIN_FILENO, &typed, 1) == 1 && typed != '\n' && typed != '\r') {
  }
}

#endif

}  // namespace korvimalet
