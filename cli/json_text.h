// JSON text for vyrctl --json: strings escaped and held to UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace vyr::cli {

// `text` as a JSON string, quotes included: quotes, backslashes and control characters
// escaped; a byte that does not belong to a well-formed UTF-8 sequence is taken as Latin-1
// (the device's own texts) and converted, so that the result is always valid UTF-8.
std::string JsonString(std::string_view text);

}  // namespace vyr::cli
