#pragma once

#include "recording/Clock.h"

namespace zuva::recording {

// The PC's wall clock in the local time zone.
class SystemClock final : public Clock {
public:
    LocalDateTime now() const override;
};

}  // namespace zuva::recording
