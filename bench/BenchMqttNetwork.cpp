// A network on one machine: 50 simulated stations publish one message a second
// (SecondsPerMessage=1) over TLS into one mosquitto, and one zuva-collect process
// writes their IAGA-2002 archive. Measured over ZUVA_BENCH_SECONDS (default 45):
//   messages_per_second  data messages the collector took, per second of the run
//   offered_ratio        that rate over the rate the stations offered (1: it keeps up)
//   collector_cpu        the collector's CPU time over the run's wall time (1 = one core)
//   latency_median_ms, latency_p95_ms
//                        from a second's completion at a station to its record in the
//                        collector's file (goal: under 2 s)
//   latency_vs_baseline  the median over the median round trip of a bare MQTT message
//                        through the same broker, measured in the same run
//
// Each station is a StationPublisher in this process (its own queue and connection
// thread), fed its value at the moment the wall-clock second completes.

#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "network/MosquittoBroker.h"
#include "network/StationPublisher.h"
#include "network/TestSubscriber.h"
#include "products/IagaFormat.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using zuva::network::testing::MosquittoBroker;

constexpr int kStations = 50;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

// utime + stime of a process in seconds.
double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

std::string code(int i) {
    std::string c = "aaa";
    c[1] = static_cast<char>('a' + i / 26);
    c[2] = static_cast<char>('a' + i % 26);
    return c;
}

void BM_FiftyStationsOneCollector(benchmark::State& state) {
    const char* env = std::getenv("ZUVA_BENCH_SECONDS");
    const int runSeconds = env != nullptr ? std::max(10, std::atoi(env)) : 45;
    for (auto _ : state) {
        MosquittoBroker broker(true);
        const fs::path work = broker.dir() / "bench";
        fs::create_directories(work / "archive");

        // Baseline: a bare message's round trip through the broker, publish to receipt.
        std::vector<double> trips;
        {
            zuva::network::testing::TestSubscriber subscriber(broker, {"zuva/zzz/log"});
            subscriber.waitConnected();
            zuva::network::StationPublisher::Config c;
            c.mqtt.host = "127.0.0.1";
            c.mqtt.port = broker.port();
            c.mqtt.username = c.mqtt.clientId = "bench";
            c.mqtt.password = "bench";
            c.mqtt.caFile = broker.certificates().ca;
            c.code = "zzz";
            c.queueDirectory = (work / "baseline-queue").string();
            zuva::network::StationPublisher publisher(c);
            publisher.start();
            for (std::size_t i = 0; i < 40; ++i) {
                const auto sent = Clock::now();
                publisher.logLine("echo", 0);
                if (!subscriber.waitFor([i](const auto& m) { return m.size() > i; })) break;
                trips.push_back(seconds(Clock::now() - sent) * 1000.0);
            }
            publisher.stop();
        }

        // The collector, a process of its own.
        const std::string config = (work / "collect.ini").string();
        std::ofstream(config) << "[Mqtt]\nHost=127.0.0.1\nPort=" << broker.port()
                              << "\nUsername=collector\nPassword=" << MosquittoBroker::kCollectorPassword
                              << "\nCaFile=" << broker.certificates().ca << "\nClientId=bench-collector\n";
        ::chmod(config.c_str(), 0600);
        const std::string errors = (work / "collect.err").string();
        const pid_t collector = ::fork();
        if (collector == 0) {
            if (!std::freopen(errors.c_str(), "w", stderr)) _exit(126);
            ::execl(ZUVA_BIN_DIR "/zuva-collect", "zuva-collect", "--config", config.c_str(), "--out",
                    (work / "archive").c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 600; ++i) {
            std::ifstream in(errors);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (text.find("Subscribed to") != std::string::npos) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }

        std::vector<std::unique_ptr<zuva::network::StationPublisher>> stations;
        for (int i = 0; i < kStations; ++i) {
            zuva::network::StationPublisher::Config c;
            c.mqtt.host = "127.0.0.1";
            c.mqtt.port = broker.port();
            c.mqtt.username = "bench";
            c.mqtt.clientId = "bench-" + code(i);
            c.mqtt.password = "bench";
            c.mqtt.caFile = broker.certificates().ca;
            c.mqtt.secondsPerMessage = 1;
            c.code = code(i);
            c.queueDirectory = (work / ("queue-" + code(i))).string();
            stations.push_back(std::make_unique<zuva::network::StationPublisher>(c));
            stations.back()->start();
        }

        // One value per station at each completed wall-clock second.
        struct Pending {
            int station;
            std::int64_t time;
            Clock::time_point completed;
        };
        std::vector<Pending> pending;
        std::vector<double> latencies;
        const double cpuBefore = cpuSeconds(collector);
        const auto began = Clock::now();
        std::int64_t next = static_cast<std::int64_t>(std::time(nullptr)) + 1;
        const std::int64_t last = next + runSeconds - 1;
        std::size_t offered = 0;
        const auto fileOf = [&](int station, std::int64_t t) {
            return work / "archive" / code(station) /
                   zuva::products::IagaFormat::fileName(code(station), t, 'v', zuva::products::Interval::Second);
        };
        while (static_cast<std::int64_t>(std::time(nullptr)) <= last + 5 && (next <= last || !pending.empty())) {
            const auto now = static_cast<std::int64_t>(std::time(nullptr));
            if (next <= last && now >= next + 1) {  // second `next` has just completed
                const auto completed = Clock::now();
                for (int i = 0; i < kStations; ++i) {
                    stations[static_cast<std::size_t>(i)]->valueReady(
                        zuva::products::Interval::Second,
                        {next, 20000.0 + i, -100.0, 40000.0 + static_cast<double>(next % 100)});
                    pending.push_back({i, next, completed});
                }
                offered += kStations;
                ++next;
            }
            // A record is in a file when the file has grown past it.
            const auto polled = Clock::now();
            std::erase_if(pending, [&](const Pending& p) {
                std::error_code ec;
                const auto size = fs::file_size(fileOf(p.station, p.time), ec);
                if (ec) return false;
                const std::int64_t dayStart = p.time - p.time % 86400;
                const std::uintmax_t header = 13 * 71;
                const std::uintmax_t needed = header + static_cast<std::uintmax_t>(p.time - dayStart + 1) * 71;
                // Records before the first of the run are missing ones: count from the first.
                if (size < needed) return false;
                latencies.push_back(seconds(polled - p.completed) * 1000.0);
                return true;
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        const double wall = seconds(Clock::now() - began);
        const double cpu = cpuSeconds(collector) - cpuBefore;
        for (auto& s : stations) s->stop();
        ::kill(collector, SIGTERM);
        ::waitpid(collector, nullptr, 0);

        const double median = percentile(latencies, 0.5);
        const double baseline = percentile(trips, 0.5);
        state.counters["messages_per_second"] = static_cast<double>(latencies.size()) / wall;
        state.counters["offered_ratio"] = offered > 0 ? static_cast<double>(latencies.size()) / static_cast<double>(offered) : 0;
        state.counters["collector_cpu"] = cpu / wall;
        state.counters["latency_median_ms"] = median;
        state.counters["latency_p95_ms"] = percentile(latencies, 0.95);
        state.counters["baseline_round_trip_ms"] = baseline;
        state.counters["latency_vs_baseline"] = baseline > 0 ? median / baseline : 0;
        state.counters["lost"] = static_cast<double>(pending.size());
    }
}
BENCHMARK(BM_FiftyStationsOneCollector)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
