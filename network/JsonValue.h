#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zuva::network {

// A parsed JSON value: what the collector reads from data and status messages.
// parse() takes untrusted text: it refuses anything that is not one complete JSON
// value, nests deeper than 32 levels, and says where it stopped.
class JsonValue {
public:
    enum class Type { Null, Boolean, Number, String, Array, Object };

    static std::optional<JsonValue> parse(const std::string& text, std::string& problem);

    Type type() const { return type_; }
    bool isNull() const { return type_ == Type::Null; }
    bool isNumber() const { return type_ == Type::Number; }
    bool isString() const { return type_ == Type::String; }
    bool isArray() const { return type_ == Type::Array; }
    bool isObject() const { return type_ == Type::Object; }
    double number() const { return number_; }
    bool boolean() const { return boolean_; }
    const std::string& string() const { return string_; }
    const std::vector<JsonValue>& array() const { return array_; }
    const std::map<std::string, JsonValue>& object() const { return object_; }
    // The member `key` of an object; null when absent or when this is no object.
    const JsonValue* member(const std::string& key) const;

    // Text of a JSON string literal for `text`, quotes included.
    static std::string quote(const std::string& text);

private:
    friend class JsonParser;
    Type type_ = Type::Null;
    double number_ = 0.0;
    bool boolean_ = false;
    std::string string_;
    std::vector<JsonValue> array_;
    std::map<std::string, JsonValue> object_;
};

}  // namespace zuva::network
