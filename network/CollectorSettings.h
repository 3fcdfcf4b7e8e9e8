#pragma once

#include <string>
#include <vector>

#include "network/MqttSettings.h"
#include "settings/SettingsFile.h"

namespace zuva::network {

// The collector's settings file: the broker in section "Mqtt" as a station has it
// (Host, Port, Username, Password or PasswordFile, CaFile, ClientId) and section
// "Collector" with `Share`, the name of an MQTT shared subscription group when
// several collectors split the stations' data between them (empty: none).
struct CollectorSettings {
    MqttSettings mqtt;
    std::string share;

    static constexpr const char* kSection = "Collector";

    static CollectorSettings read(const settings::SettingsFile& file, std::vector<std::string>& problems);
    // The data subscription: "impf/#", or "$share/<group>/impf/#".
    std::string dataTopic() const { return share.empty() ? "impf/#" : "$share/" + share + "/impf/#"; }
    static constexpr const char* kStatusTopic = "zuva/+/status";
};

}  // namespace zuva::network
