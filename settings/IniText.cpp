#include "settings/IniText.h"

#include <cstddef>

namespace zuva::settings {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
    std::size_t b = 0;
    while (b < s.size() && isBlank(s[b])) ++b;
    std::size_t e = s.size();
    while (e > b && isBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// One line of the text: its content without the line ending, and where it ends
// including the ending.
struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0;  // before "\r\n" or "\n"
    std::size_t end = 0;         // after the line ending
    bool hasBreak = false;
};

// The line that begins at pos (pos < text.size()). Lines are walked one at a time,
// never collected: a file of millions of empty lines costs no memory per line.
Line lineAt(std::string_view text, std::size_t pos) {
    Line line;
    line.begin = pos;
    const std::size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos) {
        // A CR at the very end is the start of a line ending, as the reader takes it.
        line.contentEnd = text.size() > pos && text.back() == '\r' ? text.size() - 1 : text.size();
        line.end = text.size();
    } else {
        line.contentEnd = nl > pos && text[nl - 1] == '\r' ? nl - 1 : nl;
        line.end = nl + 1;
        line.hasBreak = true;
    }
    return line;
}

std::string_view contentOf(std::string_view text, const Line& line) {
    return text.substr(line.begin, line.contentEnd - line.begin);
}

// What completes the line ending of a line before another line can follow it:
// nothing after a line break, LF after a lone CR at the end of the text (so that
// the CR stays a line ending and out of the value), else the file's line ending.
std::string_view completion(const Line& line, std::string_view eol) {
    if (line.hasBreak) return {};
    return line.contentEnd < line.end ? "\n" : eol;
}

// The section name of a header line, or nothing when the line is no header.
std::optional<std::string_view> headerName(std::string_view content) {
    const std::string_view t = trim(content);
    if (t.empty() || t.front() != '[') return std::nullopt;
    const std::size_t close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(t.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

// Key and value of a key line, or nothing for comments, headers, "[" lines without
// "]" and lines without "=".
std::optional<KeyLine> keyLine(std::string_view content) {
    const std::string_view t = trim(content);
    if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return std::nullopt;
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return KeyLine{trim(t.substr(0, eq)), trim(t.substr(eq + 1))};
}

std::string_view lineBreakOf(std::string_view text) {
    const std::size_t nl = text.find('\n');
    if (nl != std::string_view::npos && nl > 0 && text[nl - 1] == '\r') return "\r\n";
    return "\n";
}

}  // namespace

std::optional<std::string_view> IniText::find(std::string_view text, std::string_view section,
                                              std::string_view key) {
    bool inSection = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) nl = text.size();
        std::string_view content = text.substr(pos, nl - pos);
        if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
        pos = nl + 1;

        if (const auto name = headerName(content)) {
            // Only the first section of that name counts.
            if (inSection) return std::nullopt;
            inSection = sameName(*name, section);
            continue;
        }
        if (!inSection) continue;
        if (const auto kv = keyLine(content); kv && sameName(kv->key, key)) return kv->value;
    }
    return std::nullopt;
}

std::string IniText::withValue(std::string_view text, std::string_view section, std::string_view key,
                               std::string_view value) {
    const std::string_view eol = lineBreakOf(text);
    std::string newLine;
    newLine.reserve(key.size() + value.size() + 1);
    newLine.append(key).append("=").append(value);

    // Find the first section of that name; on the way remember the last line.
    std::optional<Line> header;
    Line last;
    for (std::size_t pos = 0; pos < text.size(); pos = last.end) {
        last = lineAt(text, pos);
        if (const auto name = headerName(contentOf(text, last)); name && sameName(*name, section)) {
            header = last;
            break;
        }
    }

    std::string out;
    out.reserve(text.size() + newLine.size() + section.size() + 8);
    if (!header) {
        // No such section: add it at the end, after a blank line when there is text.
        out.append(text);
        if (!text.empty()) {
            out.append(completion(last, eol));
            if (!trim(contentOf(text, last)).empty()) out.append(eol);
        }
        out.append("[").append(section).append("]").append(eol);
        out.append(newLine).append(eol);
        return out;
    }

    Line after = *header;  // the line after which a new key goes
    for (std::size_t pos = header->end; pos < text.size();) {
        const Line line = lineAt(text, pos);
        const std::string_view content = contentOf(text, line);
        if (headerName(content)) break;
        if (const auto kv = keyLine(content); kv && sameName(kv->key, key)) {
            // Replace this line, keeping its own line ending.
            out.append(text.substr(0, line.begin));
            out.append(newLine);
            out.append(text.substr(line.contentEnd));
            return out;
        }
        if (!trim(content).empty()) after = line;
        pos = line.end;
    }

    out.append(text.substr(0, after.end));
    out.append(completion(after, eol));
    out.append(newLine).append(eol);
    out.append(text.substr(after.end));
    return out;
}

std::optional<std::string> IniText::invalidWrite(std::string_view section, std::string_view key,
                                                 std::string_view value) {
    const auto hasBreak = [](std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; };
    if (hasBreak(section) || hasBreak(key) || hasBreak(value)) return "line break in section, key or value";
    if (section.empty() || trim(section) != section || section.find(']') != std::string_view::npos) {
        return "section name \"" + std::string(section) + "\" cannot be stored";
    }
    if (key.empty() || trim(key) != key || key.find('=') != std::string_view::npos || key.front() == '[' ||
        key.front() == ';' || key.front() == '#') {
        return "key name \"" + std::string(key) + "\" cannot be stored";
    }
    return std::nullopt;
}

}  // namespace zuva::settings
