#include "bwf_metadata.h"

#include <algorithm>

#include "settings/text.h"

namespace vyr {
namespace {

// The white space a stored value loses at its end.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::string Bounded(std::string_view text, std::size_t width) {
    return std::string(text.substr(0, std::min(text.find('\0'), width)));
}

BwfMetadata ReadBwfMetadata(const SettingStore& store, int preset) {
    BwfMetadata record;
    for (int piece = 0; piece < kDescriptionPieces; ++piece) {
        const std::string_view text = store.Text(param::rec_meta_description0 + piece, preset);
        record.description += Bounded(text, kDescriptionWidth - record.description.size());
    }
    record.originator = Bounded(store.Text(param::rec_meta_originator, preset), kOriginatorWidth);
    record.countryCode = Bounded(store.Text(param::rec_meta_cc, preset), kCountryCodeWidth);
    record.organisationCode =
        Bounded(store.Text(param::rec_meta_ooo, preset), kOrganisationCodeWidth);
    return record;
}

std::string SerialNumberPart(const std::optional<std::string>& answer) {
    if (!answer)
        return std::string(kNoSerial);
    return Bounded(TrimTrailingBlanks(*answer), kSerialNumberWidth);
}

std::optional<DescriptionPieces> SplitDescription(std::string_view description) {
    const std::string_view text = TrimTrailingBlanks(
        description.substr(0, std::min(description.find('\0'), kDescriptionWidth)));
    DescriptionPieces pieces;
    std::size_t at = 0;
    for (std::string& piece : pieces) {
        const std::size_t rest = text.size() - at;
        std::size_t length = rest;
        if (rest > kMaxValueLength) {
            // The farthest cut between two characters that are not white space: taking the
            // most each time leaves the most room for the pieces after it.
            length = kMaxValueLength;
            while (length > 0 && (IsBlank(text[at + length - 1]) || IsBlank(text[at + length])))
                --length;
            if (length == 0)
                return std::nullopt;
        }
        piece = text.substr(at, length);
        at += length;
    }
    if (at < text.size())
        return std::nullopt;
    return pieces;
}

bool StoreBwfMetadata(SettingStore& store, int preset, const BwfMetadata& record) {
    const auto pieces = SplitDescription(record.description);
    if (!pieces || !SettingCatalogue::IsValidPreset(preset))
        return false;
    for (int piece = 0; piece < kDescriptionPieces; ++piece)
        store.StoreSetting(param::rec_meta_description0 + piece, preset, (*pieces)[piece]);
    store.StoreSetting(param::rec_meta_originator, preset,
                       Bounded(record.originator, kOriginatorWidth));
    store.StoreSetting(param::rec_meta_cc, preset, Bounded(record.countryCode, kCountryCodeWidth));
    store.StoreSetting(param::rec_meta_ooo, preset,
                       Bounded(record.organisationCode, kOrganisationCodeWidth));
    return true;
}

}  // namespace vyr
