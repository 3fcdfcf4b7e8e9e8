#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/SettingsFile.h"

namespace zuva::network {

// The MQTT connection as the settings file's section "Mqtt" gives it. An empty Host
// switches publishing off. The password comes from the settings file itself or from
// a password file that only its owner may read; it never appears in a log line.
struct MqttSettings {
    std::string host;               // empty: off
    int port = 1883;                // 8883 by default with a CA file, 1883 without
    std::string username;
    std::string password;           // from Password or PasswordFile; never logged
    std::string caFile;             // TLS with verification of the broker's certificate
    std::string clientId;           // default: the username
    int level = 1;                  // publication level
    int secondsPerMessage = 10;     // 1..60 one-second values per message
    int queueDays = 7;              // days of messages the on-disk queue keeps at most

    static constexpr const char* kSection = "Mqtt";

    bool enabled() const { return !host.empty(); }
    bool tls() const { return !caFile.empty(); }
    // "host:port", for log lines.
    std::string endpoint() const { return host + ":" + std::to_string(port); }

    // Reads the section. Every value that cannot be taken keeps its default and
    // adds one message to `problems`; a refused password file leaves publishing
    // off (host cleared) with a message that says why.
    static MqttSettings read(const settings::SettingsFile& file, std::vector<std::string>& problems);

    // The password from a file that must be a regular file of this user, readable
    // by nobody else; its first line is the password. Returns false with the reason
    // in `problem` when the file is refused.
    static bool readPasswordFile(const std::string& path, std::string& password, std::string& problem);
};

}  // namespace zuva::network
