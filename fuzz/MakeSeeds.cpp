// Writes the seed inputs of the fuzz targets: frame streams made with the frame
// encoder, data files made with the data file writer, and settings files.
// Usage: fuzz-seeds <corpus directory>   (writes <dir>/fuzz-receiver/... etc.)
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "acquisition/FrameEncoder.h"
#include "recording/DataFileWriter.h"
#include "recording/LogSink.h"

namespace {

namespace fs = std::filesystem;
namespace acq = zuva::acquisition;
namespace rec = zuva::recording;

using Bytes = std::vector<std::uint8_t>;

struct QuietLog final : rec::LogSink {
    void addlogfile(const std::string&) override {}
};

void save(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::printf("%s: %zu bytes\n", path.c_str(), bytes.size());
}

void save(const fs::path& path, const std::string& text) { save(path, Bytes(text.begin(), text.end())); }

void append(Bytes& to, std::span<const std::uint8_t> bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

acq::FrameDateTime plus(acq::FrameDateTime t, int seconds) {
    int total = t.hour * 3600 + t.minute * 60 + t.second + seconds;
    if (total >= 86400) {
        total -= 86400;
        ++t.day;  // the seeds never cross a month end
    }
    t.hour = total / 3600;
    t.minute = total / 60 % 60;
    t.second = total % 60;
    return t;
}

// A few frames of each second: enough for the warm-up, the file opening, the end
// of each second, the GPS check at index 250 and one second that loses its end.
Bytes sparseSeconds(acq::FrameDateTime start, int seconds, std::uint8_t status, bool loseAnEnd) {
    Bytes out;
    for (int s = 0; s < seconds; ++s) {
        const acq::FrameDateTime t = plus(start, s);
        const bool shortSecond = loseAnEnd && s == seconds - 2;
        for (int index : {0, 1, 64, 128, 200, 250, 255}) {
            if (shortSecond && index > 200) break;
            const auto gps = static_cast<std::uint8_t>(s % 2 == 0 ? status | 0x08 : status);
            append(out, acq::encodeDataFrame(t, gps, static_cast<std::uint8_t>(index), 1000 * s + index,
                                             -8388608 + index, 8388607 - s));
        }
    }
    return out;
}

Bytes receiverSeed(std::initializer_list<std::uint8_t> control, const Bytes& stream) {
    Bytes out(control);
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

void receiverSeeds(const fs::path& dir) {
    const acq::FrameDateTime day{2009, 8, 19, 13, 45, 1};
    // 256 Hz run, cut into four notifications.
    save(dir / "run-256hz", receiverSeed({0x00, 0x00, 100, 0x80, 0xC0, 0, 0}, sparseSeconds(day, 7, 0, true)));
    // GPS request answered by a PositionFrame, then a 1 Hz run (gain 10 echoed).
    Bytes gps;
    append(gps, acq::encodePositionFrame(day, 0x00, "5005.1234N", "01430.5678E", "123.4"));
    append(gps, sparseSeconds(day, 6, 0x01, false));
    save(dir / "gps-then-1hz", receiverSeed({0x28, 0x01, 37, 0x60, 0xB0, 0, 0}, gps));
    // Unset instrument clock at 4 Hz, hourly files, Stop and Start, a gain change.
    const acq::FrameDateTime unset{2005, 1, 11, 3, 59, 58};
    save(dir / "unset-clock-hourly", receiverSeed({0x86, 0x78, 50, 0x50, 0xA0, 19, 0},
                                                  sparseSeconds(unset, 6, 0, false)));
    // Midnight at 16 Hz with short reads and an overstated count.
    const acq::FrameDateTime midnight{2024, 12, 30, 23, 59, 57};
    save(dir / "midnight-16hz", receiverSeed({0x04, 0x02, 10, 0x40, 0x80, 7, 1}, sparseSeconds(midnight, 6, 0, false)));
    // Bad frames: a wrong checksum, then a batch that does not begin with the sync
    // byte, then good frames again.
    Bytes bad = sparseSeconds(day, 2, 0, false);
    acq::DataFrame broken = acq::encodeDataFrame(plus(day, 2), 0, 0, 1, 2, 3);
    broken[18] ^= 0xFF;
    append(bad, broken);
    append(bad, Bytes{0x55, 0xC1, 0x00});
    append(bad, sparseSeconds(plus(day, 3), 4, 0, false));
    save(dir / "bad-frames", receiverSeed({0x01, 0x00, 19 * 13, 89, 90, 0, 0}, bad));
    // An edited stream: after three clean seconds, four seconds with frames left out,
    // frames with wrong checksums and stray bytes, among them frames 0 and 255 and
    // two bad frames in a row; notifications of 23 bytes.
    Bytes edits(4 * 256, 0x00);
    for (std::size_t n = 0; n < edits.size(); n += 37) edits[n] = 0x01;
    for (std::size_t n = 5; n < edits.size(); n += 53) edits[n] = 0x02;
    for (std::size_t n = 11; n < edits.size(); n += 71) edits[n] = 0x1F;
    edits[255] = 0x01;
    edits[256] = 0x02;
    edits[257] = 0x02;
    save(dir / "edited-stream", receiverSeed({0x00, 0x00, 22, 0x00, 0x00, 0, 0x08}, edits));
}

void dataFileSeeds(const fs::path& dir, const fs::path& scratch) {
    const struct {
        const char* seed;
        std::uint16_t averaging;
        int records;
        std::size_t cutTail;  // bytes taken off the end: an incomplete last record
        const char* remarks;
    } files[] = {
        {"avg1-256hz.zuv", 1, 1, 0, ""},
        {"avg256-1hz.zuv", 256, 12, 5, "Field test <north> & calm"},
        {"avg16-16hz.zuv", 16, 3, 0, "three seconds"},
    };
    for (const auto& f : files) {
        QuietLog log;
        rec::DataFileWriter writer(log);
        writer.setOutputDirectory(scratch.string());
        writer.setRemarksText(f.remarks);
        rec::DataFileHeaderInfo info;
        info.fileDate = "20090819";
        info.fileTime = "134501";
        info.dateText = "2009 08 19";
        info.averaging = f.averaging;
        info.samplingRateText = std::to_string(256 / f.averaging);
        info.sensitivity = 2.393e-5;
        info.gainText = "10";
        if (f.averaging != 1) {
            info.longitude = "01430.5678E";
            info.latitude = "5005.1234N";
            info.altitude = "123.4";
        }
        writer.OpenNewDataFile(info);
        for (int r = 0; r < f.records; ++r) {
            rec::SecondRecord record;
            record.statusByte = static_cast<std::uint8_t>(0x08 | (r % 4));
            record.hour = 13;
            record.minute = 45;
            record.second = static_cast<std::uint8_t>(1 + r);
            record.tripleCount = static_cast<std::uint16_t>(256 / f.averaging);
            for (std::size_t k = 0; k < record.tripleCount; ++k) {
                record.bx[k] = static_cast<std::int32_t>(k) * 1000 - 5;
                record.by[k] = -static_cast<std::int32_t>(k);
                record.bz[k] = 2147483647 - static_cast<std::int32_t>(k);
            }
            writer.AppendSecondRecord(record);
        }
        std::ifstream in(writer.DataFileName(), std::ios::binary);
        Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bytes.resize(bytes.size() - f.cutTail);
        save(dir / f.seed, bytes);
        fs::remove(writer.DataFileName());
    }
}

void iniSeeds(const fs::path& dir) {
    save(dir / "every-key.ini",
         "[Config]\n"
         "ComPort=/dev/ttyUSB0\n"
         "Gain=2\n"
         "sensitivity=2,393E-5\n"
         "SamplingRate=6\n"
         "Start=Yes\n"
         "OutputDirectory=/tmp\n"
         "\n"
         "[TForm1]\n"
         "Left=10\n"
         "Top=20\n"
         "Width=800\n"
         "Height=600\n"
         "Maximized=0\n"
         "FormVersion=0\n"
         "Flags=0\n"
         "ShowCmd=1\n"
         "PixelsPerInch=96\n"
         "MinMaxPos=-1,-1,-1,-1\n"
         "MinMaxPos(1024x768)=-1,-1,-1,-1\n"
         "NormPos=10,20,810,620\n"
         "NormPos(1024x768)=10,20,810,620\n"
         "Visible=1\n"
         ";;write Config|Gain|3\n"
         ";;write TForm1|Visible|0\n"
         ";;write New|key| spaced value \n");
    save(dir / "crlf-odd.ini",
         "; settings\r\n"
         "[ config ]\r\n"
         "  GAIN = 1 \r\n"
         "sensitivity = abc\r\n"
         "SamplingRate=258\r\n"
         "start=yes\r\n"
         "no equals sign here\r\n"
         "[Config]\r\n"
         "Gain=3\r\n"
         "[broken\r\n"
         "#Start=Yes\r\n"
         ";;write CONFIG|samplingrate|-1\r\n"
         ";;write Config|bad=key|x\r\n");
    using namespace std::string_literals;
    save(dir / "no-break-at-end.ini",
         "[TSelectDir]\nNormPos=1,2,3,4\n[Config]\nStart=Not\rComPort=COM99\0x\n"s
         ";;write Config|OutputDirectory|/\n;;write Other|k|v");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    const fs::path scratch = fs::temp_directory_path() / ("zuva-seeds-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    receiverSeeds(root / "fuzz-receiver");
    dataFileSeeds(root / "fuzz-data-file", scratch);
    iniSeeds(root / "fuzz-ini");
    fs::remove_all(scratch);
    return 0;
}
