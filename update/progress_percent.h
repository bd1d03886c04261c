// The progress bar's position during an image transfer.
#pragma once

// The share of `total` that `done` is, in whole percent, truncated toward zero, computed in
// double precision: 1392 of 2400 gives 57 and 29 of 100 gives 28, as the divided doubles say.
int ProgressPercent(int done, int total);
