// The systemd unit of the station, as systemd-analyze sees it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace zuva::service {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const fs::path kUnit = fs::path(ZUVA_SOURCE_DIR) / "dist" / "zuva-logger@.service";

// Runs a shell command; its output (standard output and error) and exit status.
std::pair<int, std::string> run(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return {-1, "popen failed"};
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

class UnitFile : public ::testing::Test {
protected:
    void SetUp() override {
        if (run("command -v systemd-analyze").first != 0) GTEST_SKIP() << "systemd-analyze is not installed";
        std::string pattern = (fs::temp_directory_path() / "zuva-unit-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        if (!dir.empty() && !HasFailure()) fs::remove_all(dir, ec);
    }
    // The unit as an instance, with ExecStart pointing at the program as built
    // (systemd-analyze requires the program to exist).
    fs::path instance(const std::string& name, const std::string& program = ZUVA_BIN_DIR "/zuva-logger") {
        const std::string text = std::regex_replace(readFile(kUnit), std::regex("/usr/local/bin/zuva-logger"), program);
        const fs::path path = dir / ("zuva-logger@" + name + ".service");
        std::ofstream(path) << text;
        return path;
    }
    fs::path dir;
};

TEST_F(UnitFile, SystemdAnalyzeVerifyAcceptsTheUnitWithoutAWord) {
    const auto [status, output] = run("cd '" + dir.string() + "' && systemd-analyze verify ./" +
                                      instance("site").filename().string());
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output, "");
}

TEST_F(UnitFile, TheVerificationCatchesAMistake) {
    // The check above would also pass if systemd-analyze said nothing about anything.
    const std::string missing = (dir / "no-such-program").string();
    const auto [status, output] =
        run("cd '" + dir.string() + "' && systemd-analyze verify ./" + instance("bad", missing).filename().string());
    EXPECT_NE(status, 0) << output;
    EXPECT_NE(output.find("Command " + missing + " is not executable"), std::string::npos) << output;
}

TEST(UnitFileText, IsANotifyServiceWithWatchdogRestartAndSandbox) {
    const std::string text = readFile(kUnit);
    for (const char* line :
         {"Type=notify", "WatchdogSec=60", "Restart=on-failure", "ProtectSystem=strict", "NoNewPrivileges=yes",
          "ReadWritePaths=/var/lib/zuva-logger/%i /srv/zuva/%i /etc/zuva-logger", "WorkingDirectory=/var/lib/zuva-logger/%i",
          "ExecStart=/usr/local/bin/zuva-logger --headless --config /etc/zuva-logger/%i.ini", "DevicePolicy=closed",
          "DeviceAllow=char-ttyUSB rw", "StandardError=journal", "SyslogLevelPrefix=yes"}) {
        EXPECT_NE(text.find(std::string("\n") + line + "\n"), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace zuva::service
