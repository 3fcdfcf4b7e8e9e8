#include "products/FilterChain.h"

#include <algorithm>
#include <exception>

namespace zuva::products {

FilterChain::FilterChain(recording::LogSink* log)
    : log_(log),
      minutes_([this](const FieldValue& v) { deliver(Interval::Minute, v); }),
      seconds_([this](const FieldValue& v) { secondValue(v); }) {}

void FilterChain::addListener(FieldValueListener& listener, const std::string& name) {
    listeners_.push_back({&listener, name, false});
}

void FilterChain::removeListener(FieldValueListener& listener) {
    listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(),
                                    [&](const Entry& e) { return e.listener == &listener; }),
                     listeners_.end());
}

bool FilterChain::addSecond(std::int64_t time, int rate, std::span<const double> x, std::span<const double> y,
                            std::span<const double> z) {
    return seconds_.add(time, rate, x, y, z);
}

bool FilterChain::addSecondValue(const FieldValue& value) {
    if (lastValueSet_ && value.time <= lastValue_) return false;
    secondValue(value);
    return true;
}

void FilterChain::finish() {
    seconds_.finish();
    minutes_.finish();
}

void FilterChain::secondValue(const FieldValue& value) {
    lastValueSet_ = true;
    lastValue_ = value.time;
    deliver(Interval::Second, value);
    minutes_.add(value);
}

void FilterChain::deliver(Interval interval, const FieldValue& value) {
    for (Entry& e : listeners_) {
        try {
            e.listener->valueReady(interval, value);
            if (e.failing && log_) log_->addlogfile(e.name + ": working again");
            e.failing = false;
        } catch (const std::exception& ex) {
            if (!e.failing && log_) log_->addlogfile(e.name + ": " + ex.what());
            e.failing = true;
        }
    }
}

}  // namespace zuva::products
