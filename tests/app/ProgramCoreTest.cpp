// The program's core objects wired as the windows and the headless recorder use
// them, over a real pseudo-terminal registered as a virtual port.
#include "app/ProgramCore.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "acquisition/FrameEncoder.h"
#include "fakes/FakeChartFeed.h"
#include "fakes/FakeRetryTimer.h"
#include "fakes/FakeStatusPanels.h"
#include "fakes/FakeTimer.h"
#include "fakes/FakeVisualizationSwitch.h"
#include "serial/MainThreadQueue.h"

namespace zuva::app {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class ProgramCoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zuva-core-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        // The event log goes to the current directory, the port list reads the
        // ports directory of XDG_RUNTIME_DIR: both private to the test.
        oldCwd = fs::current_path();
        fs::current_path(dir);
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) oldRuntimeDir = old;
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        ::setenv("LC_ALL", "C", 1);

        ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        fs::create_directory(dir / "zuva-ports");
        fs::permissions(dir / "zuva-ports", fs::perms::owner_all);
        link = (dir / "zuva-ports" / "core").string();
        fs::create_symlink(::ttyname(slave), link);
    }
    void TearDown() override {
        core.reset();
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
        fs::current_path(oldCwd);
        if (oldRuntimeDir.empty()) {
            ::unsetenv("XDG_RUNTIME_DIR");
        } else {
            ::setenv("XDG_RUNTIME_DIR", oldRuntimeDir.c_str(), 1);
        }
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    void makeCore(const std::string& start, bool giveRetryTimer = true) {
        std::ofstream(dir / "zuva.ini") << "[Config]\nComPort=" << link << "\nGain=0\nSamplingRate=6\nStart=" << start
                                        << "\nOutputDirectory=" << dir.string() << "\n";
        ProgramCore::Frontend frontend{queue, timer, chart, panels, visualization};
        frontend.reportError = [this](const std::string& e) { errors.push_back(e); };
        frontend.confirmRemark = [this] { confirmedRemarks.push_back(core->remarks().text()); };
        if (giveRetryTimer) frontend.retryTimer = &retry;
        core = std::make_unique<ProgramCore>(frontend, (dir / "zuva.ini").string());
    }

    // The bytes the program sent, read from the terminal's other end.
    Bytes received(std::size_t expected) {
        Bytes bytes;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (bytes.size() < expected && std::chrono::steady_clock::now() < deadline) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            std::uint8_t buffer[64];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) bytes.insert(bytes.end(), buffer, buffer + n);
        }
        return bytes;
    }

    // The terminal's other end closes, and the port's name goes with it.
    void unplug() {
        fs::remove(link);
        ::close(master);
        ::close(slave);
        master = slave = -1;
    }
    // A new terminal registered under the same name.
    void replug() {
        ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        fs::create_symlink(::ttyname(slave), link);
    }
    bool logged(const std::string& prefix) const {
        for (const auto& m : messages()) {
            if (m.rfind(prefix, 0) == 0) return true;
        }
        return false;
    }

    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (const auto& line : core->eventLog().lines()) out.push_back(line.substr(line.find(": ") + 2));
        return out;
    }

    fs::path dir;
    fs::path oldCwd;
    std::string oldRuntimeDir;
    int master = -1;
    int slave = -1;
    std::string link;
    serial::MainThreadQueue queue;
    fakes::FakeTimer timer;
    fakes::FakeRetryTimer retry;
    fakes::FakeChartFeed chart;
    fakes::FakeStatusPanels panels;
    fakes::FakeVisualizationSwitch visualization;
    std::vector<std::string> errors;
    std::vector<std::string> confirmedRemarks;
    std::unique_ptr<ProgramCore> core;
};

TEST_F(ProgramCoreTest, StartUpAsksForGpsAndStartConfirmsTheRemarkForTheDataFile) {
    makeCore("Not");
    core->startUp();
    EXPECT_EQ(received(2), (Bytes{0x04, 0x94}));
    EXPECT_EQ(core->port().SelectedPort(), link);
    EXPECT_EQ(core->dataFile().outputDirectory(), dir.string());

    // No remark: Start asks for no confirmation.
    core->run().Button1Click();
    EXPECT_TRUE(confirmedRemarks.empty());
    core->run().Button2Click();
    EXPECT_EQ(received(2), (Bytes{0x84, 0x04}));

    core->remarks().set("Site A, sensor 2");
    core->run().Button1Click();
    EXPECT_EQ(confirmedRemarks, (std::vector<std::string>{"Site A, sensor 2"}));
    EXPECT_EQ(core->dataFile().remarksText(), "Site A, sensor 2");
    EXPECT_EQ(received(1), (Bytes{0x84}));
    EXPECT_TRUE(core->acquisition().DataMode());

    core->shutDown();
    EXPECT_EQ(received(1), (Bytes{0x04}));
    EXPECT_FALSE(core->port().port().Connected());
    const auto log = messages();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "Stop = TEST.ZUV");
    EXPECT_EQ(log.back(), "Exit program");
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(ProgramCoreTest, AutomaticStartRunsAtTheStoredRate) {
    makeCore("Yes");
    core->startUp();
    EXPECT_EQ(received(2), (Bytes{0x04, 0x84}));
    EXPECT_EQ(core->acquisition().decoder().Averaging(), 4);
    EXPECT_DOUBLE_EQ(core->acquisition().decoder().Sensitivity(), 2.393e-5);
    EXPECT_EQ(core->run().RecordSize(), 64u * 12u + 4u);
    EXPECT_TRUE(timer.active);
    const auto log = messages();
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 5),
              (std::vector<std::string>{"Program is starting up.", "ComPort detected: " + link, "Amplification: 1",
                                        "Sampling rate: 64", "Config1= 10000100"}));
    core->shutDown();
}

TEST_F(ProgramCoreTest, ARunWhosePortVanishesReopensItUnderTheSameNameAndGoesOn) {
    using namespace std::chrono_literals;
    makeCore("Yes");
    core->startUp();
    ASSERT_EQ(received(2), (Bytes{0x04, 0x84}));

    unplug();
    ASSERT_TRUE(queue.serveUntil([&] { return logged("ComPort lost: "); }, 3s));
    EXPECT_EQ(messages().back(), "ComPort lost: " + link + " (system error 5: Input/output error); reconnecting");
    EXPECT_FALSE(core->port().port().Connected()) << "the vanished device is let go";
    EXPECT_TRUE(core->acquisition().DataMode());
    EXPECT_EQ(retry.intervals, std::vector<int>{1000});

    // A try while the name is not there yet.
    retry.active = false;
    core->RetryTimerTimer();
    EXPECT_TRUE(retry.active);
    EXPECT_FALSE(core->port().port().Connected());

    replug();
    retry.active = false;
    core->RetryTimerTimer();
    EXPECT_FALSE(retry.active);
    EXPECT_TRUE(core->port().port().Connected());
    EXPECT_EQ(received(1), (Bytes{0x84})) << "the control byte of the run is sent again";
    const std::regex back("ComPort reconnected: " + link +
                          "; lost at \\d\\d:\\d\\d:\\d\\d\\.\\d{3}, back at \\d\\d:\\d\\d:\\d\\d\\.\\d{3}, "
                          "gap \\d+\\.\\d{3} s");
    EXPECT_TRUE(std::regex_match(messages().back(), back)) << messages().back();

    // Reception goes on over the new line: a frame whose gain echo disagrees (code 1
    // while gain 1 was sent) makes the decoder send the control byte once more. After
    // the gap the first frame is taken once the frame behind it confirms it.
    const auto frame = acquisition::encodeDataFrame({2024, 6, 30, 12, 0, 0}, 0x01, 0, 1, 2, 3);
    const auto next = acquisition::encodeDataFrame({2024, 6, 30, 12, 0, 0}, 0x00, 1, 1, 2, 3);
    ASSERT_EQ(::write(master, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
    ASSERT_EQ(::write(master, next.data(), next.size()), static_cast<ssize_t>(next.size()));
    ASSERT_TRUE(queue.serveUntil([&] { return core->acquisition().decoder().TimeText() == "12 00 00"; }, 3s));
    EXPECT_EQ(received(1), (Bytes{0x84}));

    core->shutDown();
    EXPECT_EQ(received(1), (Bytes{0x04}));
    EXPECT_EQ(messages().back(), "Exit program");
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(ProgramCoreTest, StopAndShutDownWhileThePortIsAwayNeitherHangNorSend) {
    using namespace std::chrono_literals;
    makeCore("Yes");
    core->startUp();
    ASSERT_EQ(received(2), (Bytes{0x04, 0x84}));
    unplug();
    ASSERT_TRUE(queue.serveUntil([&] { return logged("ComPort lost: "); }, 3s));

    core->run().Button2Click();
    const auto log = messages();
    ASSERT_GE(log.size(), 3u);
    // The wait ends first; then the presence check does not find the port.
    EXPECT_EQ(log[log.size() - 2], "Error:  Comport!");
    EXPECT_TRUE(std::regex_match(log[log.size() - 3],
                                 std::regex("ComPort not reconnected: " + link +
                                            "; lost at [0-9:.]{12}, given up at [0-9:.]{12}, gap \\d+\\.\\d{3} s")))
        << log[log.size() - 3];
    EXPECT_EQ(log.back(), "Stop = TEST.ZUV");
    EXPECT_FALSE(core->acquisition().DataMode());
    EXPECT_FALSE(retry.active);
    EXPECT_TRUE(core->controls().isEnabled(acquisition::Control::ComPortMenu));

    core->shutDown();
    const auto all = messages();
    EXPECT_EQ(all.back(), "Exit program");
    EXPECT_EQ(std::count_if(all.begin(), all.end(),
                            [](const std::string& m) { return m.rfind("ComPort not reconnected", 0) == 0; }),
              1);
    EXPECT_TRUE(errors.empty()) << errors.front();
}

TEST_F(ProgramCoreTest, WithoutARetryTimerTheLossIsLoggedAndTheRunWaitsForStop) {
    using namespace std::chrono_literals;
    makeCore("Yes", false);
    core->startUp();
    ASSERT_EQ(received(2), (Bytes{0x04, 0x84}));

    unplug();
    ASSERT_TRUE(queue.serveUntil([&] { return logged("ComPort lost: "); }, 3s));
    replug();
    // Nothing tries the port again: no byte reaches the new line.
    queue.serveUntil([] { return false; }, 300ms);
    EXPECT_FALSE(logged("ComPort reconnected: "));
    EXPECT_TRUE(core->acquisition().DataMode());
    core->run().Button2Click();
    EXPECT_FALSE(core->acquisition().DataMode());
    EXPECT_TRUE(logged("ComPort not reconnected: " + link + "; "));
    core->shutDown();
    EXPECT_TRUE(errors.empty()) << errors.front();
}

}  // namespace
}  // namespace zuva::app
