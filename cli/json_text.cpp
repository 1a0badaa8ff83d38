#include "cli/json_text.h"

#include <cstdio>

#include "cli/device_text.h"
#include "settings/text.h"

namespace vyr::cli {

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    json.reserve(text.size() + 2);
    while (!text.empty()) {
        const char c = text.front();
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            // Not UTF-8: a device's Latin-1 text passed on as it is, converted as the text
            // commands convert it.
            json += Latin1ToUtf8(text.substr(0, 1));
            text.remove_prefix(1);
            continue;
        }
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\t') {
            json += "\\t";
        } else if (c == '\r') {
            json += "\\r";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            json += escaped;
        } else {
            json.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return json + '"';
}

}  // namespace vyr::cli
