// Writing JSON from the Wine test helpers. Texts are Windows ANSI bytes; they are written as they are
// (only quote, backslash and control bytes escaped), so the reader decodes the output as Latin-1 and
// gets every byte back as one character.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace testhelp {

inline std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

// Builds one JSON object field by field; keeps the helpers free of a JSON library.
class JsonObject {
public:
    JsonObject& Raw(std::string_view key, std::string_view json) {
        if (!body_.empty()) {
            body_ += ',';
        }
        body_ += JsonString(key);
        body_ += ':';
        body_ += json;
        return *this;
    }
    JsonObject& Str(std::string_view key, std::string_view value) { return Raw(key, JsonString(value)); }
    JsonObject& Int(std::string_view key, long long value) { return Raw(key, std::to_string(value)); }
    JsonObject& Bool(std::string_view key, bool value) { return Raw(key, value ? "true" : "false"); }
    [[nodiscard]] std::string Text() const { return "{" + body_ + "}"; }

private:
    std::string body_;
};

inline std::string JsonArray(const std::string* items, std::size_t count) {
    std::string out = "[";
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) {
            out += ',';
        }
        out += items[i];
    }
    out += ']';
    return out;
}

}  // namespace testhelp
