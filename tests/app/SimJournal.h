// What zuva-sim's journal says was on the line, and the records and log lines
// zuva-logger must have made of it, for the end-to-end tests.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <bitset>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "recording/SecondRecordEncoder.h"

namespace zuva::app::testing {

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> readLines(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The port name zuva-sim prints as its first line once its line is registered;
// empty when it did not within five seconds.
inline std::string registeredPortOfSim(const std::filesystem::path& simOutput) {
    for (int i = 0; i < 200; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        const auto lines = readLines(simOutput);
        if (!lines.empty()) return lines.front();
    }
    return {};
}

inline int bcd(std::uint8_t b) { return (b >> 4) * 10 + (b & 0x0F); }

inline std::int32_t sample24(const std::uint8_t* p) {
    std::uint32_t v = p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
    if (v & 0x800000u) v |= 0xFF000000u;
    return static_cast<std::int32_t>(v);
}

// One second of the instrument's stream as the simulator's journal shows it.
struct JournalSecond {
    int hour = 0, minute = 0, second = 0;
    std::array<std::int32_t, 256> x{}, y{}, z{};
    std::bitset<256> seen;
    std::uint8_t lastStatus = 0;
    double firstFrameAt = -1.0;  // when its first frame in the journal was sent
    double lastFrameAt = -1.0;   // when the frame with index 255 was sent
    bool complete() const { return seen.all(); }
};

struct Journal {
    std::vector<JournalSecond> seconds;
    std::vector<std::pair<double, std::uint8_t>> received;  // control bytes
    double unpluggedAt = -1.0;  // the line pulled out (--unplug-at), -1 when it never was
    double repluggedAt = -1.0;  // and put back
    std::size_t badFrames = 0;  // frames sent with a wrong checksum
};

inline Journal readJournal(const std::filesystem::path& path) {
    Journal journal;
    for (const std::string& line : readLines(path)) {
        std::istringstream in(line);
        double at = 0;
        std::string direction;
        in >> at >> direction;
        std::vector<std::uint8_t> bytes;
        std::string hex;
        while (in >> hex) bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex, nullptr, 16)));
        if (direction == "unplug") journal.unpluggedAt = at;
        if (direction == "replug") journal.repluggedAt = at;
        if (direction == "rx") {
            for (auto b : bytes) journal.received.emplace_back(at, b);
            continue;
        }
        if (direction != "tx" || bytes.size() != 19 || bytes[0] != 0xC1) continue;
        // A frame sent with a wrong checksum (--bad-checksum-every) is no frame.
        unsigned sum = 0;
        for (std::size_t i = 1; i < 18; ++i) sum += bytes[i];
        if (static_cast<std::uint8_t>(sum) != bytes[18]) {
            ++journal.badFrames;
            continue;
        }
        const int h = bcd(bytes[5]), m = bcd(bytes[6]), s = bcd(bytes[7]);
        if (journal.seconds.empty() || journal.seconds.back().hour != h || journal.seconds.back().minute != m ||
            journal.seconds.back().second != s) {
            JournalSecond fresh;
            fresh.hour = h;
            fresh.minute = m;
            fresh.second = s;
            fresh.firstFrameAt = at;
            journal.seconds.push_back(fresh);
        }
        JournalSecond& sec = journal.seconds.back();
        const std::uint8_t index = bytes[8];
        sec.x[index] = sample24(&bytes[9]);
        sec.y[index] = sample24(&bytes[12]);
        sec.z[index] = sample24(&bytes[15]);
        sec.seen.set(index);
        sec.lastStatus = bytes[1];
        if (index == 255) sec.lastFrameAt = at;
    }
    return journal;
}

// The record the logger must have written for a second at a rate.
inline std::vector<std::uint8_t> expectedRecord(const JournalSecond& sec, int rate) {
    recording::SecondRecord record;
    record.statusByte = sec.lastStatus;
    record.hour = static_cast<std::uint8_t>(sec.hour);
    record.minute = static_cast<std::uint8_t>(sec.minute);
    record.second = static_cast<std::uint8_t>(sec.second);
    record.tripleCount = static_cast<std::uint16_t>(rate);
    const int averaging = 256 / rate;
    for (int g = 0; g < rate; ++g) {
        for (int k = 0; k < averaging; ++k) {
            const auto i = static_cast<std::size_t>(g * averaging + k);
            record.bx[static_cast<std::size_t>(g)] += sec.x[i];
            record.by[static_cast<std::size_t>(g)] += sec.y[i];
            record.bz[static_cast<std::size_t>(g)] += sec.z[i];
        }
    }
    std::vector<std::uint8_t> bytes(recording::SecondRecordEncoder::recordSize(record.tripleCount));
    recording::SecondRecordEncoder::encode(record, bytes);
    return bytes;
}

// A second with positions that had no good frame, as the logger fills them: each
// takes the nearest earlier good sample of its own second, or the first good one
// when the gap is at the start. Also counts the filled runs.
inline JournalSecond filled(JournalSecond sec, int* runs = nullptr) {
    int first = 0;
    while (first < 256 && !sec.seen.test(static_cast<std::size_t>(first))) ++first;
    if (first == 256) return sec;
    int source = first;
    bool inRun = false;
    for (int i = 0; i < 256; ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (sec.seen.test(at)) {
            source = i;
            inRun = false;
            continue;
        }
        if (!inRun && runs != nullptr) ++*runs;
        inRun = true;
        const auto from = static_cast<std::size_t>(source);
        sec.x[at] = sec.x[from];
        sec.y[at] = sec.y[from];
        sec.z[at] = sec.z[from];
    }
    return sec;
}

// "Header length: N" of zuva-file info.
inline long headerLength(const std::filesystem::path& file) {
    const std::string command = std::string(ZUVA_BIN_DIR "/zuva-file info '") + file.string() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    char line[512];
    long length = -1;
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::sscanf(line, "Header length: %ld", &length);
    }
    ::pclose(pipe);
    return length;
}

// A data file cut into its header and records of recordSize bytes: header is
// the header length (-1 when zuva-file finds none), tail the bytes after the last
// whole record.
struct FileRecords {
    long header = -1;
    std::size_t tail = 0;
    std::vector<std::vector<std::uint8_t>> records;
};

inline FileRecords recordsOf(const std::filesystem::path& file, std::size_t recordSize) {
    FileRecords result;
    result.header = headerLength(file);
    if (result.header <= 0) return result;
    const std::string bytes = readFile(file);
    const auto start = static_cast<std::size_t>(result.header);
    std::size_t at = start;
    for (; at + recordSize <= bytes.size(); at += recordSize) {
        result.records.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                    bytes.begin() + static_cast<std::ptrdiff_t>(at + recordSize));
    }
    result.tail = bytes.size() > at ? bytes.size() - at : 0;
    return result;
}

// The files of a folder, in name order.
inline std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Every record of the given data files, one after the other. `fault` names the first
// file without a header ("no header in F") or with a partial record at its end
// ("partial record in F"); empty when all are whole.
struct RecordsOfFiles {
    std::vector<std::vector<std::uint8_t>> records;
    std::string fault;
};

inline RecordsOfFiles recordsOfFiles(const std::vector<std::filesystem::path>& files, std::size_t recordSize) {
    RecordsOfFiles all;
    for (const std::filesystem::path& file : files) {
        FileRecords part = recordsOf(file, recordSize);
        if (part.header <= 0) {
            all.fault = "no header in " + file.string();
        } else if (part.tail != 0) {
            all.fault = "partial record in " + file.string();
        }
        if (!all.fault.empty()) break;
        all.records.insert(all.records.end(), part.records.begin(), part.records.end());
    }
    return all;
}

// The message of an event-log line: what follows the first ": " after date and time.
inline std::string messageOf(const std::string& line) {
    const auto colon = line.find(": ");
    return colon == std::string::npos ? line : line.substr(colon + 2);
}

}  // namespace zuva::app::testing
