// A datagram socket bound in a fresh directory and named in NOTIFY_SOCKET, as the
// service manager provides one; the messages it receives, in order.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace zuva::service::testing {

class NotifySocket {
public:
    NotifySocket() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zuva-notify-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
        dir_ = pattern;
        path_ = dir_ + "/notify";
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0) throw std::runtime_error("socket");
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path_.size() >= sizeof address.sun_path) throw std::runtime_error("socket path too long");
        path_.copy(address.sun_path, path_.size());
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) throw std::runtime_error("bind");
    }
    ~NotifySocket() {
        ::close(fd_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    NotifySocket(const NotifySocket&) = delete;
    NotifySocket& operator=(const NotifySocket&) = delete;

    const std::string& path() const { return path_; }
    // The next message, or nullopt when none came within `limit`.
    std::optional<std::string> receive(std::chrono::milliseconds limit) const {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(limit.count())) <= 0) return std::nullopt;
        char buffer[4096];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n < 0) return std::nullopt;
        return std::string(buffer, static_cast<std::size_t>(n));
    }

private:
    std::string dir_;
    std::string path_;
    int fd_ = -1;
};

// Reads a notify socket all the time on a thread of its own, as the service manager
// does (a datagram socket holds only a few messages before the sender blocks), and
// keeps every message in order.
class NotifyCollector {
public:
    explicit NotifyCollector(const NotifySocket& socket)
        : thread_([this, &socket] {
              while (!done_) {
                  if (auto message = socket.receive(std::chrono::milliseconds(50))) {
                      std::lock_guard<std::mutex> lock(mutex_);
                      messages_.push_back(std::move(*message));
                  }
              }
          }) {}
    ~NotifyCollector() {
        done_ = true;
        thread_.join();
    }
    NotifyCollector(const NotifyCollector&) = delete;
    NotifyCollector& operator=(const NotifyCollector&) = delete;

    std::vector<std::string> messages() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }
    // Waits up to `limit` for a message that satisfies `match`.
    template <typename Match>
    bool waitFor(Match match, std::chrono::milliseconds limit) const {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            for (const auto& m : messages()) {
                if (match(m)) return true;
            }
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> messages_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace zuva::service::testing
