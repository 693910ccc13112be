// One row of the project's benchmark table. Every benchmark prints its own report and, for
// each of its headline figures, one such line; tools/bench.sh gathers them into one table:
//
//   @row <figure>|<value>|<baseline value>|<unit>|<aim for value/baseline, at most; 0: none>
//
// Both values are costs of the same work (times, instructions) measured in the same run, so
// the ratio says how many times the baseline's cost the figure is.
#pragma once

#include <cstdio>

namespace Bench {

inline void Row(const char* Figure, double Value, double Baseline, const char* Unit,
                double Aim = 0) {
    std::printf("@row %s|%.6g|%.6g|%s|%g\n", Figure, Value, Baseline, Unit, Aim);
    std::fflush(stdout);
}

} // namespace Bench
