#include "network/MqttSettings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>


namespace zuva::network {

namespace {

// An integer within [low, high]; empty text keeps the default without a problem.
int readInteger(const settings::SettingsFile& file, const char* key, int low, int high, int fallback,
                std::vector<std::string>& problems) {
    const std::string text = file.readString(MqttSettings::kSection, key, "");
    if (text.empty()) return fallback;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || value < low || value > high) {
        problems.push_back(std::string("Mqtt setting ") + key + "=" + text + " not taken: a whole number from " +
                           std::to_string(low) + " to " + std::to_string(high) + " is needed; using " +
                           std::to_string(fallback));
        return fallback;
    }
    return static_cast<int>(value);
}

}  // namespace

bool MqttSettings::readPasswordFile(const std::string& path, std::string& password, std::string& problem) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        problem = "Mqtt PasswordFile " + path + " cannot be read: " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        problem = "Mqtt PasswordFile " + path + " refused: not a regular file";
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        ::close(fd);
        problem = "Mqtt PasswordFile " + path + " refused: it belongs to another user";
        return false;
    }
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        ::close(fd);
        problem = "Mqtt PasswordFile " + path +
                  " refused: others may read it; make it readable by its owner alone (chmod 600)";
        return false;
    }
    std::string content;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
        if (content.size() > 4096) break;
    }
    ::close(fd);
    const auto lineEnd = content.find_first_of("\r\n");
    password = content.substr(0, lineEnd);
    if (password.empty()) {
        problem = "Mqtt PasswordFile " + path + " refused: its first line is empty";
        return false;
    }
    return true;
}

MqttSettings MqttSettings::read(const settings::SettingsFile& file, std::vector<std::string>& problems) {
    MqttSettings s;
    s.host = file.readString(kSection, "Host", "");
    s.username = file.readString(kSection, "Username", "");
    s.caFile = file.readString(kSection, "CaFile", "");
    s.clientId = file.readString(kSection, "ClientId", "");
    if (s.clientId.empty()) s.clientId = s.username;
    s.port = readInteger(file, "Port", 1, 65535, s.tls() ? 8883 : 1883, problems);
    s.level = readInteger(file, "Level", 1, 4, 1, problems);
    s.secondsPerMessage = readInteger(file, "SecondsPerMessage", 1, 60, 10, problems);
    s.queueDays = readInteger(file, "QueueDays", 1, 366, 7, problems);

    const std::string passwordFile = file.readString(kSection, "PasswordFile", "");
    if (!passwordFile.empty()) {
        std::string problem;
        if (!readPasswordFile(passwordFile, s.password, problem)) {
            if (s.enabled()) problem += "; publishing to " + s.endpoint() + " is off";
            problems.push_back(problem);
            s.host.clear();
        }
    } else {
        s.password = file.readString(kSection, "Password", "");
    }
    if (s.enabled() && !s.caFile.empty() && ::access(s.caFile.c_str(), R_OK) != 0) {
        problems.push_back("Mqtt CaFile " + s.caFile + " cannot be read: " + std::strerror(errno) +
                           "; publishing to " + s.endpoint() + " is off");
        s.host.clear();
    }
    if (s.enabled() && s.clientId.empty()) {
        problems.push_back("Mqtt setting Username (or ClientId) is empty; publishing to " + s.endpoint() +
                           " is off");
        s.host.clear();
    }
    return s;
}

}  // namespace zuva::network
