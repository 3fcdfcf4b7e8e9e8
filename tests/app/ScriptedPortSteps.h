#pragma once

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/PortSteps.h"
#include "fakes/CallJournal.h"
#include "recording/LogSink.h"

namespace zuva::app::testing {

// Port detection over a list of port names the test sets, logging what the port
// selection logs; opening and closing are noted in the journal.
class ScriptedPortSteps final : public PortSteps {
public:
    ScriptedPortSteps(recording::LogSink& log, fakes::CallJournal& journal) : log_(log), journal_(journal) {}

    void DetectComPort(const std::string& stored, const std::function<void()>& afterLookup,
                       const std::function<void()>& applyGain) override {
        selected = stored;
        configured = stored;
        if (!present(stored)) {
            log_.addlogfile("Error: ComPort not available!");
            selected = acquisition::kNoPort;
        } else {
            log_.addlogfile("ComPort detected: " + stored);
        }
        if (afterLookup) afterLookup();
        if (selected != acquisition::kNoPort) {
            OpenPort();
            if (applyGain) applyGain();
        }
    }
    void CheckComPort() override {
        if (listFails) throw std::runtime_error("Registry error (system error code: 2)");
        if (!present(selected)) {
            log_.addlogfile("Error:  Comport!");
            selected = acquisition::kNoPort;
        }
    }
    std::string SelectedPort() const override { return selected; }
    std::string ConfiguredPort() const override { return configured.empty() ? selected : configured; }
    bool PortPresent(const std::string& name) override {
        if (listFails) throw std::runtime_error("Registry error (system error code: 2)");
        return present(name);
    }
    void OpenPort() override {
        if (open) return;
        if (openFails > 0) {
            --openFails;
            throw std::runtime_error("Unable to open com port (system error code: 16)");
        }
        open = true;
        journal_.add("open");
    }
    void ClosePort() override {
        if (!open) return;
        open = false;
        journal_.add("close");
    }

    std::vector<std::string> ports;
    std::string selected;
    std::string configured;
    bool open = false;
    bool listFails = false;
    int openFails = 0;  // the next OpenPort calls that fail (device busy)

private:
    bool present(const std::string& name) const { return std::find(ports.begin(), ports.end(), name) != ports.end(); }

    recording::LogSink& log_;
    fakes::CallJournal& journal_;
};

}  // namespace zuva::app::testing
