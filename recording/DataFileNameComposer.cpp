#include "recording/DataFileNameComposer.h"

namespace zuva::recording {

std::string DataFileNameComposer::compose(const std::string& outputDirectory, const std::string& fileDate,
                                          const std::string& fileTime) {
    std::string name = outputDirectory;
    if (!name.empty() && name.back() != '/') name += '/';
    name += fileDate;
    name += fileTime;
    name += ".zuv";
    return name;
}

std::string DataFileNameComposer::alternative(const std::string& name, unsigned n) {
    if (n == 0) return name;
    const std::string suffix = "-" + std::to_string(n);
    const std::string ext = ".zuv";
    if (name.size() >= ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0) {
        return name.substr(0, name.size() - ext.size()) + suffix + ext;
    }
    return name + suffix;
}

}  // namespace zuva::recording
