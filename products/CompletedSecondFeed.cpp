#include "products/CompletedSecondFeed.h"

#include <span>

#include "recording/UtcCalendar.h"

namespace zuva::products {

void CompletedSecondFeed::secondCompleted(const acquisition::CompletedSecond& second) {
    if (second.pcClock) {
        if (!pcClockLogged_)
            log_.addlogfile("IAGA-2002: the instrument clock is not set; seconds timed by the PC clock are left out "
                            "of the IAGA-2002 values");
        pcClockLogged_ = true;
        return;
    }
    pcClockLogged_ = false;
    const recording::SecondRecord& r = *second.record;
    const std::int64_t time = recording::UtcCalendar::toEpoch({second.date.year, second.date.month, second.date.day,
                                                    second.time.hour, second.time.minute, second.time.second});
    const std::size_t n = r.tripleCount;
    for (std::size_t k = 0; k < n; ++k) {
        x_[k] = second.nanotesla(r.bx[k]);
        y_[k] = second.nanotesla(r.by[k]);
        z_[k] = second.nanotesla(r.bz[k]);
    }
    const std::span<const double> xs(x_.data(), n), ys(y_.data(), n), zs(z_.data(), n);
    if (chain_.addSecond(time, static_cast<int>(n), xs, ys, zs)) {
        outOfOrderLogged_ = false;
        return;
    }
    if (!outOfOrderLogged_)
        log_.addlogfile("IAGA-2002: second " + acquisition::dateText(second.date) + " " +
                        acquisition::timeText(second.time) +
                        " is not later than the last second taken (the instrument clock went back); such seconds "
                        "are left out of the IAGA-2002 values");
    outOfOrderLogged_ = true;
}

}  // namespace zuva::products
