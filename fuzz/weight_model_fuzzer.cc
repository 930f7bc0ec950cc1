// libFuzzer target: the weight model on arbitrary bit patterns of diameter, rho and reading.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (const char* broken = korvimalet::checkWeightModelInput(data, size)) {
    std::fprintf(stderr, "broken: %s\n", broken);
    std::abort();
  }
  return 0;
}
