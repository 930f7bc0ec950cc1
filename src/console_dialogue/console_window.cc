#include "console_dialogue/console_window.h"

#include "console_dialogue/screen_texts.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace korvimalet {
namespace {

// How long after the closing line appears keys are dropped: a second Enter
// pressed with the reading's, or a key that repeats, must not close the
// window before the verdict has been read.
constexpr int kKeysIgnoredMs = 1000;

#ifndef _WIN32
// A read of a terminal's line input returns once a line is complete, at
// most one line: a whole one, ended by Enter, or as much of it as fits into
// kReadBytes; or a part handed over by an end of input (Ctrl+D after some
// characters).
constexpr ssize_t kReadBytes = 256;

// Whether a read that returned `count` ended the input: nothing read (an end
// of input alone, a hangup, an error) or a part of a line handed over.
bool isEndOfInput(const char* line, ssize_t count) {
  return count <= 0 || (count < kReadBytes && line[count - 1] != '\n');
}
#endif

}  // namespace

#ifdef _WIN32

bool ownsConsoleWindow() {
  DWORD processes[2];
  DWORD mode = 0;
  return GetConsoleProcessList(processes, 2) == 1 &&
         GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0 &&
         GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

void holdConsoleWindow(std::FILE* output) {
  if (!ownsConsoleWindow() || std::feof(stdin) != 0) {
    return;
  }
  std::fputs(kCloseWindowPrompt, output);
  std::fflush(output);
  // The console's own line input, past the C library's buffer: what was
  // typed ahead or in the first second is dropped, and only a line ended
  // with Enter ends the wait.
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  Sleep(kKeysIgnoredMs);
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
  // tcgetsid() answers only for the caller's own controlling terminal: both
  // streams on it, and the program in the process group of the session's
  // leader. That is the program leading the session itself (`exec`, the
  // command of a new terminal) or run by a shell without job control
  // (`sh -c`), which ends with it. A shell with job control, the kind an
  // operator types at, gives every job a process group of its own.
  const pid_t session = tcgetsid(STDIN_FILENO);
  return session != -1 && tcgetsid(STDOUT_FILENO) == session && getpgrp() == session;
}

void holdConsoleWindow(std::FILE* output) {
  if (!ownsConsoleWindow() || std::feof(stdin) != 0) {
    return;
  }
  std::fputs(kCloseWindowPrompt, output);
  std::fflush(output);
  // The terminal's own line input, past the C library's buffer: the lines
  // typed ahead or in the first second are dropped, and then Enter ends the
  // wait. An end of input ends it too, one within that second once the
  // second is over: Ctrl+D, alone on a line (a read of nothing) or after
  // some characters (a read without a line end), and what script or su
  // --pty send when their own terminal goes away, while they keep the
  // program's open. So do a hangup and an error, so that the wait never
  // spins. (No signal handler runs here, so neither the pause nor a read is
  // interrupted.)
  poll(nullptr, 0, kKeysIgnoredMs);
  pollfd pending{STDIN_FILENO, POLLIN, 0};
  char line[kReadBytes];
  while (poll(&pending, 1, 0) == 1) {
    if (isEndOfInput(line, read(STDIN_FILENO, line, sizeof line))) {
      return;
    }
  }
  // A line begun but not ended.
  tcflush(STDIN_FILENO, TCIFLUSH);
  // Then any read that returns: a line ended with Enter, an end of input, a
  // hangup or an error.
  [[maybe_unused]] const ssize_t count = read(STDIN_FILENO, line, sizeof line);
}

#endif

}  // namespace korvimalet
