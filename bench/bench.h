// What the benchmarks share: a clock, a best-of-several timer and the one
// line per workload that ./project.sh bench gathers into its table:
//   row <TAB> workload <TAB> ours <TAB> reference <TAB> ratio
// The ratio is our time over the reference's: below 1, we are faster.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The shortest of several runs: the one least disturbed by the rest of the
// machine.
template <typename Run>
double BestSeconds(int runs, Run run) {
  double best = 0;
  for (int i = 0; i < runs; ++i) {
    Clock::time_point start = Clock::now();
    run();
    double took = Seconds(start);
    if (i == 0 || took < best) best = took;
  }
  return best;
}

inline std::string FormatSeconds(double seconds) {
  char text[32];
  if (seconds < 1)
    std::snprintf(text, sizeof text, "%.3f ms", seconds * 1000);
  else
    std::snprintf(text, sizeof text, "%.2f s", seconds);
  return text;
}

inline void PrintRow(const std::string& workload, double ours, double reference) {
  std::printf("row\t%s\t%s\t%s\t%.2f\n", workload.c_str(), FormatSeconds(ours).c_str(),
              FormatSeconds(reference).c_str(), ours / reference);
}

}  // namespace bench
