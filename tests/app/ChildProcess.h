#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace zuva::app::testing {

// A program run as a child process in a directory of the test's choosing, with
// extra environment variables and its standard output and error in files. Killed
// when the test ends without waiting for it.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args, const std::string& directory,
                 const std::vector<std::string>& extraEnvironment, const std::string& stdoutFile,
                 const std::string& stderrFile) {
        std::vector<std::string> argStore{program};
        argStore.insert(argStore.end(), args.begin(), args.end());
        std::vector<std::string> envStore;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            bool replaced = false;
            for (const std::string& extra : extraEnvironment) {
                if (entry.substr(0, entry.find('=') + 1) == extra.substr(0, extra.find('=') + 1)) replaced = true;
            }
            if (!replaced) envStore.push_back(entry);
        }
        envStore.insert(envStore.end(), extraEnvironment.begin(), extraEnvironment.end());
        std::vector<char*> argv;
        for (auto& a : argStore) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& e : envStore) envp.push_back(e.data());
        envp.push_back(nullptr);

        pid_ = ::fork();
        if (pid_ < 0) throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            // Only async-signal-safe calls between fork and exec.
            if (::chdir(directory.c_str()) != 0) ::_exit(126);
            const int out = ::open(stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int in = ::open("/dev/null", O_RDONLY);
            if (out < 0 || err < 0 || in < 0) ::_exit(126);
            ::dup2(in, 0);
            ::dup2(out, 1);
            ::dup2(err, 2);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
    }
    ~ChildProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void signal(int sig) const {
        if (pid_ > 0) ::kill(pid_, sig);
    }
    bool running() {
        if (pid_ <= 0) return false;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return false;
        }
        return true;
    }
    // The exit status (128 + signal when killed), -1 when it did not end in time.
    int wait(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (running()) {
            if (std::chrono::steady_clock::now() > deadline) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return status_;
    }

private:
    pid_t pid_ = -1;
    int status_ = -1;
};

}  // namespace zuva::app::testing
