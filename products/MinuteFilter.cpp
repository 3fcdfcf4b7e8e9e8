#include "products/MinuteFilter.h"

#include <cmath>
#include <limits>

#include "products/MinuteFilterCoefficients.h"

namespace zuva::products {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kShare = 0.9;
constexpr int kReach = MinuteFilterCoefficients::kReach;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

struct Component {
    double sum = 0;
    double weight = 0;
    void add(double w, double v) {
        if (std::isnan(v)) return;
        sum += w * v;
        weight += w;
    }
    double value() const {
        return weight >= kShare * MinuteFilterCoefficients::total() ? sum / weight : kNaN;
    }
};

}  // namespace

FieldValue MinuteFilter::evaluate(std::int64_t minute, const std::function<FieldValue(std::int64_t)>& lookup) {
    Component x, y, z;
    for (int k = -kReach; k <= kReach; ++k) {
        const FieldValue s = lookup(minute + k);
        const double w = MinuteFilterCoefficients::weight(k);
        x.add(w, s.x);
        y.add(w, s.y);
        z.add(w, s.z);
    }
    return {minute, x.value(), y.value(), z.value()};
}

bool MinuteFilter::add(const FieldValue& second) {
    if (started_ && second.time <= last_) return false;
    if (started_ && second.time - last_ > kMaxBridgedGap) finish();
    if (!started_) {
        started_ = true;
        // The first minute whose window [m - 45, m + 45] holds the second.
        next_ = floorDiv(second.time - kReach + 59, 60) * 60;
    }
    emitUpTo(second.time - kReach - 1);
    const std::size_t i = static_cast<std::size_t>(second.time & static_cast<std::int64_t>(kSlots - 1));
    slots_[i] = second;
    used_[i] = true;
    last_ = second.time;
    emitUpTo(second.time - kReach);
    return true;
}

void MinuteFilter::emitUpTo(std::int64_t last) {
    const auto lookup = [this](std::int64_t t) {
        const std::size_t i = static_cast<std::size_t>(t & static_cast<std::int64_t>(kSlots - 1));
        if (!used_[i] || slots_[i].time != t) return FieldValue{t, kNaN, kNaN, kNaN};
        return slots_[i];
    };
    while (next_ <= last) {
        const FieldValue v = evaluate(next_, lookup);
        next_ += 60;
        out_(v);
    }
}

void MinuteFilter::finish() {
    if (!started_) return;
    emitUpTo(last_ + kReach);
    started_ = false;
    used_.fill(false);
}

}  // namespace zuva::products
