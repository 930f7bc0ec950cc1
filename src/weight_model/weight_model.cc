#include "weight_model/weight_model.h"

#include "weight_model/weight_model_steps.h"

namespace korvimalet {

SphereWeights computeSphereWeights(float diameterMm, float rho) {
  SphereWeights w{};
  w.radiusMm = steps::halfOf(diameterMm);
  w.radiusDm = steps::decimetresOf(w.radiusMm);
  const float cubeDm3 = steps::cubeOf(w.radiusDm);
  w.volumeDm3 = steps::productOf(kVolumeFactor, cubeDm3);
  w.bareWeightKg = steps::productOf(rho, w.volumeDm3);
  w.surfaceDm2 = steps::surfaceOf(w.radiusDm);
  w.coatingVolumeDm3 = steps::productOf(kCoatingThicknessDm, w.surfaceDm2);
  w.coatingWeightKg = steps::coatingWeightOf(w.coatingVolumeDm3);
  w.coatedWeightKg = steps::sumOf(w.bareWeightKg, w.coatingWeightKg);
  w.upperLimitKg = steps::upperLimitOf(w.coatedWeightKg);
  w.lowerLimitKg = steps::lowerLimitOf(w.coatedWeightKg);
  return w;
}
ScaleVerdict judgeScaleReading(float readingKg, const SphereWeights& weights) {
  // Written as "not within" so that a comparison with NaN, which is false,
  // ends in a violation instead of falling through to Good.
  if (!(readingKg <= weights.upperLimitKg)) {
    return ScaleVerdict::UpperLimitViolated;
  }
  if (!(readingKg >= weights.lowerLimitKg)) {
    return ScaleVerdict::LowerLimitViolated;
  }
  return ScaleVerdict::Good;
}

}  // namespace korvimalet
