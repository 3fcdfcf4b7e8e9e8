// Hostile settings files: the input is an ini file. Every section and key name it
// holds is looked up, in memory and through the file on disk; the program's six
// Config keys are read with their readers, written back with their writers and read
// again; and the writes the input asks for in comment lines of the form
// ";;write <section>|<key>|<value>" are made, after which the written key must read
// back as written and every other key as before.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "settings/GainSetting.h"
#include "settings/IniFile.h"
#include "settings/IniText.h"
#include "settings/IniWriteError.h"
#include "settings/SamplingRateSetting.h"
#include "settings/SensitivitySetting.h"
#include "settings/SettingsFile.h"
#include "settings/StartSetting.h"
#include "settings/WindowPlacement.h"

namespace {

using zuva::fuzz::check;
namespace st = zuva::settings;

constexpr std::string_view kDefault = "\x01no such key\x01";
constexpr std::size_t kMaxPairs = 64;
constexpr std::size_t kMaxWrites = 4;

struct Name {
    std::string section;
    std::string key;
};

struct Write {
    std::string section;
    std::string key;
    std::string value;
};

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto low = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
               return low(x) == low(y);
           });
}

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) nl = text.size();
        std::string_view line = text.substr(pos, nl - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        out.push_back(line);
        pos = nl + 1;
    }
    return out;
}

// Candidate names to look up: whatever looks like a header or a key, plus the
// program's own keys. These are only questions; the answers come from IniText.
std::vector<Name> candidateNames(std::string_view text, std::vector<Write>& writes) {
    std::vector<Name> names;
    for (const char* key : {"ComPort", "Gain", "sensitivity", "SamplingRate", "Start", "OutputDirectory"}) {
        names.push_back({"Config", key});
    }
    for (const char* key : {"Left", "Top", "Width", "Height", "Maximized"}) names.push_back({"TForm1", key});
    std::string section;
    for (std::string_view line : lines(text)) {
        if (line.rfind(";;write ", 0) == 0) {
            std::string_view rest = line.substr(8);
            const std::size_t a = rest.find('|');
            const std::size_t b = a == std::string_view::npos ? a : rest.find('|', a + 1);
            if (b != std::string_view::npos && writes.size() < kMaxWrites) {
                writes.push_back({std::string(rest.substr(0, a)), std::string(rest.substr(a + 1, b - a - 1)),
                                  std::string(rest.substr(b + 1))});
            }
            continue;
        }
        const std::string_view t = trimBlanks(line);
        if (!t.empty() && t.front() == '[' && t.find(']') != std::string_view::npos) {
            section = std::string(trimBlanks(t.substr(1, t.find(']') - 1)));
            continue;
        }
        const std::size_t eq = t.find('=');
        if (eq != std::string_view::npos && names.size() < kMaxPairs) {
            names.push_back({section, std::string(trimBlanks(t.substr(0, eq)))});
        }
    }
    return names;
}

std::vector<std::optional<std::string>> lookUp(std::string_view text, const std::vector<Name>& names) {
    std::vector<std::optional<std::string>> values;
    for (const Name& n : names) {
        const auto v = st::IniText::find(text, n.section, n.key);
        if (v) check(v->data() >= text.data() && v->data() + v->size() <= text.data() + text.size(), "value in text");
        values.push_back(v ? std::optional<std::string>(*v) : std::nullopt);
    }
    return values;
}

void writeFile(const std::string& path, std::string_view text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    check(f != nullptr, "scratch file can be written");
    check(std::fwrite(text.data(), 1, text.size(), f) == text.size(), "scratch file written whole");
    check(std::fclose(f) == 0, "scratch file closed");
}

std::string formatted(double v) { return st::SensitivitySetting::write(v, '.'); }

// The program's settings as start-up reads them, written as shut-down writes them,
// and read again: each must come back as it was taken.
void settingsRoundTrip(const std::string& path) {
    st::SettingsFile file(path);
    const auto gain = st::GainSetting::read(file.readConfig(st::GainSetting::kKey, st::GainSetting::kDefault));
    const int rate = st::SamplingRateSetting::read(
        file.readConfig(st::SamplingRateSetting::kKey, st::SamplingRateSetting::kDefault));
    const auto sensitivity = st::SensitivitySetting::read(
        file.readConfig(st::SensitivitySetting::kKey, st::SensitivitySetting::kDefault));
    const bool start = st::StartSetting::read(file.readConfig(st::StartSetting::kKey, st::StartSetting::kDefault));
    const auto placement = st::WindowPlacement::load(file, "TForm1");
    const std::string port = file.readConfig("ComPort", "COM99");
    const std::string directory = file.readConfig("OutputDirectory", "");
    check(gain.index >= 0 && gain.index < st::GainSetting::kGainCount, "gain index 0..3");
    check(rate >= 0 && rate < st::SamplingRateSetting::kRateCount, "rate index 0..8");
    check(std::isfinite(sensitivity.value), "sensitivity is finite");
    check(port.size() <= st::IniFile::kMaxValueLength && directory.size() <= st::IniFile::kMaxValueLength,
          "values cut to 2047 bytes");

    try {
        file.writeConfig(st::SensitivitySetting::kKey, st::SensitivitySetting::write(sensitivity.value, ','));
        file.writeConfig(st::SamplingRateSetting::kKey, st::SamplingRateSetting::write(rate));
        // The port and directory are written back only once the program has found
        // them usable; a text with a line break in it never is.
        if (!st::IniText::invalidWrite("Config", "ComPort", directory)) file.writeConfig("OutputDirectory", directory);
        if (!st::IniText::invalidWrite("Config", "ComPort", port)) file.writeConfig("ComPort", port);
        file.writeConfig(st::GainSetting::kKey, st::GainSetting::write(gain.index));
        file.writeConfig(st::StartSetting::kKey, st::StartSetting::write(start));
        if (placement) placement->save(file, "TForm1");
    } catch (const st::IniWriteError&) {
        // A value read back from the file always holds no line break, and the names
        // are the program's own: every one of these writes can be stored.
        check(false, "the settings read can be written back");
    }

    check(st::GainSetting::read(file.readConfig(st::GainSetting::kKey, "x")).index == gain.index, "gain round trip");
    check(st::SamplingRateSetting::read(file.readConfig(st::SamplingRateSetting::kKey, "x")) == rate,
          "rate round trip");
    const auto again = st::SensitivitySetting::read(file.readConfig(st::SensitivitySetting::kKey, "x"));
    check(formatted(again.value) == formatted(sensitivity.value), "sensitivity round trip");
    check(st::StartSetting::read(file.readConfig(st::StartSetting::kKey, "x")) == start, "start round trip");
    check(st::WindowPlacement::load(file, "TForm1") == placement, "window placement round trip");
    if (!st::IniText::invalidWrite("Config", "ComPort", port)) {
        check(file.readConfig("ComPort", "x") == port, "port round trip");
    }
    if (!st::IniText::invalidWrite("Config", "ComPort", directory)) {
        check(file.readConfig("OutputDirectory", "x") == directory, "directory round trip");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = std::string(zuva::fuzz::scratchDirectory()) + "/zuva.ini";
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::vector<Write> writes;
    const std::vector<Name> names = candidateNames(text, writes);
    const auto before = lookUp(text, names);

    // The file on disk answers as the text does, cut to 2047 bytes.
    writeFile(path, text);
    {
        const st::IniFile ini(path);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string got = ini.readString(names[i].section, names[i].key, kDefault);
            const std::string want = before[i] ? before[i]->substr(0, st::IniFile::kMaxValueLength) : std::string(kDefault);
            check(got == want, "file read agrees with the text");
        }
    }

    std::string current(text);
    for (const Write& w : writes) {
        if (st::IniText::invalidWrite(w.section, w.key, w.value)) {
            st::IniFile ini(path);
            bool refused = false;
            try {
                ini.writeString(w.section, w.key, w.value);
            } catch (const st::IniWriteError&) {
                refused = true;
            }
            check(refused, "a write that cannot be stored is refused");
            continue;
        }
        const auto old = lookUp(current, names);
        const std::string next = st::IniText::withValue(current, w.section, w.key, w.value);
        const auto written = st::IniText::find(next, w.section, w.key);
        check(written && *written == trimBlanks(w.value), "the written key reads back as written");
        const auto now = lookUp(next, names);
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (sameName(names[i].section, w.section) && sameName(names[i].key, w.key)) continue;
            if (now[i] != old[i]) {
                std::fprintf(stderr, "write [%s] %s=%s changed [%s] %s from \"%s\" to \"%s\"\n", w.section.c_str(),
                             w.key.c_str(), w.value.c_str(), names[i].section.c_str(), names[i].key.c_str(),
                             old[i] ? old[i]->c_str() : "(none)", now[i] ? now[i]->c_str() : "(none)");
            }
            check(now[i] == old[i], "a write leaves every other key as it was");
        }
        current = next;
    }

    writeFile(path, current);
    settingsRoundTrip(path);
    std::remove(path.c_str());
    return 0;
}
