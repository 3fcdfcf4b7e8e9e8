#include "acquisition/PortReconnect.h"

#include <cstring>
#include <exception>

#include "acquisition/PortGap.h"

namespace zuva::acquisition {

PortReconnect::PortReconnect(Acquisition& acquisition, ReopenablePort& port, RetryTimer* retryTimer,
                             NoResponseTimer& noResponseTimer, recording::LogSink& log, const recording::Clock& clock)
    : acquisition_(acquisition),
      port_(port),
      retryTimer_(retryTimer),
      noResponseTimer_(noResponseTimer),
      log_(log),
      clock_(clock),
      listFaults_(log_),
      openFaults_(log_) {}

void PortReconnect::PortLost(int systemCode) {
    const std::string name = port_.PortName();
    // The system's own words beside the number (English whatever the locale, so that
    // the line reads the same in every log and can be looked up).
    const char* meaning = ::strerrordesc_np(systemCode);
    const std::string lost = "ComPort lost: " + name + " (system error " + std::to_string(systemCode) +
                             (meaning != nullptr ? std::string(": ") + meaning : std::string()) + ")";
    const bool inRun = acquisition_.DataMode() && !waiting_;
    if (inRun) {
        waiting_ = true;
        name_ = name;
        lostAt_ = clock_.now();
        noResponseWasActive_ = noResponseTimer_.isActive();
        listFaults_.recovered();
        openFaults_.recovered();
    }
    log_.addlogfile(inRun ? lost + "; reconnecting" : lost);
    if (inRun) {
        try {
            noResponseTimer_.stop();
        } catch (...) {
        }
    }
    try {
        port_.ReleasePort();
    } catch (...) {
        log_.addlogfile("Error: ComPort not closed: " + currentErrorText(std::current_exception()));
    }
    if (inRun && retryTimer_ != nullptr) retryTimer_->start(kRetryIntervalMs);
}

void PortReconnect::RetryTimerTimer() {
    if (!waiting_) return;
    if (!acquisition_.DataMode()) {
        // The run ended without Stop passing by here: nothing to bring back.
        waiting_ = false;
        return;
    }
    if (!tryReopen()) {
        if (retryTimer_ != nullptr) retryTimer_->start(kRetryIntervalMs);
        return;
    }
    resume();
}

bool PortReconnect::tryReopen() {
    bool listed = false;
    try {
        listed = port_.PortListed();
        listFaults_.recovered();
    } catch (...) {
        listFaults_.failed("Error: port list not read: " + currentErrorText(std::current_exception()));
        return false;
    }
    if (!listed) return false;
    try {
        port_.ReopenPort();
    } catch (...) {
        openFaults_.failed("Error: ComPort not reopened: " + name_ + ": " + currentErrorText(std::current_exception()));
        return false;
    }
    openFaults_.recovered();
    return true;
}

void PortReconnect::resume() {
    waiting_ = false;
    log_.addlogfile("ComPort reconnected: " + name_ + "; " + PortGap(lostAt_, clock_.now()).text("back"));
    try {
        acquisition_.ResumeAfterGap();
    } catch (...) {
        log_.addlogfile("Error: control byte not sent: " + currentErrorText(std::current_exception()));
    }
    if (noResponseWasActive_) {
        try {
            noResponseTimer_.start();
        } catch (...) {
        }
    }
}

bool PortReconnect::EndWait() {
    if (!waiting_) return false;
    waiting_ = false;
    if (retryTimer_ != nullptr) {
        try {
            retryTimer_->stop();
        } catch (...) {
        }
    }
    log_.addlogfile("ComPort not reconnected: " + name_ + "; " + PortGap(lostAt_, clock_.now()).text("given up"));
    return true;
}

}  // namespace zuva::acquisition
