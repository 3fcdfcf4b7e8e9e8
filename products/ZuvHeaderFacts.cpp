#include "products/ZuvHeaderFacts.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string_view>

#include "recording/UtcCalendar.h"

namespace zuva::products {

namespace {

constexpr std::size_t kMaxHeader = 64 * 1024;

// The text between "<tag>" and the next "</" on the line, trimmed.
std::optional<std::string> element(std::string_view line, std::string_view tag) {
    const std::string open = "<" + std::string(tag) + ">";
    std::size_t at = line.find_first_not_of(" \t");
    if (at == std::string_view::npos || line.substr(at, open.size()) != open) return std::nullopt;
    std::string_view value = line.substr(at + open.size());
    value = value.substr(0, value.find("</"));
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    return std::string(value);
}

int integer(const std::optional<std::string>& text) {
    int v = 0;
    if (!text || text->empty()) return 0;
    const auto r = std::from_chars(text->data(), text->data() + text->size(), v);
    return r.ec == std::errc{} && r.ptr == text->data() + text->size() ? v : 0;
}

}  // namespace

std::optional<ZuvHeaderFacts> ZuvHeaderFacts::read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open: " + std::string(std::strerror(errno)));
    std::string head(kMaxHeader, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throw std::runtime_error("cannot read: " + std::string(std::strerror(errno)));

    ZuvHeaderFacts facts;
    std::string_view text = head;
    bool ended = false;
    while (!text.empty() && !ended) {
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end);
        if (!text.empty() && text.front() == '\r') text.remove_prefix(1);
        if (!text.empty() && text.front() == '\n') text.remove_prefix(1);
        if (auto v = element(line, "year")) facts.year = integer(v);
        if (auto v = element(line, "month")) facts.month = integer(v);
        if (auto v = element(line, "day")) facts.day = integer(v);
        if (auto v = element(line, "longitude")) facts.position.longitude = *v;
        if (auto v = element(line, "lattitude")) facts.position.latitude = *v;
        if (auto v = element(line, "altitude")) facts.position.altitude = *v;
        std::string upper(line.substr(line.size() >= 14 ? line.size() - 14 : 0));
        std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        ended = upper == "</ZUVA_HEADER>";
    }
    if (!ended || !recording::UtcCalendar::validDate(facts.year, facts.month, facts.day)) return std::nullopt;
    return facts;
}

}  // namespace zuva::products
