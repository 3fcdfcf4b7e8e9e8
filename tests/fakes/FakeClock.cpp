#include "fakes/FakeClock.h"

namespace zuva::fakes {

namespace {

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

void FakeClock::advance(long milliseconds) {
    long ms = now_.millisecond + milliseconds;
    long carrySeconds = ms / 1000;
    now_.millisecond = static_cast<int>(ms % 1000);
    long total = now_.second + 60L * (now_.minute + 60L * now_.hour) + carrySeconds;
    long carryDays = total / 86400;
    total %= 86400;
    now_.hour = static_cast<int>(total / 3600);
    now_.minute = static_cast<int>(total / 60 % 60);
    now_.second = static_cast<int>(total % 60);
    for (; carryDays > 0; --carryDays) {
        if (++now_.day > daysInMonth(now_.year, now_.month)) {
            now_.day = 1;
            if (++now_.month > 12) {
                now_.month = 1;
                ++now_.year;
            }
        }
    }
}

}  // namespace zuva::fakes
