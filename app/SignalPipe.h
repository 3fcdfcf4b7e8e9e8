#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace zuva::app {

// SIGINT and SIGTERM brought into the Qt event loop: the signal handler only writes
// the signal number to a pipe (async-signal-safe); a socket notifier on the main
// thread reads it and runs the handler there. One instance per process.
class SignalPipe {
public:
    // Throws std::system_error when the pipe or the handlers cannot be set up.
    explicit SignalPipe(std::function<void(int signal)> onSignal);
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

private:
    void readSignals();

    int fds_[2] = {-1, -1};
    std::function<void(int)> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace zuva::app
