#pragma once

#include <string>

#include "acquisition/Acquisition.h"
#include "acquisition/FaultReporter.h"
#include "acquisition/GuardedLog.h"
#include "acquisition/NoResponseTimer.h"
#include "acquisition/ReopenablePort.h"
#include "acquisition/RetryTimer.h"
#include "recording/Clock.h"
#include "recording/LogSink.h"

namespace zuva::acquisition {

// Brings a run back onto its port when the device vanished (a USB adapter pulled
// out, a pseudo-terminal's master closed) and came back under the same name.
//
// The loss is logged once and the dead device let go. During a run nothing else
// about the run changes (it stays started, its controls stay as they are): the
// same name is tried again about once a second, each try only when the name is
// listed among the ports present. When it opens, the gap is logged, reception
// goes on from the next whole second and the control byte in force is sent again.
// Another name is never taken. Outside a run the loss is only logged; the next
// Start opens the port again, and a GPS request keeps its no-response timer.
//
// The no-response timer is held while the port is away: a port that is not there
// is reported as lost, not as a silent instrument. If it was running at the loss
// (nothing received since Start yet), it runs again from the return.
//
// Everything runs on the main thread; nothing here throws.
class PortReconnect {
public:
    static constexpr int kRetryIntervalMs = 1000;

    // retryTimer may be null: the loss is then logged and the run waits for Stop.
    PortReconnect(Acquisition& acquisition, ReopenablePort& port, RetryTimer* retryTimer,
                  NoResponseTimer& noResponseTimer, recording::LogSink& log, const recording::Clock& clock);

    // The port's device has gone away (systemCode: the system's error number).
    void PortLost(int systemCode);
    // The retry timer has run out: one try to reopen the port.
    void RetryTimerTimer();
    // Stop or shut-down: no more tries. Logs how long the port had been away and
    // returns true when a wait was ended; false when there was none.
    bool EndWait();

    bool Waiting() const { return waiting_; }
    const std::string& LostPortName() const { return name_; }

private:
    bool tryReopen();
    void resume();

    Acquisition& acquisition_;
    ReopenablePort& port_;
    RetryTimer* retryTimer_;
    NoResponseTimer& noResponseTimer_;
    GuardedLog log_;
    const recording::Clock& clock_;
    FaultReporter listFaults_;
    FaultReporter openFaults_;

    bool waiting_ = false;
    bool noResponseWasActive_ = false;
    std::string name_;
    recording::LocalDateTime lostAt_{};
};

}  // namespace zuva::acquisition
