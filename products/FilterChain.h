#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "products/FieldValueListener.h"
#include "products/MinuteFilter.h"
#include "products/SecondFilter.h"
#include "recording/LogSink.h"

namespace zuva::products {

// The data products' filters in a row: the seconds of a recording go through the
// one-second filter, its values through the one-minute filter, and every value of
// both intervals goes to each listener (the IAGA-2002 files, the publisher). The
// same chain serves the recorder while it records and the conversion of files.
//
// A listener that throws is logged once per episode under its name ("IAGA-2002
// files: ...") and never keeps a value from the listeners after it.
class FilterChain {
public:
    explicit FilterChain(recording::LogSink* log = nullptr);
    FilterChain(const FilterChain&) = delete;
    FilterChain& operator=(const FilterChain&) = delete;

    void addListener(FieldValueListener& listener, const std::string& name);
    void removeListener(FieldValueListener& listener);

    // One second of samples in nT (see SecondFilter::add). False: not later than the
    // last second taken, left out.
    bool addSecond(std::int64_t time, int rate, std::span<const double> x, std::span<const double> y,
                   std::span<const double> z);
    // A one-second value made elsewhere (an IAGA-2002 one-second file): handed on as
    // it is and into the one-minute filter. False: not later than the last one.
    bool addSecondValue(const FieldValue& value);
    // Hands out every value still waiting (the end of a run or of the input).
    void finish();

private:
    struct Entry {
        FieldValueListener* listener;
        std::string name;
        bool failing = false;
    };
    void secondValue(const FieldValue& value);
    void deliver(Interval interval, const FieldValue& value);

    recording::LogSink* log_;
    std::vector<Entry> listeners_;
    MinuteFilter minutes_;
    SecondFilter seconds_;
    bool lastValueSet_ = false;
    std::int64_t lastValue_ = 0;
};

}  // namespace zuva::products
