#include "network/CollectorSettings.h"

namespace zuva::network {

CollectorSettings CollectorSettings::read(const settings::SettingsFile& file, std::vector<std::string>& problems) {
    CollectorSettings s;
    s.mqtt = MqttSettings::read(file, problems);
    s.share = file.readString(kSection, "Share", "");
    if (s.share.find_first_of("/+#") != std::string::npos) {
        problems.push_back("Collector setting Share=" + s.share + " not taken: a name without '/', '+' or '#' is needed");
        s.share.clear();
    }
    return s;
}

}  // namespace zuva::network
