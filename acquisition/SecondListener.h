#pragma once

#include "acquisition/CompletedSecond.h"

namespace zuva::acquisition {

// A consumer of the stream of completed seconds (data products, publisher, reports).
// Called on the main thread once per completed second, after the data file got it.
class SecondListener {
public:
    virtual ~SecondListener() = default;
    virtual void secondCompleted(const CompletedSecond& second) = 0;
};

}  // namespace zuva::acquisition
