#pragma once

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace zuva::serial::testing {

// A pseudo-terminal pair: the master plays the instrument, the slave path is the port.
// The test keeps its own slave descriptor so that it can read the slave's termios
// even after the component has made the device exclusive.
class PtyPair {
public:
    PtyPair() {
        char name[256];
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
        path_ = name;
        termios t{};
        tcgetattr(slave_, &t);
        cfmakeraw(&t);
        tcsetattr(slave_, TCSANOW, &t);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair() {
        closeMaster();
        if (slave_ >= 0) ::close(slave_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& path() const { return path_; }
    int master() const { return master_; }
    int slave() const { return slave_; }
    // Unplugs the "device": the slave side hangs up.
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    termios slaveTermios() const {
        termios t{};
        tcgetattr(slave_, &t);
        return t;
    }

    // Writes everything to the master, waiting while the pty is full.
    void writeAll(const std::uint8_t* data, std::size_t size) const {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(master_, data + done, size - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            } else {
                throw std::runtime_error("write to pty master failed");
            }
        }
    }
    void writeAll(const std::string& text) const {
        writeAll(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    }

    // Reads what the component wrote, waiting up to the limit for `want` bytes.
    std::string readMaster(std::size_t want, std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) const {
        std::string out;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (out.size() < want && std::chrono::steady_clock::now() < deadline) {
            char buf[4096];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0) {
                out.append(buf, static_cast<std::size_t>(n));
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        return out;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// A fresh directory under the system's temporary directory, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zuva-serial-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace zuva::serial::testing
