#pragma once

// A real mosquitto broker for the tests: its own folder with a password file and
// (optionally) a TLS listener with certificates made here by openssl, on a free port
// of 127.0.0.1. It can be stopped and started again on the same port.

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "NetworkTempDir.h"

namespace zuva::network::testing {

inline int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) throw std::runtime_error("bind");
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

inline bool portAccepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

inline void run(const std::string& command) {
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) throw std::runtime_error("failed: " + command);
}

// A CA and a server certificate for localhost / 127.0.0.1 signed by it, plus a
// second CA that signed nothing the broker shows (the "untrusted" case).
struct Certificates {
    std::string ca, serverCert, serverKey, otherCa;

    explicit Certificates(const std::string& dir) {
        ca = dir + "/ca.crt";
        serverCert = dir + "/server.crt";
        serverKey = dir + "/server.key";
        otherCa = dir + "/other-ca.crt";
        const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
        run("openssl req -x509" + ec + " -days 2 -subj /CN=zuva-test-ca -keyout " + dir + "/ca.key -out " + ca);
        run("openssl req -x509" + ec + " -days 2 -subj /CN=zuva-other-ca -keyout " + dir + "/other-ca.key -out " +
            otherCa);
        run("openssl req" + ec + " -subj /CN=localhost -keyout " + serverKey + " -out " + dir + "/server.csr");
        {
            std::ofstream ext(dir + "/server.ext");
            ext << "subjectAltName=DNS:localhost,IP:127.0.0.1\n";
        }
        run("openssl x509 -req -days 2 -in " + dir + "/server.csr -CA " + ca + " -CAkey " + dir +
            "/ca.key -CAcreateserial -extfile " + dir + "/server.ext -out " + serverCert);
    }
};

class MosquittoBroker {
public:
    static constexpr const char* kUser = "abc";
    static constexpr const char* kPassword = "s3cret-pass";
    static constexpr const char* kCollector = "collector";
    static constexpr const char* kCollectorPassword = "c0llect";

    // tls: the listener speaks TLS with the certificates made in `dir`.
    explicit MosquittoBroker(bool tls) : tls_(tls) {
        if (tls_) certificates_ = std::make_unique<Certificates>(dir_.path().string());
        const std::string passwords = dir_.file("passwd");
        run("mosquitto_passwd -b -c " + passwords + " " + kUser + " " + kPassword);
        run("mosquitto_passwd -b " + passwords + " " + kCollector + " " + kCollectorPassword);
        run("mosquitto_passwd -b " + passwords + " bench bench");
        ::chmod(passwords.c_str(), 0600);
        std::filesystem::create_directories(dir_.file("persist"));
        port_ = freeLoopbackPort();
        writeConfig();
        start();
    }
    ~MosquittoBroker() { stop(); }
    MosquittoBroker(const MosquittoBroker&) = delete;
    MosquittoBroker& operator=(const MosquittoBroker&) = delete;

    int port() const { return port_; }
    bool tls() const { return tls_; }
    const Certificates& certificates() const { return *certificates_; }
    const std::filesystem::path& dir() const { return dir_.path(); }

    void start() {
        if (pid_ > 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            const std::string log = dir_.file("mosquitto.out");
            if (!std::freopen(log.c_str(), "a", stdout) || !std::freopen(log.c_str(), "a", stderr)) _exit(126);
            const std::string config = dir_.file("mosquitto.conf");
            ::execl("/usr/sbin/mosquitto", "mosquitto", "-c", config.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!portAccepts(port_)) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                throw std::runtime_error("mosquitto ended at start; see " + dir_.file("mosquitto.out"));
            }
            if (std::chrono::steady_clock::now() > until) throw std::runtime_error("mosquitto did not listen");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

    bool running() const { return pid_ > 0; }

private:
    void writeConfig() {
        std::ofstream conf(dir_.file("mosquitto.conf"));
        // As root, mosquitto would switch to its own user, which cannot read this folder.
        if (::geteuid() == 0) conf << "user root\n";
        conf << "per_listener_settings false\n"
             << "allow_anonymous false\n"
             << "password_file " << dir_.file("passwd") << "\n"
             << "persistence true\n"
             << "persistence_location " << dir_.file("persist") << "/\n"
             << "autosave_interval 1\n"
             << "max_queued_messages 100000\n"
             << "log_dest stderr\n"
             << "listener " << port_ << " 127.0.0.1\n";
        if (tls_) {
            conf << "cafile " << certificates_->ca << "\n"
                 << "certfile " << certificates_->serverCert << "\n"
                 << "keyfile " << certificates_->serverKey << "\n";
        }
    }

    bool tls_;
    NetworkTempDir dir_;
    std::unique_ptr<Certificates> certificates_;
    int port_ = 0;
    pid_t pid_ = -1;
};

}  // namespace zuva::network::testing
