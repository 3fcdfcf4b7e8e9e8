#include "recording/PeriodFile.h"

#include <cstdio>

namespace zuva::recording {

std::string recordTimeText(const RecordTime& time) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u %02u %02u", static_cast<unsigned>(time.hour),
                  static_cast<unsigned>(time.minute), static_cast<unsigned>(time.second));
    return text;
}

}  // namespace zuva::recording
