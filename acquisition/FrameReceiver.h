#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "acquisition/BoundedLog.h"
#include "acquisition/ControlStates.h"
#include "acquisition/ControlWord.h"
#include "acquisition/DataFrameScanner.h"
#include "acquisition/FaultReporter.h"
#include "acquisition/FrameAssembler.h"
#include "acquisition/FrameHandler.h"
#include "acquisition/NoResponseTimer.h"
#include "acquisition/PortIo.h"
#include "acquisition/RunFlags.h"
#include "acquisition/StreamCounters.h"
#include "acquisition/VisualizationSwitch.h"
#include "recording/LogSink.h"

namespace zuva::acquisition {

// The characters-received handler: reads the waiting bytes, assembles DataFrames
// (while a run is active) or the requested PositionFrame, checks sync byte and
// checksum, hands good frames on and logs bad ones with their hexadecimal dump.
// After a bad DataFrame it hunts for the next good one in the bytes that follow
// (DataFrameScanner), so no good frame behind a bad one is lost.
class FrameReceiver {
public:
    static constexpr std::size_t kRxBufferSize = 51200;
    static constexpr int kBacklogLimit = 5000;

    FrameReceiver(PortIo& port, FrameHandler& handler, ControlWord& control, recording::LogSink& log,
                  NoResponseTimer& timer, VisualizationSwitch& visualization, ControlStates& controls,
                  RunFlags& flags);

    // One notification: `count` bytes are waiting. A count above the buffer size is
    // read in parts of at most kRxBufferSize bytes, each handled as one batch. Only
    // the bytes the port really delivered are assembled. Never throws.
    void ComPort1RxChar(int count);

    // Start of a run: partial frames dropped, PositionFrames wait for a batch that
    // begins with their sync byte, DataFrames are hunted for.
    void resetForRun();
    // The port is back after a gap in the stream: the partial DataFrame from before
    // the gap is dropped, DataFrames are hunted for afresh, and the frames up to
    // the first one of a new second (SampleIndex 0) are passed over, so that no
    // second mixes samples from both sides of the gap.
    void resumeAfterGap();
    bool awaitingSecondStart() const { return awaitSecondStart_; }

    const DataFrameScanner& dataFrames() const { return data_; }
    // Where frame errors and lost input bytes are counted (the acquisition's counters).
    void countInto(StreamCounters& counters) { counters_ = &counters; }
    // A bounded log whose minute summaries are due at each notification; may be null.
    void boundLog(BoundedLog* log) { bounded_ = log; }
    // Bytes the port's input queue dropped, since the program started.
    std::uint64_t droppedInputBytes() const { return droppedInput_; }
    const FrameAssembler& positionFrames() const { return position_; }

private:
    // Returns false when the rest of the notification is to be dropped.
    bool positionBatch(std::span<const std::uint8_t> batch);
    void dataBatch(std::span<const std::uint8_t> batch);
    void stopPositionTransmission();
    void decodeData(const DataFrame& frame);
    void decodePosition(const PositionFrame& frame);

    PortIo& port_;
    FrameHandler& handler_;
    ControlWord& control_;
    recording::LogSink& log_;
    NoResponseTimer& timer_;
    VisualizationSwitch& visualization_;
    ControlStates& controls_;
    RunFlags& flags_;

    std::vector<std::uint8_t> rxBuffer_;
    // Logs and counts a loss of input bytes at this place; true when there was one.
    bool takeInputLoss();

    DataFrameScanner data_;
    StreamCounters ownCounters_;
    StreamCounters* counters_ = &ownCounters_;
    std::uint64_t droppedInput_ = 0;
    BoundedLog* bounded_ = nullptr;
    FrameAssembler position_{kPositionFrameSize, kPositionFrameSync};
    FaultReporter readFaults_;
    FaultReporter writeFaults_;
    FaultReporter decodeFaults_;
    bool awaitSecondStart_ = false;
};

}  // namespace zuva::acquisition
