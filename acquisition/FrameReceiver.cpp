#include "acquisition/FrameReceiver.h"

#include <algorithm>
#include <exception>

#include "acquisition/FrameDump.h"

namespace zuva::acquisition {

namespace {
// SampleIndex is byte 9 of a DataFrame.
constexpr std::size_t kSampleIndexOffset = 8;
}  // namespace

FrameReceiver::FrameReceiver(PortIo& port, FrameHandler& handler, ControlWord& control, recording::LogSink& log,
                             NoResponseTimer& timer, VisualizationSwitch& visualization, ControlStates& controls,
                             RunFlags& flags)
    : port_(port),
      handler_(handler),
      control_(control),
      log_(log),
      timer_(timer),
      visualization_(visualization),
      controls_(controls),
      flags_(flags),
      rxBuffer_(kRxBufferSize),
      readFaults_(log),
      writeFaults_(log),
      decodeFaults_(log) {}

void FrameReceiver::resetForRun() {
    data_.restart();
    position_.restart();
    position_.waitForSync();
    awaitSecondStart_ = false;
}

void FrameReceiver::resumeAfterGap() {
    data_.restart();
    awaitSecondStart_ = true;
}

void FrameReceiver::ComPort1RxChar(int count) {
    if (count <= 0) return;
    if (bounded_ != nullptr) {
        try {
            bounded_->poll();
        } catch (...) {
            // A summary line that cannot be written costs no data.
        }
    }
    if (count > kBacklogLimit) {
        log_.addlogfile("Count= " + std::to_string(count));
        log_.addlogfile("Sorry, not enough CPU resources for real time visualization! Visualization: Off.");
        try {
            visualization_.overloadSwitchOff();
        } catch (...) {
            // The switch-off is a relief for the display only; reception goes on.
        }
    }
    try {
        timer_.stop();
    } catch (...) {
    }

    auto remaining = static_cast<std::size_t>(count);
    bool dropRest = false;  // the rest of this notification is read but not assembled
    while (remaining > 0) {
        const std::size_t want = std::min(remaining, kRxBufferSize);
        std::size_t got = 0;
        try {
            got = port_.ReadBytes(std::span<std::uint8_t>(rxBuffer_.data(), want));
            readFaults_.recovered();
        } catch (...) {
            readFaults_.failed("Error: received bytes not read: " + currentErrorText(std::current_exception()));
            return;
        }
        got = std::min(got, want);
        if (got == 0) {
            // A read stops at the place of an input loss: past it, reading goes on.
            if (takeInputLoss()) continue;
            return;
        }
        remaining -= got;
        if (!dropRest) {
            const std::span<const std::uint8_t> batch(rxBuffer_.data(), got);
            if (flags_.positionRequestPending && !positionBatch(batch)) {
                dropRest = true;
            } else if (flags_.dataMode) {
                dataBatch(batch);
            }
        }
        takeInputLoss();
    }
}

bool FrameReceiver::takeInputLoss() {
    std::uint64_t dropped = 0;
    try {
        dropped = port_.takeDroppedBytes();
    } catch (...) {
        return false;
    }
    if (dropped == 0) return false;
    droppedInput_ += dropped;
    log_.addlogfile("Input queue overflow: " + std::to_string(dropped) +
                    " bytes lost, reception resynchronised");
    // What follows does not join what came before: a partial frame is dropped and
    // the next frame is hunted for.
    data_.breakInStream();
    position_.restart();
    return true;
}

bool FrameReceiver::positionBatch(std::span<const std::uint8_t> batch) {
    controls_.setEnabled(Control::GpsButton, true);
    controls_.setEnabled(Control::StartButton, true);
    controls_.setEnabled(Control::StopButton, true);
    if (flags_.dataMode) return true;
    if (!position_.acceptBatch(batch)) return false;
    while (!batch.empty()) {
        const AssemblyStep step = position_.feed(batch);
        batch = batch.subspan(step.consumed);
        if (step.outcome == FrameOutcome::NeedMore) break;
        // Any 37 bytes end the request: the unit is told to stop sending.
        if (flags_.positionRequestPending) stopPositionTransmission();
        if (step.outcome == FrameOutcome::BadSync) continue;
        PositionFrame frame{};
        std::copy_n(position_.frame().begin(), kPositionFrameSize, frame.begin());
        if (step.outcome == FrameOutcome::Frame) {
            decodePosition(frame);
            continue;
        }
        log_.addlogfile("Checksum error.");
        log_.addlogfile("buf37=" + frameDump(frame));
        return false;
    }
    return true;
}

void FrameReceiver::dataBatch(std::span<const std::uint8_t> batch) {
    data_.feed(batch, [this](DataFrameScanner::Outcome outcome, std::span<const std::uint8_t, kDataFrameSize> bytes) {
        DataFrame frame;
        std::copy_n(bytes.begin(), kDataFrameSize, frame.begin());
        switch (outcome) {
            case DataFrameScanner::Outcome::Frame:
                if (awaitSecondStart_ && frame[kSampleIndexOffset] != 0) return;  // rest of a second begun in the gap
                awaitSecondStart_ = false;
                decodeData(frame);
                return;
            case DataFrameScanner::Outcome::BadSync:
                ++counters_->frameErrors;
                log_.addlogfile("Error decodedata: buf19=" + frameDump(frame));
                return;
            case DataFrameScanner::Outcome::BadChecksum:
                ++counters_->frameErrors;
                log_.addlogfile("Checksum error: buf19=" + frameDump(frame));
                return;
        }
    });
}

void FrameReceiver::stopPositionTransmission() {
    flags_.positionRequestPending = false;
    control_.setCharacter(ControlWord::kTransmit, false);
    try {
        control_.SendControlByte();
        writeFaults_.recovered();
    } catch (...) {
        writeFaults_.failed("Error: control byte not sent: " + currentErrorText(std::current_exception()));
    }
}

void FrameReceiver::decodeData(const DataFrame& frame) {
    try {
        handler_.DecodeDataFrame(frame);
        decodeFaults_.recovered();
    } catch (...) {
        decodeFaults_.failed("Error: frame not decoded: " + currentErrorText(std::current_exception()) +
                             ": buf19=" + frameDump(frame));
    }
}

void FrameReceiver::decodePosition(const PositionFrame& frame) {
    try {
        handler_.DecodePositionFrame(frame);
    } catch (...) {
        decodeFaults_.failed("Error: frame not decoded: " + currentErrorText(std::current_exception()) +
                             ": buf37=" + frameDump(frame));
    }
}

}  // namespace zuva::acquisition
