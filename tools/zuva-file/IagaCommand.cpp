// zuva-file iaga: IAGA-2002 one-second and one-minute day files from data files or
// IAGA-2002 one-second files, and the check of IAGA-2002 files.
// Exit status: 0 done (every file checked passes), 1 a file missing, unreadable or
// not writable, 2 usage, 3 input that cannot be converted or a file that breaks a rule.

#include "tools/zuva-file/IagaCommand.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "products/IagaChecker.h"
#include "products/IagaConversion.h"
#include "recording/LogSink.h"
#include "recording/PosixFile.h"
#include "settings/SettingsFile.h"
#include "settings/StationSettings.h"

namespace zuva::tools {

namespace {

constexpr int kOk = 0;
constexpr int kFileError = 1;
constexpr int kUsage = 2;
constexpr int kBadData = 3;

class StderrLog final : public recording::LogSink {
public:
    void addlogfile(const std::string& message) override { std::fprintf(stderr, "log: %s\n", message.c_str()); }
};

int usage() {
    std::fprintf(stderr,
                 "usage: zuva-file iaga [--config PATH] [--interval second|minute] [--out DIR] FILE...\n"
                 "       zuva-file iaga --check FILE...\n");
    return kUsage;
}

int check(const std::vector<std::string>& files) {
    int status = kOk;
    for (const std::string& f : files) {
        if (!recording::pathExists(f)) {
            std::fprintf(stderr, "zuva-file: %s: not found\n", f.c_str());
            status = kFileError;
            continue;
        }
        const auto violations = products::IagaChecker::checkFile(f);
        if (violations.empty()) {
            std::printf("%s: ok\n", f.c_str());
            continue;
        }
        for (const auto& v : violations) {
            if (v.line == 0) std::printf("%s: %s\n", f.c_str(), v.message.c_str());
            else std::printf("%s: line %zu: %s\n", f.c_str(), v.line, v.message.c_str());
        }
        if (status == kOk) status = kBadData;
    }
    return status;
}

}  // namespace

int iagaCommand(int argc, char** argv) {
    bool checking = false;
    std::string config;
    std::string interval;
    products::IagaConversion::Request request;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--check") {
            checking = true;
        } else if (a == "--config" && i + 1 < argc) {
            config = argv[++i];
        } else if (a == "--interval" && i + 1 < argc) {
            interval = argv[++i];
            if (interval != "second" && interval != "minute") return usage();
        } else if (a == "--out" && i + 1 < argc) {
            request.outDir = argv[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            return usage();
        } else {
            request.inputs.push_back(a);
        }
    }
    if (request.inputs.empty()) return usage();
    if (checking) {
        if (!config.empty() || !interval.empty()) return usage();
        return check(request.inputs);
    }
    request.seconds = interval != "minute";
    request.minutes = interval != "second";
    if (!config.empty()) {
        if (!recording::pathExists(config)) {
            std::fprintf(stderr, "zuva-file: %s: not found\n", config.c_str());
            return kFileError;
        }
        std::vector<std::string> problems;
        request.station = settings::StationSettings::read(settings::SettingsFile(config), problems);
        for (const std::string& p : problems) std::fprintf(stderr, "zuva-file: %s: %s\n", config.c_str(), p.c_str());
    }
    StderrLog log;
    try {
        const auto result = products::IagaConversion(log).run(request);
        for (const std::string& w : result.warnings) std::fprintf(stderr, "zuva-file: %s\n", w.c_str());
        for (const std::string& name : result.written) std::printf("%s\n", name.c_str());
        return kOk;
    } catch (const products::IagaConversionError& e) {
        std::fprintf(stderr, "zuva-file: %s\n", e.what());
        return e.kind() == products::IagaConversionError::Kind::Unreadable ? kFileError : kBadData;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zuva-file: %s\n", e.what());
        return kBadData;
    }
}

}  // namespace zuva::tools
