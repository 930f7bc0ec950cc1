// Proves the weight model's arithmetic instead of sampling it. Each of the
// seven steps that is a function of one float is run, as the model's own
// code, on all 2^32 bit patterns (zeros, denormals, infinities and NaNs
// included) and compared bit for bit with the integer reference; a NaN
// matches any NaN. The sum of two floats, correct by the double-rounding
// theorem cited in the model, is checked on a large sample of pairs, half
// of them with sums on or beside a halfway point between floats. The products
// of two floats are exact in double and need no check.
//
// Prints, per step, the inputs checked, the mismatches and the seconds;
// exits with status 1 on any mismatch. Uses every core.
//
// usage: verify_steps [STEP...]   (the steps' names as printed; all if none)
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "verify/integer_reference.h"
#include "weight_model/weight_model_steps.h"

namespace {

namespace reference = korvimalet::integer_reference;
namespace steps = korvimalet::steps;

constexpr const char* kSumName = "coatedWeightKg = bareWeightKg + coatingWeightKg";
// Pairs of the sample: in blocks, each block of its own random stream.
constexpr std::uint64_t kSumBlocks = 4096;
constexpr std::uint64_t kSumPairsPerBlock = 1U << 16;

// Bit patterns per unit of work shared out among the threads.
constexpr std::uint64_t kChunk = std::uint64_t{1} << 22;
constexpr std::uint64_t kAllPatterns = std::uint64_t{1} << 32;
constexpr std::uint64_t kReported = 5;

using reference::bitsOf;
using reference::floatOf;

bool same(float a, float b) { return bitsOf(a) == bitsOf(b) || (std::isnan(a) && std::isnan(b)); }

struct Tally {
  std::atomic<std::uint64_t> checked{0};
  std::atomic<std::uint64_t> mismatches{0};
  std::atomic<std::uint64_t> reported{0};
};

// Whether to print one more mismatch: the first few only.
bool reportOneMore(Tally& tally) { return tally.reported.fetch_add(1) < kReported; }

// Runs `work(chunk)` for chunks 0 .. chunks - 1 on every core.
template <typename Work>
void onEveryCore(std::uint64_t chunks, Work work) {
  std::atomic<std::uint64_t> next{0};
  const unsigned cores =
      std::thread::hardware_concurrency() > 0 ? std::thread::hardware_concurrency() : 1;
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < cores; ++t) {
    threads.emplace_back([&] {
      for (std::uint64_t chunk = next++; chunk < chunks; chunk = next++) {
        work(chunk);
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
}

// Runs Model and Exact on every bit pattern. Both are template arguments,
// so that each is inlined into the loop.
template <float (*Model)(float), float (*Exact)(float)>
void sweep(Tally& tally) {
  onEveryCore(kAllPatterns / kChunk, [&](std::uint64_t chunk) {
    std::uint64_t mismatches = 0;
    for (std::uint64_t i = chunk * kChunk; i < (chunk + 1) * kChunk; ++i) {
      const float x = floatOf(static_cast<std::uint32_t>(i));
      const float got = Model(x);
      const float want = Exact(x);
      if (!same(got, want)) {
        ++mismatches;
        if (reportOneMore(tally)) {
          std::printf(
              "  mismatch: "
              "input 0x%08" PRIX32 " (%.9g): model 0x%08" PRIX32 ", exact 0x%08" PRIX32 "\n",
              bitsOf(x), static_cast<double>(x), bitsOf(got), bitsOf(want));
        }
      }
    }
    tally.checked += kChunk;
    tally.mismatches += mismatches;
  });
}

struct OneOperandStep {
  const char* name;
  void (*sweep)(Tally&);
};

const OneOperandStep kOneOperandSteps[] = {
    {"radiusMm = diameterMm / 2", sweep<steps::halfOf, reference::halfOf>},
    {"radiusDm = radiusMm / 100", sweep<steps::decimetresOf, reference::decimetresOf>},
    {"cube = radiusDm^3", sweep<steps::cubeOf, reference::cubeOf>},
    {"surfaceDm2 = radiusDm^2 x 12.56636", sweep<steps::surfaceOf, reference::surfaceOf>},
    {"coatingWeightKg = coatingVolumeDm3 x 7.853",
     sweep<steps::coatingWeightOf, reference::coatingWeightOf>},
    {"upperLimitKg = coatedWeightKg x 1.01", sweep<steps::upperLimitOf, reference::upperLimitOf>},
    {"lowerLimitKg = coatedWeightKg x 0.99", sweep<steps::lowerLimitOf, reference::lowerLimitOf>},
};

// A pair for the sum. A quarter are any bit patterns; a quarter have
// exponents at most 30 apart, so that the significands overlap or nearly
// so; half put the sum within a few units of b's last place of a halfway
// point of a (b is half a unit of a's last place, nudged by -4 to 4 of its
// own units, with either sign).
void samplePair(std::mt19937_64& random, float& a, float& b) {
  const std::uint64_t r = random();
  const auto low32 = static_cast<std::uint32_t>(r);
  const auto high32 = static_cast<std::uint32_t>(r >> 32);
  switch (low32 & 3U) {
    case 0:
      a = floatOf(high32);
      b = floatOf(static_cast<std::uint32_t>(random()));
      return;
    case 1: {
      a = floatOf(high32);
      const std::uint32_t exponentA = (high32 >> 23) & 0xFFU;
      const std::uint32_t gap = (low32 >> 2) % 31;
      const std::uint32_t exponentB = exponentA > gap ? exponentA - gap : 0;
      b = floatOf((static_cast<std::uint32_t>(random()) & 0x807FFFFFU) | exponentB << 23);
      return;
    }
    default: {
      // a normal and not too small, so that b stays a float.
      const std::uint32_t exponentA = 30 + (high32 >> 23) % 220;
      a = floatOf((high32 & 0x807FFFFFU) | exponentA << 23);
      const auto nudge = static_cast<std::int32_t>((low32 >> 2) % 9) - 4;
      const std::uint32_t halfUnit = (exponentA - 24) << 23;  // 2^23 x 2^(exponent of a's unit - 1)
      b = floatOf(static_cast<std::uint32_t>(static_cast<std::int32_t>(halfUnit) + nudge) |
                  (low32 & 0x80000000U));
      return;
    }
  }
}

void sampleSums(Tally& tally) {
  onEveryCore(kSumBlocks, [&](std::uint64_t block) {
    std::mt19937_64 random(20261208 + block);
    std::uint64_t mismatches = 0;
    for (std::uint64_t i = 0; i < kSumPairsPerBlock; ++i) {
      float a = 0;
      float b = 0;
      samplePair(random, a, b);
      const float got = steps::sumOf(a, b);
      const float want = reference::sumOf(a, b);
      if (!same(got, want)) {
        ++mismatches;
        if (reportOneMore(tally)) {
          std::printf(
              "  mismatch: "
              "0x%08" PRIX32 " + 0x%08" PRIX32 ": model 0x%08" PRIX32 ", exact 0x%08" PRIX32 "\n",
              bitsOf(a), bitsOf(b), bitsOf(got), bitsOf(want));
        }
      }
    }
    tally.checked += kSumPairsPerBlock;
    tally.mismatches += mismatches;
  });
}

bool wanted(const char* name, int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) {
      return true;
    }
  }
  return argc <= 1;
}

// Runs one check and prints its line; returns its mismatches.
template <typename Check>
std::uint64_t timed(const char* name, const char* kind, Check check) {
  Tally tally;
  const auto start = std::chrono::steady_clock::now();
  check(tally);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  std::printf("%-48s %-10s %11" PRIu64 " inputs %6" PRIu64 " mismatches %7.1f s\n", name, kind,
              tally.checked.load(), tally.mismatches.load(), seconds.count());
  std::fflush(stdout);
  return tally.mismatches;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t mismatches = 0;
  int ran = 0;
  for (const OneOperandStep& step : kOneOperandSteps) {
    if (wanted(step.name, argc, argv)) {
      ++ran;
      mismatches += timed(step.name, "all", step.sweep);
    }
  }
  if (wanted(kSumName, argc, argv)) {
    ++ran;
    mismatches += timed(kSumName, "sampled", sampleSums);
  }
  if (ran == 0) {
    std::fprintf(stderr, "no such step\n");
    return 2;
  }
  std::printf("%s\n", mismatches == 0 ? "every step checked is exactly rounded"
                                      : "MISMATCHES: the model is not exactly rounded");
  return mismatches == 0 ? 0 : 1;
}
