// libFuzzer target: the whole dialogue on arbitrary bytes as standard input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (const char* broken = korvimalet::checkDialogueInput(data, size)) {
    std::fprintf(stderr, "broken: %s\n", broken);
    std::abort();
  }
  return 0;
}
