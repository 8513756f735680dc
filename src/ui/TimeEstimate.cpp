#include "ui/TimeEstimate.h"

#include <algorithm>
#include <cmath>

TTimeEstimate::TResult TTimeEstimate::Update(double p, double now) {
  if (ReferenceTime_ == 0) ReferenceTime_ = now;
  if (ReferencePercent_ == 0) ReferencePercent_ = p;
  const double elapsed = now - ReferenceTime_;
  if (!(elapsed * 24 * 60 * 60 > 3) || p == ReferencePercent_) return {};
  const double rate = (p - ReferencePercent_) / elapsed;  // percent per day
  // A crawling rate must not overflow the integer: a century is as good as forever.
  const double seconds = std::min((100 - p) / rate * 24 * 60 * 60, 3.2e9);
  const long long remaining = std::llrint(std::nearbyint(seconds));
  if (remaining < 0) return {TStep::SwitchOff, {}};
  ReferenceTime_ = now;
  ReferencePercent_ = p;
  return {TStep::Show, RemainingText(remaining)};
}

std::string RemainingText(long long seconds) {
  if (seconds < 60) return std::to_string(seconds) + " seconds remaining";
  if (seconds < 10800) return std::to_string(seconds / 60) + " minutes remaining";
  return std::to_string(seconds / 3600) + " hours remaining";
}
