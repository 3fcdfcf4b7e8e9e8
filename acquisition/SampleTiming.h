#pragma once

#include "acquisition/TimeOfDay.h"

namespace zuva::acquisition {

// The millisecond of sample position 0..255 within its second: i x 1000/256 rounded
// to the nearest millisecond, halves to even (position 16 -> 62, 48 -> 188).
int positionMillisecond(int position);

// A time of day as the fraction of a day the charts use as X.
double dayFraction(const TimeOfDay& time, int millisecond);

}  // namespace zuva::acquisition
