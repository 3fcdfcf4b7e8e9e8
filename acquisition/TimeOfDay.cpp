#include "acquisition/TimeOfDay.h"

namespace zuva::acquisition {

std::string twoDigits(int value) {
    std::string s(2, '0');
    s[0] = static_cast<char>('0' + (value / 10) % 10);
    s[1] = static_cast<char>('0' + value % 10);
    return s;
}

std::string timeText(const TimeOfDay& t) {
    return twoDigits(t.hour) + " " + twoDigits(t.minute) + " " + twoDigits(t.second);
}

std::string fileTimeText(const TimeOfDay& t) { return twoDigits(t.hour) + twoDigits(t.minute) + twoDigits(t.second); }

}  // namespace zuva::acquisition
