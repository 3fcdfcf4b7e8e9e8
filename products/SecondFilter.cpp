#include "products/SecondFilter.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "products/SecondFilterKernel.h"

namespace zuva::products {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kShare = 0.9;
}  // namespace

FieldValue SecondFilter::evaluate(std::int64_t time, const std::function<Second(std::int64_t)>& lookup) {
    double sx = 0, sy = 0, sz = 0, present = 0;
    int reference = 0;
    Second seconds[SecondFilterKernel::kSeconds];
    for (int d = -SecondFilterKernel::kBefore; d <= SecondFilterKernel::kAfter; ++d) {
        const Second s = lookup(time + d);
        seconds[d + SecondFilterKernel::kBefore] = s;
        if (s.rate == 0) continue;
        if (reference == 0 || d == 0) reference = s.rate;
        const std::vector<double>& w = SecondFilterKernel::weights(s.rate);
        const std::size_t base = static_cast<std::size_t>((d + SecondFilterKernel::kBefore) * s.rate);
        for (std::size_t k = 0; k < static_cast<std::size_t>(s.rate); ++k) {
            const double wk = w[base + k];
            sx += wk * s.x[k];
            sy += wk * s.y[k];
            sz += wk * s.z[k];
        }
        present += SecondFilterKernel::secondWeight(s.rate, d);
    }
    FieldValue v{time, kNaN, kNaN, kNaN};
    if (reference == 0) return v;
    // The whole window's weight at the rate of the output second (or of the nearest data).
    double total = 0;
    for (int d = -SecondFilterKernel::kBefore; d <= SecondFilterKernel::kAfter; ++d) {
        const Second& s = seconds[d + SecondFilterKernel::kBefore];
        total += SecondFilterKernel::secondWeight(s.rate != 0 ? s.rate : reference, d);
    }
    if (present < kShare * total) return v;
    v.x = sx / present;
    v.y = sy / present;
    v.z = sz / present;
    return v;
}

bool SecondFilter::add(std::int64_t time, int rate, std::span<const double> x, std::span<const double> y,
                       std::span<const double> z) {
    SecondFilterKernel::weights(rate);  // refuses a rate it has no weights for
    const std::size_t n = static_cast<std::size_t>(rate);
    if (x.size() != n || y.size() != n || z.size() != n)
        throw std::invalid_argument("a second at " + std::to_string(rate) + " Hz needs " + std::to_string(rate) +
                                    " samples of each component");
    if (started_ && time <= last_) return false;
    if (started_ && time - last_ > kMaxBridgedGap) finish();
    if (!started_) {
        started_ = true;
        next_ = time;
    }
    // The values that do not reach this second go out before its slot is reused.
    emitUpTo(time - SecondFilterKernel::kAfter - 1);
    Slot& s = slot(time);
    s.time = time;
    s.rate = rate;
    s.x.assign(x.begin(), x.end());
    s.y.assign(y.begin(), y.end());
    s.z.assign(z.begin(), z.end());
    last_ = time;
    emitUpTo(time - SecondFilterKernel::kAfter);
    return true;
}

void SecondFilter::emitUpTo(std::int64_t last) {
    const auto lookup = [this](std::int64_t t) {
        const Slot& s = slots_[static_cast<std::size_t>(t & (kSlots - 1))];
        if (s.time != t) return Second{};
        return Second{s.rate, s.x.data(), s.y.data(), s.z.data()};
    };
    while (next_ <= last) {
        const FieldValue v = evaluate(next_, lookup);
        ++next_;
        out_(v);
    }
}

void SecondFilter::finish() {
    if (!started_) return;
    emitUpTo(last_ + SecondFilterKernel::kBefore);
    started_ = false;
    for (Slot& s : slots_) s.time = INT64_MIN;
}

}  // namespace zuva::products
