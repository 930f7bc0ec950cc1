// Nanoseconds per check: the exactly rounded weight model with its verdict,
// beside the same eleven steps in plain double, each step rounded to float
// once at the end of its double expression (which is what the model must
// not do, since that misplaces about one limit in two hundred).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "weight_model/weight_model.h"

namespace korvimalet {
namespace {

constexpr std::size_t kInputCount = 1024;  // a power of two

struct Input {
  float diameterMm;
  float rho;
  float readingKg;
};

const std::vector<Input>& typicalInputs() {
  static const std::vector<Input> inputs = [] {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> diameters(1.0F, 1000.0F);
    std::uniform_real_distribution<float> densities(0.5F, 25.0F);
    std::vector<Input> made(kInputCount);
    for (Input& input : made) {
      input.diameterMm = diameters(random);
      input.rho = densities(random);
      const SphereWeights w = computeSphereWeights(input.diameterMm, input.rho);
      input.readingKg = w.coatedWeightKg * (random() % 2 == 0 ? 1.0F : 1.02F);
    }
    return made;
  }();
  return inputs;
}

double wide(float value) { return static_cast<double>(value); }

// Kept out of line like the model, which lives in its own library.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
SphereWeights
plainDoubleWeights(float diameterMm, float rho) {
  SphereWeights w{};
  w.radiusMm = static_cast<float>(wide(diameterMm) / kDiameterPerRadius);
  w.radiusDm = static_cast<float>(wide(w.radiusMm) / kMmPerDm);
  const double r = wide(w.radiusDm);
  const auto cube = static_cast<float>(r * r * r);
  w.volumeDm3 = static_cast<float>(wide(kVolumeFactor) * wide(cube));
  w.bareWeightKg = static_cast<float>(wide(rho) * wide(w.volumeDm3));
  w.surfaceDm2 = static_cast<float>(r * r * kSurfaceFactor);
  w.coatingVolumeDm3 = static_cast<float>(wide(kCoatingThicknessDm) * wide(w.surfaceDm2));
  w.coatingWeightKg = static_cast<float>(wide(w.coatingVolumeDm3) * kCoatingDensity);
  w.coatedWeightKg = static_cast<float>(wide(w.bareWeightKg) + wide(w.coatingWeightKg));
  w.upperLimitKg = static_cast<float>(wide(w.coatedWeightKg) * kUpperFactor);
  w.lowerLimitKg = static_cast<float>(wide(w.coatedWeightKg) * kLowerFactor);
  return w;
}

bool plainDoubleGood(float readingKg, const SphereWeights& w) {
  return readingKg <= w.upperLimitKg && readingKg >= w.lowerLimitKg;
}

// Runs `check` on the typical inputs in turn.
template <typename Check>
void runChecks(benchmark::State& state, Check check) {
  const std::vector<Input>& inputs = typicalInputs();
  std::size_t i = 0;
  for (auto _ : state) {  // NOLINT(clang-analyzer-deadcode.DeadStores): the loop idiom
    check(inputs[i++ % kInputCount]);
  }
}

// cppcheck-suppress constParameterCallback
void exactModel(benchmark::State& state) {
  runChecks(state, [](const Input& input) {
    SphereWeights w = computeSphereWeights(input.diameterMm, input.rho);
    ScaleVerdict verdict = judgeScaleReading(input.readingKg, w);
    benchmark::DoNotOptimize(w);
    benchmark::DoNotOptimize(verdict);
  });
}

// cppcheck-suppress constParameterCallback
void plainDouble(benchmark::State& state) {
  runChecks(state, [](const Input& input) {
    SphereWeights w = plainDoubleWeights(input.diameterMm, input.rho);
    bool good = plainDoubleGood(input.readingKg, w);
    benchmark::DoNotOptimize(w);
    benchmark::DoNotOptimize(good);
  });
}

BENCHMARK(exactModel);
BENCHMARK(plainDouble);

// Prints the usual table, then the ratio of the two.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      nanoseconds_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void printRatio() const {
    const auto exact = nanoseconds_.find("exactModel");
    const auto plain = nanoseconds_.find("plainDouble");
    if (exact != nanoseconds_.end() && plain != nanoseconds_.end() && plain->second > 0) {
      std::printf("ns per check: exact %.2f, plain double %.2f, ratio %.2f\n", exact->second,
                  plain->second, exact->second / plain->second);
    }
  }

 private:
  std::map<std::string, double> nanoseconds_;
};

}  // namespace
}  // namespace korvimalet

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  korvimalet::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatio();
  benchmark::Shutdown();
  return 0;
}
