#pragma once

#include "acquisition/BoundedLog.h"
#include "acquisition/ChartFeed.h"
#include "acquisition/ControlStates.h"
#include "acquisition/ControlWord.h"
#include "acquisition/FrameReceiver.h"
#include "acquisition/GuardedLog.h"
#include "acquisition/NoResponseTimer.h"
#include "acquisition/PortIo.h"
#include "acquisition/PortPresence.h"
#include "acquisition/RecordDecoder.h"
#include "acquisition/StreamCounters.h"
#include "acquisition/RunFlags.h"
#include "acquisition/StatusPanels.h"
#include "acquisition/VisualizationSwitch.h"
#include "recording/Clock.h"
#include "recording/DataFileSink.h"
#include "recording/LogSink.h"

namespace zuva::acquisition {

// The acquisition core as the main window holds it: reception, decoding and the
// control word wired together, with the run state they share. The run's Start and
// Stop handlers are built on the operations below.
class Acquisition {
public:
    // Everything the core is given. All must outlive the Acquisition.
    struct Services {
        PortIo& port;
        NoResponseTimer& timer;
        PortPresence& presence;
        ControlStates& controls;
        recording::LogSink& log;
        const recording::Clock& clock;
        recording::DataFileSink& dataFile;
        ChartFeed& chart;
        StatusPanels& panels;
        VisualizationSwitch& visualization;
    };

    explicit Acquisition(const Services& services);
    Acquisition(const Acquisition&) = delete;
    Acquisition& operator=(const Acquisition&) = delete;

    // The port's characters-received notification. Never throws.
    void ComPort1RxChar(int count) { receiver_.ComPort1RxChar(count); }

    // Start, before the port is opened: group sums cleared, no position request,
    // GPS state unknown, no date, hour or time seen, warm-up from the beginning, a new
    // data file asked for, charts cleared, the no-response timer started, the ComPort,
    // File and Remarks menus and the Options rate box, Apply, autostart and
    // sensitivity field disabled, both frame kinds waiting for sync, DataFrames selected.
    void PrepareRun();
    // Start, once the port is open: transmission on ("Config1= " logged), the byte
    // sent, then the run is active. A refused write is thrown and leaves it inactive.
    void StartTransmission();
    // Stop, before the port is opened: the controls locked by PrepareRun and the gain
    // box enabled, a new data file asked for, the run inactive (DataFrames ignored),
    // and the counts of repeating log lines left out so far written.
    void EndRun();
    // Stop, once the port is open: "Stop = " + the data file name logged, transmission
    // off and the byte sent. A refused write is thrown.
    void StopTransmission();
    // Stop while the port is away: "Stop = " + the data file name logged and
    // transmission off in the control word; nothing is sent.
    void StopTransmissionWithoutPort();
    // The port is back after a gap: reception goes on from the next whole second
    // and the control byte in force is sent again. A refused write is thrown.
    void ResumeAfterGap();
    // Opening a recorded file drops an unanswered position request.
    void ClearPositionRequest() { flags_.positionRequestPending = false; }

    bool DataMode() const { return flags_.dataMode; }
    bool PositionRequestPending() const { return flags_.positionRequestPending; }

    ControlWord& controlWord() { return control_; }
    RecordDecoder& decoder() { return decoder_; }
    FrameReceiver& receiver() { return receiver_; }
    const ControlWord& controlWord() const { return control_; }
    const RecordDecoder& decoder() const { return decoder_; }
    const FrameReceiver& receiver() const { return receiver_; }
    // Counts of the stream since the program started.
    const StreamCounters& counters() const { return counters_; }
    // The acquisition's event log, with its bound on repeating lines.
    const BoundedLog& boundedLog() const { return log_; }

private:
    Services services_;
    GuardedLog guardedLog_;
    // Every line of the acquisition passes here; the repeating kinds are bounded.
    BoundedLog log_;
    RunFlags flags_;
    ControlWord control_;
    StreamCounters counters_;
    RecordDecoder decoder_;
    FrameReceiver receiver_;
};

}  // namespace zuva::acquisition
