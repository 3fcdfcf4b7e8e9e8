#pragma once

#include <cstdint>
#include <functional>

#include "recording/BufferedFileWriter.h"
#include "recording/ExportNumberFormatter.h"
#include "recording/RecordBlockConsumer.h"

namespace zuva::recording {

// Turns record blocks into the lines of the text export, one per sample:
// "hh mm ss k Bx By Bz " + CR LF, k = 1 .. N within its second, the values in the
// number form of ExportNumberFormatter.
class ExportLineWriter final : public RecordBlockConsumer {
public:
    using Progress = std::function<void(int percent)>;

    ExportLineWriter(BufferedFileWriter& out, char decimalSeparator, Progress progress = {});

    bool consumeBlock(const RecordBlock& block) override;
    std::uint64_t linesWritten() const { return lines_; }

private:
    BufferedFileWriter& out_;
    ExportNumberFormatter number_;
    Progress progress_;
    int lastPercent_ = -1;
    std::uint64_t lines_ = 0;
};

}  // namespace zuva::recording
