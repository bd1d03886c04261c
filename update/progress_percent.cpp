#include "update/progress_percent.h"

int ProgressPercent(int done, int total) {
    // Each step rounded to double: the x87 unit would otherwise keep extra bits and move a
    // position that falls just short of a whole number up by one.
    const volatile double share = static_cast<double>(done) / static_cast<double>(total);
    const volatile double percent = share * 100.0;
    return static_cast<int>(percent);
}
