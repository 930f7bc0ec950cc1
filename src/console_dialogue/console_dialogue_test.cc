#include "console_dialogue/console_dialogue.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "console_dialogue/console_window.h"
#include "tests/scratch_stream.h"

namespace korvimalet {
namespace {

std::string dialogueOutput(const std::string& input) {
  std::FILE* in = streamOf(input);
  std::FILE* out = scratchStream();
  EXPECT_EQ(runDialogue(in, out), 0);
  std::rewind(out);
  std::string output = restOf(out);
  std::fclose(in);
  std::fclose(out);
  return output;
}

// --- The dialogue in-process ----------------------------------------------

TEST(RunDialogue, WorkedExampleMatchesTheTranscript) {
  std::ifstream file(KORVIMALET_TEST_DATA "/worked_example.out", std::ios::binary);
  std::stringstream expected;
  expected << file.rdbuf();
  ASSERT_FALSE(expected.str().empty());
  EXPECT_EQ(dialogueOutput("100\n7.85\n4.6\n"), expected.str());
}

TEST(RunDialogue, UnreadableInputShowsNanAndIsNeverGood) {
  const std::string output = dialogueOutput("abc\n");
  EXPECT_NE(output.find(" Eine Kugel mit Radius       nan [mm]               \n"),
            std::string::npos);
  EXPECT_NE(output.find(" spezifischen Gewicht   :        nan [kg/dm^3]     \n"),
            std::string::npos);
  EXPECT_NE(output.find(" Obere Grenze       nan      \n"), std::string::npos);
  EXPECT_EQ(output.find("G U T"), std::string::npos);
  const std::string ending = "\n Obere Grenze verletzt: SCHLECHT " + std::string(48, ' ') + "\n";
  EXPECT_EQ(output.substr(output.size() - ending.size()), ending);
}

TEST(RunDialogue, ValuesPrintFromTheirExactBinaryValue) {
  // 0.0625 lies exactly halfway between 0.062 and 0.063: ties go to even
  // (the legacy Windows runtime prints 0.063). 1e30 as a float is exactly
  // 1000000015047466219876688855040, every digit of which is printed (the
  // legacy runtime pads after 17 digits with zeros).
  const std::string output = dialogueOutput("0.125 0.0625 0\n");
  EXPECT_NE(output.find(" Eine Kugel mit Radius     0.062 [mm]"), std::string::npos);
  EXPECT_NE(output.find(" spezifischen Gewicht   :      0.062 [kg/dm^3]"), std::string::npos);
  const std::string huge = dialogueOutput("2e30 0.1875 0\n");
  EXPECT_NE(huge.find(" Eine Kugel mit Radius 1000000015047466219876688855040.000 [mm]"),
            std::string::npos);
  EXPECT_NE(huge.find(" spezifischen Gewicht   :      0.188 [kg/dm^3]"), std::string::npos);
}

TEST(RunDialogue, VerdictTexts) {
  const std::string blank(48, ' ');
  const struct {
    const char* input;
    std::string ending;
  } cases[] = {
      {"100 7.85 4.6", "(#.###):" + blank + "\n\n        **** G U T ****       " + blank + "\n"},
      {"100 7.85 4.7", "(#.###):" + blank + "\n\n Obere Grenze verletzt: SCHLECHT " + blank + "\n"},
      {"100 7.85 4.5",
       "(#.###):" + blank + "\n\n Untere Grenze verletzt: SCHLECHT " + blank + "\n"},
      {"0 7.85 0", "\n        **** G U T ****       " + blank + "\n"},
      // A second point ends Rho; ".2" answers the reading.
      {"100 7.85.2", "(#.###):" + blank + "\n\n Untere Grenze verletzt: SCHLECHT " + blank + "\n"},
      // An unreadable reading is never good.
      {"100 7.85 x", "(#.###):" + blank + "\n\n Obere Grenze verletzt: SCHLECHT " + blank + "\n"},
  };
  for (const auto& c : cases) {
    const std::string output = dialogueOutput(c.input);
    ASSERT_GE(output.size(), c.ending.size());
    EXPECT_EQ(output.substr(output.size() - c.ending.size()), c.ending) << c.input;
  }
}

// --- The console window of a start by double-click ------------------------

TEST(ConsoleWindow, HeldOnlyWhenTheProgramIsAloneOnAConsoleOfItsOwn) {
  // Run by the test driver, with redirected streams: never.
  EXPECT_FALSE(ownsConsoleWindow());
#ifdef _WIN32
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  const auto useStreams = [](HANDLE in, HANDLE out) {
    SetStdHandle(STD_INPUT_HANDLE, in);
    SetStdHandle(STD_OUTPUT_HANDLE, out);
  };
  const auto ownsWith = [&useStreams](HANDLE in, HANDLE out) {
    useStreams(in, out);
    return ownsConsoleWindow();
  };
  // A console of its own, as Explorer opens one for a program.
  FreeConsole();
  ASSERT_NE(AllocConsole(), 0);
  const auto open = [](const char* name) {
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
  };
  const HANDLE consoleInput = open("CONIN$");
  const HANDLE consoleOutput = open("CONOUT$");
  DWORD mode = 0;
  const bool usable = GetConsoleMode(consoleOutput, &mode) != 0;
  // An empty DISPLAY names no display either.
  const char* display = std::getenv("DISPLAY");
  const bool wineWithoutDisplay =
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr &&
      (display == nullptr || *display == '\0');
  if (usable) {
    EXPECT_TRUE(ownsWith(consoleInput, consoleOutput));
    EXPECT_FALSE(ownsWith(input, consoleOutput)) << "input redirected";
    EXPECT_FALSE(ownsWith(consoleInput, output)) << "output redirected";
    // A second process on the console, as when started from cmd.
    char command[] = "cmd.exe /k";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION shell{};
    EXPECT_NE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &shell),
              0);
    DWORD processes[2];
    for (int waitedMs = 0; GetConsoleProcessList(processes, 2) < 2 && waitedMs < 60000;
         waitedMs += 10) {
      Sleep(10);
    }
    EXPECT_FALSE(ownsWith(consoleInput, consoleOutput)) << "a shell on the console";
    TerminateProcess(shell.hProcess, 0);
    WaitForSingleObject(shell.hProcess, INFINITE);
    CloseHandle(shell.hProcess);
    CloseHandle(shell.hThread);
  }
  // Wine's FreeConsole closes the standard handles: let none be the test's.
  CloseHandle(consoleInput);
  CloseHandle(consoleOutput);
  useStreams(nullptr, nullptr);
  FreeConsole();
  useStreams(input, output);
  if (!usable && wineWithoutDisplay) {
    GTEST_SKIP() << "wine gives no usable console without a display: run it under xvfb-run";
  }
  EXPECT_TRUE(usable) << "no usable console after AllocConsole";
#endif
}

}  // namespace
}  // namespace korvimalet
