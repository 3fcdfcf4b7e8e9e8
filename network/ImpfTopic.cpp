#include "network/ImpfTopic.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace zuva::network {

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> split(const std::string& topic) {
    std::vector<std::string> parts;
    std::size_t begin = 0;
    for (;;) {
        const auto slash = topic.find('/', begin);
        parts.push_back(topic.substr(begin, slash - begin));
        if (slash == std::string::npos) break;
        begin = slash + 1;
    }
    return parts;
}

bool isCode(const std::string& code) {
    return code.size() == 3 &&
           std::all_of(code.begin(), code.end(), [](unsigned char c) { return std::islower(c) != 0; });
}

}  // namespace

std::string ImpfTopic::data(const std::string& code, products::Interval interval, int level) {
    return "impf/" + lower(code) + (interval == products::Interval::Second ? "/pt1s/" : "/pt1m/") +
           std::to_string(level) + "/xyzs";
}

std::string ImpfTopic::status(const std::string& code) { return "zuva/" + lower(code) + "/status"; }

std::string ImpfTopic::log(const std::string& code) { return "zuva/" + lower(code) + "/log"; }

std::optional<ImpfTopic> ImpfTopic::parse(const std::string& topic) {
    const auto parts = split(topic);
    if (parts.size() != 5 || parts[0] != "impf" || !isCode(parts[1])) return std::nullopt;
    ImpfTopic t;
    t.code = parts[1];
    if (parts[2] == "pt1s") {
        t.interval = products::Interval::Second;
    } else if (parts[2] == "pt1m") {
        t.interval = products::Interval::Minute;
    } else {
        return std::nullopt;
    }
    if (parts[3].size() != 1 || parts[3][0] < '1' || parts[3][0] > '4') return std::nullopt;
    t.level = parts[3][0] - '0';
    if (parts[4].empty() || parts[4].size() > 4 || parts[4].find_first_not_of("xyzsfhdi") != std::string::npos)
        return std::nullopt;
    t.elements = parts[4];
    return t;
}

std::string ImpfTopic::statusCode(const std::string& topic) {
    const auto parts = split(topic);
    if (parts.size() != 3 || parts[0] != "zuva" || parts[2] != "status" || !isCode(parts[1])) return {};
    return parts[1];
}

}  // namespace zuva::network
