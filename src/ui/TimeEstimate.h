// The remaining-time line of the progress window: the rate is measured over
// the interval since the last estimate shown, and the line changes at most
// once every three seconds. Times are in days, as a date-time counts them, so
// a test can feed its own clock.
#pragma once

#include <optional>
#include <string>

class TTimeEstimate {
 public:
  enum class TStep { Keep, Show, SwitchOff };
  struct TResult {
    TStep Step = TStep::Keep;
    std::string Text;  // for Show
  };

  void Reset() {
    ReferenceTime_ = 0;
    ReferencePercent_ = 0;
  }
  // p: current percentage; now: current date-time in days.
  TResult Update(double p, double now);

 private:
  double ReferenceTime_ = 0;
  double ReferencePercent_ = 0;
};

// "45 seconds remaining", "2 minutes remaining", "3 hours remaining".
std::string RemainingText(long long seconds);
