#include "app/SignalPipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace zuva::app {

namespace {

int g_writeFd = -1;

extern "C" void onSignalHandler(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    if (g_writeFd >= 0) {
        const ssize_t n = ::write(g_writeFd, &number, 1);
        (void)n;  // a full pipe already holds a wake-up
    }
    errno = saved;
}

}  // namespace

SignalPipe::SignalPipe(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
    if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
    g_writeFd = fds_[1];
    notifier_ = std::make_unique<QSocketNotifier>(fds_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readSignals(); });
    struct sigaction action {};
    action.sa_handler = onSignalHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM}) {
        if (::sigaction(signal, &action, nullptr) != 0) {
            throw std::system_error(errno, std::generic_category(), "sigaction");
        }
    }
}

SignalPipe::~SignalPipe() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    g_writeFd = -1;
    notifier_.reset();
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void SignalPipe::readSignals() {
    unsigned char numbers[16];
    for (;;) {
        const ssize_t n = ::read(fds_[0], numbers, sizeof numbers);
        if (n <= 0) break;
        for (ssize_t i = 0; i < n; ++i) {
            if (onSignal_) onSignal_(numbers[i]);
        }
    }
}

}  // namespace zuva::app
