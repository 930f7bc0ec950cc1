// Scratch file streams for the tests of code that reads and writes FILE*:
// one holding a given text, and what is left in one.
#ifndef KORVIMALET_TESTS_SCRATCH_STREAM_H_
#define KORVIMALET_TESTS_SCRATCH_STREAM_H_

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <process.h>
#endif

namespace korvimalet {

// An empty file stream for writing and reading back, removed once closed.
inline std::FILE* scratchStream() {
#ifdef _WIN32
  // msvcrt's tmpfile() takes its names from the clock, so two test processes
  // running at once can pick the same name, and one of them gets no stream.
  // The process id makes these names our own; "D" deletes the file on close.
  static unsigned count = 0;
  const std::string name = testing::TempDir() + "korvimalet-test-" + std::to_string(_getpid()) +
                           "-" + std::to_string(count++) + ".tmp";
  std::FILE* stream = std::fopen(name.c_str(), "w+bD");
#else
  std::FILE* stream = std::tmpfile();
#endif
  if (stream == nullptr) {
    std::perror("no scratch file for the test streams");
    std::abort();
  }
  return stream;
}

// A stream holding `text`, positioned at its start.
inline std::FILE* streamOf(const std::string& text) {
  std::FILE* stream = scratchStream();
  std::fwrite(text.data(), 1, text.size(), stream);
  std::rewind(stream);
  return stream;
}

inline std::string restOf(std::FILE* stream) {
  std::string rest;
  for (int c = std::getc(stream); c != EOF; c = std::getc(stream)) {
    rest += static_cast<char>(c);
  }
  return rest;
}

}  // namespace korvimalet

#endif  // KORVIMALET_TESTS_SCRATCH_STREAM_H_
