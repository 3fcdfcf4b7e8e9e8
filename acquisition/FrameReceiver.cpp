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
    data_.waitForSync();
    position_.waitForSync();
    awaitSecondStart_ = false;
}

void FrameReceiver::resumeAfterGap() {
    data_.restart();
    data_.waitForSync();
    awaitSecondStart_ = true;
}

void FrameReceiver::ComPort1RxChar(int count) {
    if (count <= 0) return;
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
        if (got == 0) return;
        remaining -= got;
        if (dropRest) continue;
        const std::span<const std::uint8_t> batch(rxBuffer_.data(), got);
        if (flags_.positionRequestPending && !positionBatch(batch)) {
            dropRest = true;
            continue;
        }
        if (flags_.dataMode) dataBatch(batch);
    }
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
    if (!data_.acceptBatch(batch)) return;
    while (!batch.empty()) {
        const AssemblyStep step = data_.feed(batch);
        batch = batch.subspan(step.consumed);
        if (step.outcome == FrameOutcome::NeedMore) return;
        DataFrame frame{};
        std::copy_n(data_.frame().begin(), kDataFrameSize, frame.begin());
        switch (step.outcome) {
            case FrameOutcome::Frame:
                if (awaitSecondStart_ && frame[kSampleIndexOffset] != 0) break;  // rest of a second begun in the gap
                awaitSecondStart_ = false;
                decodeData(frame);
                break;
            case FrameOutcome::BadSync:
                log_.addlogfile("Error decodedata: buf19=" + frameDump(frame));
                data_.waitForSync();
                return;
            case FrameOutcome::BadChecksum:
                data_.waitForSync();
                log_.addlogfile("Checksum error: buf19=" + frameDump(frame));
                return;
            case FrameOutcome::NeedMore:
                return;
        }
    }
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
