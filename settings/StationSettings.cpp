#include "settings/StationSettings.h"

#include <algorithm>
#include <cctype>

#include "settings/StrictReal.h"

namespace zuva::settings {

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A number within [low, high]; empty text is no value and no problem.
std::optional<double> readNumber(const SettingsFile& file, const char* key, double low, double high,
                                 std::vector<std::string>& problems) {
    const std::string text = file.readString(StationSettings::kSection, key, "");
    if (text.empty()) return std::nullopt;
    const auto value = StrictReal::parse(text);
    if (!value || *value < low || *value > high) {
        problems.push_back(std::string("Station setting ") + key + "=" + text + " not taken: a number from " +
                           std::to_string(static_cast<int>(low)) + " to " + std::to_string(static_cast<int>(high)) +
                           " is needed");
        return std::nullopt;
    }
    return value;
}

}  // namespace

StationSettings StationSettings::read(const SettingsFile& file, std::vector<std::string>& problems) {
    StationSettings s;
    const std::string code = file.readString(kSection, "IagaCode", "");
    if (!code.empty()) {
        const bool letters = code.size() == 3 && std::all_of(code.begin(), code.end(), [](unsigned char c) {
                                 return std::isalpha(c) != 0;
                             });
        if (letters) {
            s.iagaCode = code;
            std::transform(s.iagaCode.begin(), s.iagaCode.end(), s.iagaCode.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        } else {
            problems.push_back("Station setting IagaCode=" + code + " not taken: three letters are needed");
        }
    }
    s.name = file.readString(kSection, "Name", "");
    s.institute = file.readString(kSection, "Institute", "");
    s.latitude = readNumber(file, "Latitude", -90, 90, problems);
    s.longitude = readNumber(file, "Longitude", 0, 360, problems);
    s.elevation = readNumber(file, "Elevation", -12000, 9000, problems);
    const std::string orientation = file.readString(kSection, "Orientation", "");
    if (!orientation.empty()) s.orientation = orientation;
    const std::string type = lower(file.readString(kSection, "DataType", ""));
    if (!type.empty()) {
        if (type == "variation" || type == "provisional" || type == "quasi-definitive" || type == "definitive") {
            s.dataType = type;
        } else {
            problems.push_back("Station setting DataType=" + type +
                               " not taken: variation, provisional, quasi-definitive or definitive is needed");
        }
    }
    s.iagaOutput = lower(file.readString(kSection, "IagaOutput", "")) == "yes";
    return s;
}

char StationSettings::dataTypeLetter() const {
    if (dataType == "provisional") return 'p';
    if (dataType == "quasi-definitive") return 'q';
    if (dataType == "definitive") return 'd';
    return 'v';
}

}  // namespace zuva::settings
