#include "network/JsonValue.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zuva::network {

class JsonParser {
public:
    explicit JsonParser(const std::string& text) : text_(text) {}

    std::optional<JsonValue> run(std::string& problem) {
        JsonValue value;
        if (!parseValue(value, 0)) {
            problem = problem_ + " at character " + std::to_string(pos_ + 1);
            return std::nullopt;
        }
        skipSpace();
        if (pos_ != text_.size()) {
            problem = "text after the JSON value at character " + std::to_string(pos_ + 1);
            return std::nullopt;
        }
        return value;
    }

private:
    static constexpr int kMaxDepth = 32;

    bool fail(const char* what) {
        problem_ = what;
        return false;
    }
    void skipSpace() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }
    bool literal(const char* word) {
        std::size_t i = 0;
        while (word[i] != '\0') {
            if (pos_ + i >= text_.size() || text_[pos_ + i] != word[i]) return false;
            ++i;
        }
        pos_ += i;
        return true;
    }

    bool parseValue(JsonValue& out, int depth) {
        if (depth > kMaxDepth) return fail("JSON nested too deeply");
        skipSpace();
        if (pos_ >= text_.size()) return fail("JSON value missing");
        const char c = text_[pos_];
        if (c == '{') return parseObject(out, depth);
        if (c == '[') return parseArray(out, depth);
        if (c == '"') {
            out.type_ = JsonValue::Type::String;
            return parseString(out.string_);
        }
        if (literal("null")) {
            out.type_ = JsonValue::Type::Null;
            return true;
        }
        if (literal("true")) {
            out.type_ = JsonValue::Type::Boolean;
            out.boolean_ = true;
            return true;
        }
        if (literal("false")) {
            out.type_ = JsonValue::Type::Boolean;
            out.boolean_ = false;
            return true;
        }
        return parseNumber(out);
    }

    bool parseNumber(JsonValue& out) {
        const std::size_t begin = pos_;
        if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
        const std::size_t digits = pos_;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])) != 0) ++pos_;
        if (pos_ == digits) return fail("invalid JSON value");
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            const std::size_t fraction = pos_;
            while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])) != 0) ++pos_;
            if (pos_ == fraction) return fail("invalid JSON number");
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
            const std::size_t exponent = pos_;
            while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])) != 0) ++pos_;
            if (pos_ == exponent) return fail("invalid JSON number");
        }
        const std::string number = text_.substr(begin, pos_ - begin);
        out.type_ = JsonValue::Type::Number;
        out.number_ = std::strtod(number.c_str(), nullptr);
        if (!std::isfinite(out.number_)) return fail("JSON number out of range");
        return true;
    }

    static void appendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool parseString(std::string& out) {
        ++pos_;  // the opening quote
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return fail("control character in a JSON string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) break;
            const char e = text_[pos_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    if (pos_ + 4 > text_.size()) return fail("short \\u escape in a JSON string");
                    unsigned code = 0;
                    for (int i = 0; i < 4; ++i) {
                        const char h = text_[pos_++];
                        code <<= 4;
                        if (h >= '0' && h <= '9') code |= static_cast<unsigned>(h - '0');
                        else if (h >= 'a' && h <= 'f') code |= static_cast<unsigned>(h - 'a' + 10);
                        else if (h >= 'A' && h <= 'F') code |= static_cast<unsigned>(h - 'A' + 10);
                        else return fail("invalid \\u escape in a JSON string");
                    }
                    appendUtf8(out, code);
                    break;
                }
                default: return fail("invalid escape in a JSON string");
            }
        }
        return fail("unterminated JSON string");
    }

    bool parseArray(JsonValue& out, int depth) {
        out.type_ = JsonValue::Type::Array;
        ++pos_;
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == ']') {
            ++pos_;
            return true;
        }
        for (;;) {
            JsonValue item;
            if (!parseValue(item, depth + 1)) return false;
            out.array_.push_back(std::move(item));
            skipSpace();
            if (pos_ >= text_.size()) return fail("unterminated JSON array");
            const char c = text_[pos_++];
            if (c == ']') return true;
            if (c != ',') return fail("',' or ']' expected in a JSON array");
        }
    }

    bool parseObject(JsonValue& out, int depth) {
        out.type_ = JsonValue::Type::Object;
        ++pos_;
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == '}') {
            ++pos_;
            return true;
        }
        for (;;) {
            skipSpace();
            if (pos_ >= text_.size() || text_[pos_] != '"') return fail("member name expected in a JSON object");
            std::string key;
            if (!parseString(key)) return false;
            skipSpace();
            if (pos_ >= text_.size() || text_[pos_] != ':') return fail("':' expected in a JSON object");
            ++pos_;
            JsonValue item;
            if (!parseValue(item, depth + 1)) return false;
            out.object_[key] = std::move(item);
            skipSpace();
            if (pos_ >= text_.size()) return fail("unterminated JSON object");
            const char c = text_[pos_++];
            if (c == '}') return true;
            if (c != ',') return fail("',' or '}' expected in a JSON object");
        }
    }

    const std::string& text_;
    std::size_t pos_ = 0;
    std::string problem_;
};

std::optional<JsonValue> JsonValue::parse(const std::string& text, std::string& problem) {
    return JsonParser(text).run(problem);
}

const JsonValue* JsonValue::member(const std::string& key) const {
    if (type_ != Type::Object) return nullptr;
    const auto it = object_.find(key);
    return it == object_.end() ? nullptr : &it->second;
}

std::string JsonValue::quote(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
                    out += buffer;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

}  // namespace zuva::network
