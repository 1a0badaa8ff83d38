// The broadcast-wave metadata of a preset: description, originator and the parts of the
// originator reference, as the metadata dialog edits them, and their way between the record
// and the store's eight rec_meta_ parameters.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "settings/store.h"

namespace vyr {

namespace param {
inline constexpr int rec_meta_description0 = 43;  // .. rec_meta_description4 = 47
inline constexpr int rec_meta_originator = 48;
inline constexpr int rec_meta_cc = 49;
inline constexpr int rec_meta_ooo = 50;
}  // namespace param

inline constexpr int kDescriptionPieces = 5;

// Widths of the record's texts in bytes (8-bit device texts, one byte a character).
inline constexpr std::size_t kDescriptionWidth = 256;
inline constexpr std::size_t kOriginatorWidth = 32;
inline constexpr std::size_t kCountryCodeWidth = 2;
inline constexpr std::size_t kOrganisationCodeWidth = 3;
inline constexpr std::size_t kSerialNumberWidth = 8;

inline constexpr std::string_view kNoSerial = "noserial";

// Every text holds at most its width; the setters below and the conversions keep it so.
struct BwfMetadata {
    std::string description;
    std::string originator;
    std::string countryCode;
    std::string organisationCode;
    std::string serialNumber;  // the device's, or "noserial"
};

// The text up to its first NUL, at most `width` bytes of it.
std::string Bounded(std::string_view text, std::size_t width);

// The record of `preset`: the five description pieces joined (at most 256 bytes), the
// originator and the two codes, each cut to its width. The serial number stays empty.
BwfMetadata ReadBwfMetadata(const SettingStore& store, int preset);

// The serial number part from the device's answer: its text without trailing white space,
// at most 8 bytes; "noserial" when the device did not answer.
std::string SerialNumberPart(const std::optional<std::string>& answer);

using DescriptionPieces = std::array<std::string, kDescriptionPieces>;

// Cuts a description into the five stored pieces of at most 59 bytes. A piece read back is
// trimmed at its end, so every cut lies between two characters that are not white space:
// joining the pieces again gives the description back. White space at the description's end
// is left out (a stored value never keeps it). Nothing when no such cuts exist, e.g. for a
// long run of spaces or line feeds, or of one-letter words.
std::optional<DescriptionPieces> SplitDescription(std::string_view description);

// Stores the record into `preset`: the description in pieces, then the originator and the two
// codes, each cut to its width. False, and nothing stored, when the description cannot be
// split.
bool StoreBwfMetadata(SettingStore& store, int preset, const BwfMetadata& record);

}  // namespace vyr
