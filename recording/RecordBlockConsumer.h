#pragma once

#include "recording/RecordBlock.h"

namespace zuva::recording {

// Receives the records of a data file block by block, in file order.
class RecordBlockConsumer {
public:
    virtual ~RecordBlockConsumer() = default;
    // Returns false to stop the reading after this block.
    virtual bool consumeBlock(const RecordBlock& block) = 0;
};

}  // namespace zuva::recording
