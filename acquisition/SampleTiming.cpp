#include "acquisition/SampleTiming.h"

namespace zuva::acquisition {

int positionMillisecond(int position) {
    // position x 3.90625 = position x 125 / 32, in integers so the halves are exact.
    const int scaled = position * 125;
    const int whole = scaled / 32;
    const int rest = scaled % 32;
    if (rest > 16 || (rest == 16 && whole % 2 != 0)) return whole + 1;
    return whole;
}

double dayFraction(const TimeOfDay& time, int millisecond) {
    const long ms = time.hour * 3600000L + time.minute * 60000L + time.second * 1000L + millisecond;
    return static_cast<double>(ms) / 86400000.0;
}

}  // namespace zuva::acquisition
