#include "tools/sim/SimOptions.h"

#include <cstdio>
#include <stdexcept>

#include "tools/sim/InstrumentClock.h"

namespace zuva::sim {

namespace {

int parseCount(const std::string& option, const std::string& value) {
    std::size_t used = 0;
    long n = 0;
    try {
        n = std::stol(value, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != value.size() || value.empty() || n < 0 || n > 1000000000L) {
        throw std::invalid_argument(option + " needs a whole number >= 0, not \"" + value + "\"");
    }
    return static_cast<int>(n);
}

double parsePositive(const std::string& option, const std::string& value, double most) {
    std::size_t used = 0;
    double x = 0;
    try {
        x = std::stod(value, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != value.size() || value.empty() || !(x > 0) || x > most) {
        throw std::invalid_argument(option + " needs a number above 0 and at most " + std::to_string(static_cast<long>(most)) +
                                    ", not \"" + value + "\"");
    }
    return x;
}

}  // namespace

const char* simUsage() {
    return "usage: zuva-sim [options]\n"
           "  --name NAME              port name in the ports directory (default sim0)\n"
           "  --ports-dir DIR          ports directory (default $XDG_RUNTIME_DIR/zuva-ports or /tmp/zuva-ports-UID)\n"
           "  --start \"YYYY-MM-DD HH:MM:SS\"  instrument clock at start (default: the PC's time)\n"
           "  --seconds N              end after N real seconds (default: at SIGINT/SIGTERM)\n"
           "  --rate-multiplier X      simulated seconds per real second (default 1)\n"
           "  --lat TEXT --lon TEXT --alt TEXT  position sent in PositionFrames\n"
           "  --no-gps                 StatusByte bit 3 starts at 0 (GPS not available)\n"
           "  --bad-checksum-every N   every Nth DataFrame carries a wrong checksum\n"
           "  --lose-end-every N       every Nth second loses its last frames (--lose-end-count, default 3)\n"
           "  --gps-toggle-every N     the GPS bit flips every N seconds\n"
           "  --burst N                frames are written N at a time, as USB serial adapters deliver them\n"
           "  --drop-frame-every N     every Nth DataFrame is left out\n"
           "  --junk-every N           every Nth DataFrame follows 1 to 3 stray bytes (listed as their own tx line)\n"
           "  --silent                 never sends anything\n"
           "  --unplug-at S --unplug-for P  after S real seconds the line is pulled out (the name\n"
           "                           unregistered, the pty closed); P seconds later a new pty is\n"
           "                           registered under the same name. The unit and its clock run on;\n"
           "                           what it sends while the line is out is lost\n"
           "  --journal FILE           one line per frame sent and control byte received:\n"
           "                           \"<seconds since start> tx|rx <bytes as upper-case hex, blank-separated>\"\n"
           "                           and \"<seconds since start> unplug|replug\" when the line is pulled and back\n"
           "Data files of simulated days, without a serial line:\n"
           "  --write-files DIR        records the unit's frames through the logger's reception and data file\n"
           "                           writer into DIR (\"Every midnight\": one file per day, YYYYMMDD000000.zuv),\n"
           "                           much faster than real time; prints each file's name\n"
           "  --from YYYY-MM-DD        the first day (required with --write-files)\n"
           "  --days N                 whole days, 1..31 (default 1)\n"
           "  --rate-index N           sampling rate 2^N Hz, 0 (1 Hz) .. 8 (256 Hz) (default 2, 4 Hz)\n"
           "  --sensitivity X          nT per bit written into the headers (default 1)\n";
}

std::optional<acquisition::FrameDateTime> parseDay(const std::string& text) {
    if (text.size() != 10) return std::nullopt;
    return parseStartTime(text + " 00:00:00");
}

std::optional<acquisition::FrameDateTime> parseStartTime(const std::string& text) {
    acquisition::FrameDateTime t;
    char tail = 0;
    if (text.size() != 19 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                    &t.second, &tail) != 6 ||
        text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    if (t.year < 2000 || t.year > 2099 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > InstrumentClock::daysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59 ||
        t.hour < 0 || t.minute < 0 || t.second < 0) {
        return std::nullopt;
    }
    return t;
}

SimOptions parseSimOptions(const std::vector<std::string>& args) {
    SimOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
            return args[++i];
        };
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--name") {
            o.name = value();
            if (o.name.empty() || o.name == "." || o.name == ".." || o.name.find('/') != std::string::npos) {
                throw std::invalid_argument("--name needs a plain file name, not \"" + o.name + "\"");
            }
        } else if (a == "--ports-dir") {
            o.portsDir = value();
        } else if (a == "--start") {
            const std::string text = value();
            o.start = parseStartTime(text);
            if (!o.start) throw std::invalid_argument("--start needs \"YYYY-MM-DD HH:MM:SS\" (2000..2099), not \"" + text + "\"");
        } else if (a == "--seconds") {
            o.seconds = parsePositive(a, value(), 1e7);
        } else if (a == "--rate-multiplier") {
            o.rateMultiplier = parsePositive(a, value(), 1000);
        } else if (a == "--lat") {
            o.latitude = value();
        } else if (a == "--lon") {
            o.longitude = value();
        } else if (a == "--alt") {
            o.altitude = value();
        } else if (a == "--no-gps") {
            o.gpsAvailable = false;
        } else if (a == "--bad-checksum-every") {
            o.badChecksumEvery = parseCount(a, value());
        } else if (a == "--lose-end-every") {
            o.loseEndEvery = parseCount(a, value());
        } else if (a == "--lose-end-count") {
            o.loseEndCount = parseCount(a, value());
            if (o.loseEndCount < 1 || o.loseEndCount > 255) throw std::invalid_argument("--lose-end-count needs 1..255");
        } else if (a == "--gps-toggle-every") {
            o.gpsToggleEvery = parseCount(a, value());
        } else if (a == "--burst") {
            o.burst = parseCount(a, value());
            if (o.burst < 1 || o.burst > 4096) throw std::invalid_argument("--burst needs 1..4096");
        } else if (a == "--drop-frame-every") {
            o.dropFrameEvery = parseCount(a, value());
        } else if (a == "--junk-every") {
            o.junkEvery = parseCount(a, value());
        } else if (a == "--silent") {
            o.silent = true;
        } else if (a == "--unplug-at") {
            o.unplugAt = parsePositive(a, value(), 1e7);
        } else if (a == "--unplug-for") {
            o.unplugFor = parsePositive(a, value(), 1e7);
        } else if (a == "--journal") {
            o.journal = value();
        } else if (a == "--write-files") {
            o.writeFiles = value();
            if (o.writeFiles.empty()) throw std::invalid_argument("--write-files needs a directory");
        } else if (a == "--from") {
            const std::string text = value();
            o.from = parseDay(text);
            if (!o.from) throw std::invalid_argument("--from needs a date YYYY-MM-DD (2000..2099), not \"" + text + "\"");
        } else if (a == "--days") {
            o.days = parseCount(a, value());
            if (o.days < 1 || o.days > 31) throw std::invalid_argument("--days needs 1..31");
        } else if (a == "--rate-index") {
            o.rateIndex = parseCount(a, value());
            if (o.rateIndex > 8) throw std::invalid_argument("--rate-index needs 0..8");
        } else if (a == "--sensitivity") {
            o.sensitivity = parsePositive(a, value(), 1e6);
        } else {
            throw std::invalid_argument("unknown option " + a);
        }
    }
    if ((o.unplugAt > 0) != (o.unplugFor > 0)) {
        throw std::invalid_argument("--unplug-at and --unplug-for go together");
    }
    if (!o.writeFiles.empty() && !o.from) throw std::invalid_argument("--write-files needs --from YYYY-MM-DD");
    if (o.writeFiles.empty() && o.from) throw std::invalid_argument("--from goes with --write-files");
    return o;
}

}  // namespace zuva::sim
