#pragma once

#include "acquisition/FrameEncoder.h"

namespace zuva::acquisition {

// Where reception hands every frame that passed its sync and checksum tests.
class FrameHandler {
public:
    virtual ~FrameHandler() = default;
    virtual void DecodeDataFrame(const DataFrame& frame) = 0;
    virtual void DecodePositionFrame(const PositionFrame& frame) = 0;
};

}  // namespace zuva::acquisition
