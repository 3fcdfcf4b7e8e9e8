// zuva-logger --headless with IagaOutput=Yes against zuva-sim across midnight,
// killed with SIGKILL once and started again: the day files it wrote pass the
// IAGA-2002 check and agree with zuva-file iaga run afterwards on the data files.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "TestDirectory.h"
#include "SimJournal.h"
#include "fakes/RecordingLog.h"
#include "products/IagaFileReader.h"
#include "recording/UtcCalendar.h"
#include "recording/DataFileHeaderReader.h"
#include "recording/DataRecordReader.h"

namespace zuva::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::messageOf;
using testing::readFile;
using testing::readLines;

constexpr std::int64_t kDay1 = 1773446400;  // 2026-03-14 00:00:00 UTC

// The seconds (UTC) that the data files of a directory hold.
struct RecordedSeconds final : recording::RecordBlockConsumer {
    std::int64_t date = 0;
    std::set<std::int64_t> seconds;
    bool consumeBlock(const recording::RecordBlock& block) override {
        for (std::size_t i = 0; i < block.recordCount; ++i) seconds.insert(date + block.recordSecond[i]);
        return true;
    }
};

int runTool(const std::string& args, const fs::path& out) {
    const std::string cmd = std::string(ZUVA_BIN_DIR) + "/zuva-file " + args + " >" + out.string() + " 2>&1";
    const int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(HeadlessIaga, KilledOnceTheDayFilesStillPassTheCheckAndAgreeWithTheConversion) {
    const testing::TestDirectory scratch("zuva-iaga");
    const fs::path dir = scratch.path();
    const fs::path data = dir / "data";
    fs::create_directory(data);
    const std::vector<std::string> env{"XDG_RUNTIME_DIR=" + dir.string(), "LC_ALL=C"};
    // Ten simulated seconds per second, from 90 s before midnight: the first run sees
    // midnight and the first minute of the new day (its value needs 00:00:56) well
    // before it is killed at about 00:01:50.
    testing::ChildProcess sim(ZUVA_BIN_DIR "/zuva-sim",
                              {"--name", "iaga", "--rate-multiplier", "10", "--start", "2026-03-14 23:58:30"},
                              dir.string(), env, (dir / "sim.out").string(), (dir / "sim.err").string());
    const std::string port = testing::registeredPortOfSim(dir / "sim.out");
    ASSERT_FALSE(port.empty()) << readFile(dir / "sim.err");
    const fs::path ini = dir / "zuva.ini";
    std::ofstream(ini) << "[Config]\nComPort=" << port
                       << "\nGain=0\nsensitivity=2.393E-5\nSamplingRate=6\nStart=Yes\nOutputDirectory="
                       << data.string()
                       << "\n\n[Station]\nIagaCode=ABC\nName=Abc Valley\nInstitute=Zuva Institute\n"
                          "Latitude=48.1\nLongitude=11.5\nElevation=545\nIagaOutput=Yes\n";

    {
        testing::ChildProcess logger(ZUVA_BIN_DIR "/zuva-logger", {"--headless", "--config", ini.string()},
                                     dir.string(), env, (dir / "run1.out").string(), (dir / "run1.err").string());
        std::this_thread::sleep_for(20s);
        ASSERT_TRUE(logger.running()) << readFile(dir / "run1.err");
        logger.signal(SIGKILL);
        ASSERT_EQ(logger.wait(10s), 128 + SIGKILL);
    }
    std::this_thread::sleep_for(1s);
    {
        testing::ChildProcess logger(ZUVA_BIN_DIR "/zuva-logger", {"--headless", "--config", ini.string()},
                                     dir.string(), env, (dir / "run2.out").string(), (dir / "run2.err").string());
        std::this_thread::sleep_for(18s);
        ASSERT_TRUE(logger.running()) << readFile(dir / "run2.err");
        logger.signal(SIGTERM);
        ASSERT_EQ(logger.wait(10s), 0) << readFile(dir / "run2.err");
    }
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(5s), 0);

    const std::vector<std::string> live{"abc20260314vsec.sec", "abc20260314vmin.min", "abc20260315vsec.sec",
                                        "abc20260315vmin.min"};
    for (const std::string& name : live) ASSERT_TRUE(fs::exists(data / name)) << name;
    std::string checkArgs = "iaga --check";
    for (const std::string& name : live) checkArgs += " " + (data / name).string();
    EXPECT_EQ(runTool(checkArgs, dir / "check.out"), 0) << readFile(dir / "check.out");
    std::string expectedCheck;
    for (const std::string& name : live) expectedCheck += (data / name).string() + ": ok\n";
    EXPECT_EQ(readFile(dir / "check.out"), expectedCheck);

    // The seconds the data files hold, and the conversion of those files.
    std::string convertArgs = "iaga --config " + ini.string() + " --out " + (dir / "batch").string();
    RecordedSeconds recorded;
    std::vector<fs::path> zuv;
    for (const auto& e : fs::directory_iterator(data)) {
        if (e.path().extension() == ".zuv") zuv.push_back(e.path());
    }
    std::sort(zuv.begin(), zuv.end());
    ASSERT_GE(zuv.size(), 3u);  // two runs, and midnight
    for (const fs::path& f : zuv) {
        convertArgs += " " + f.string();
        fakes::RecordingLog log;
        const auto scan = recording::DataFileHeaderReader(log).ReadDataFileHeader(f.string());
        const std::string name = f.filename().string();
        recorded.date = recording::UtcCalendar::toEpoch(
            {std::stoi(name.substr(0, 4)), std::stoi(name.substr(4, 2)), std::stoi(name.substr(6, 2)), 0, 0, 0});
        recording::DataRecordReader(log).read(f.string(), scan, recorded);
    }
    fs::create_directory(dir / "batch");
    ASSERT_EQ(runTool(convertArgs, dir / "convert.out"), 0) << readFile(dir / "convert.out");
    std::string expectedNames;
    for (const std::string& name : live) expectedNames += (dir / "batch" / name).string() + "\n";
    EXPECT_EQ(readFile(dir / "convert.out"), expectedNames);

    // A value may be missing from the live files, or differ, only where the filter
    // reaches both recorded seconds and seconds the data files lack (the start, the
    // kill and the end): the live filters lost what they held when the logger was
    // killed, and the conversion sees both runs at once.
    const auto nearMissing = [&](std::int64_t t, std::int64_t reach) {
        bool lacking = false, holding = false;
        for (std::int64_t s = t - reach; s <= t + reach; ++s) (recorded.seconds.count(s) ? holding : lacking) = true;
        return lacking && holding;
    };
    int compared = 0, near = 0;
    for (const std::string& name : live) {
        SCOPED_TRACE(name);
        const bool minute = name.find("min") != std::string::npos;
        const auto a = products::IagaFileReader::readFile((data / name).string());
        const auto b = products::IagaFileReader::readFile((dir / "batch" / name).string());
        ASSERT_EQ(b.records.size(), minute ? 1440u : 86400u);
        ASSERT_LE(a.records.size(), b.records.size());
        if (name == live[0] || name == live[1]) {
            EXPECT_EQ(a.records.size(), b.records.size());  // day 1 completed at midnight
        }
        for (std::size_t i = 0; i < a.records.size(); ++i) {
            const auto& x = a.records[i];
            const auto& y = b.records[i];
            ASSERT_EQ(x.time, y.time);
            if (nearMissing(x.time, minute ? 45 + 13 : 13)) {
                ++near;
                if (!std::isnan(x.x)) {
                    EXPECT_FALSE(std::isnan(y.x)) << x.time - kDay1;
                }
                continue;
            }
            ++compared;
            if (std::isnan(y.x)) {
                EXPECT_TRUE(std::isnan(x.x)) << x.time - kDay1;
                continue;
            }
            EXPECT_NEAR(x.x, y.x, 0.011) << x.time - kDay1;
            EXPECT_NEAR(x.y, y.y, 0.011) << x.time - kDay1;
            EXPECT_NEAR(x.z, y.z, 0.011) << x.time - kDay1;
        }
    }
    EXPECT_GT(compared, 86400 + 1440);
    EXPECT_GT(near, 20);
    // Values were computed in both runs, on both days.
    const auto day2 = products::IagaFileReader::readFile((data / live[2]).string());
    const auto computed = std::count_if(day2.records.begin(), day2.records.end(),
                                        [](const products::FieldValue& v) { return !std::isnan(v.x); });
    EXPECT_GT(computed, 150);

    // The second run continued the day's files.
    std::vector<std::string> log;
    for (const auto& line : readLines(dir / "zuva.log")) log.push_back(messageOf(line));
    const auto continued = std::count_if(log.begin(), log.end(), [&](const std::string& m) {
        return m.rfind("IAGA-2002 file " + (data / "abc20260315v").string(), 0) == 0 &&
               m.find(" continued after 2026-03-15 ") != std::string::npos;
    });
    EXPECT_EQ(continued, 2) << readFile(dir / "zuva.log");
    for (const auto& m : log) EXPECT_EQ(m.find("Error"), std::string::npos) << m;

}

}  // namespace
}  // namespace zuva::app
