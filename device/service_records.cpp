#include "device/service_records.h"

#include <cstdio>

#include "link/frame.h"
#include "settings/text.h"

namespace vyr {

namespace {

using serial_link::LinkHold;

// A text that will be one line on the device: no control character but the tab.
bool IsOneLine(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t') || byte == 0x7F)
            return false;
    }
    return true;
}

RecordStatus CheckLine(std::string_view text, std::size_t maxBytes) {
    if (text.empty())
        return RecordStatus::Empty;
    if (text.size() > maxBytes)
        return RecordStatus::TooLong;
    if (!IsOneLine(text))
        return RecordStatus::LineBreak;
    return RecordStatus::Done;
}

RecordLines ReadLines(DeviceConnection& connection, std::string_view path) {
    RecordLines result;
    LinkHold hold(connection.link);
    serial_link::Answer ending = serial_link::Answer::Silent;
    serial_link::ReadRemoteLines(
        hold, path, [&](std::string_view line) { result.lines.emplace_back(line); }, &ending);
    // Any closing frame, a refusal included (no such file), is the device's whole answer.
    result.complete = ending != serial_link::Answer::Silent;
    return result;
}

}  // namespace

std::string RecordStatusText(RecordStatus status, std::string_view what) {
    std::string text(what);
    switch (status) {
        case RecordStatus::Done:
            text += " was written";
            break;
        case RecordStatus::Empty:
            text += " is empty";
            break;
        case RecordStatus::TooLong:
            text += " is too long for the device";
            break;
        case RecordStatus::LineBreak:
            text += " holds a line break or another control character";
            break;
        case RecordStatus::NotAnswered:
            text += " was not stored: the device refused it or did not answer";
            break;
    }
    return text;
}

RecordStatus CheckSerialNumber(std::string_view number) {
    return CheckLine(TrimTrailingBlanks(number), kMaxSerialNumberBytes);
}

RecordStatus CheckNote(std::string_view note) {
    return CheckLine(note, kMaxNoteBytes);
}

serial_link::RemoteRead FetchSerialNumber(DeviceConnection& connection) {
    LinkHold hold(connection.link);
    serial_link::RemoteRead read =
        serial_link::FetchRemoteFile(hold, kSerialNumberPath, serial_link::Match::Loose);
    read.text = std::string(TrimTrailingBlanks(read.text));
    return read;
}

std::optional<std::string> ReadSerialNumber(DeviceConnection& connection) {
    serial_link::RemoteRead read = FetchSerialNumber(connection);
    if (read.answer != serial_link::Answer::Data)
        return std::nullopt;
    return std::move(read.text);
}

std::optional<std::string> ReadSerialNumberOnce(DeviceConnection& connection) {
    LinkHold hold(connection.link);
    const auto text =
        serial_link::ReadRemoteFile(hold, kSerialNumberPath, serial_link::Match::Strict, 1);
    if (!text)
        return std::nullopt;
    return std::string(TrimTrailingBlanks(*text));
}

RecordWrite WriteSerialNumber(DeviceConnection& connection, std::string_view number) {
    RecordWrite result{CheckSerialNumber(number), std::string(TrimTrailingBlanks(number))};
    if (result.status != RecordStatus::Done)
        return result;
    LinkHold hold(connection.link);
    if (!serial_link::WriteRemoteFile(hold, kSerialNumberPath, result.text + "\n",
                                      serial_link::Match::Loose)) {
        result.status = RecordStatus::NotAnswered;
    }
    return result;
}

std::string ServiceNoteLine(const DateTime& when, std::string_view note) {
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%04d/%02d/%02d-%02d:%02d| ", when.year, when.month,
                  when.day, when.hour, when.minute);
    return prefix + std::string(note) + "\n";
}

RecordWrite AppendServiceNote(DeviceConnection& connection, std::string_view note,
                              const DateTime& when) {
    RecordWrite result{CheckNote(note), ServiceNoteLine(when, note)};
    // A year beyond four digits lengthens the prefix; the line must still fit the payload.
    if (result.status == RecordStatus::Done && result.text.size() >= serial_link::kPayloadSize)
        result.status = RecordStatus::TooLong;
    if (result.status != RecordStatus::Done)
        return result;
    LinkHold hold(connection.link);
    if (!serial_link::AppendRemoteLine(hold, kServiceNotesPath, result.text))
        result.status = RecordStatus::NotAnswered;
    return result;
}

RecordLines ReadServiceNotes(DeviceConnection& connection) {
    return ReadLines(connection, kServiceNotesPath);
}

RecordLines ReadTestResults(DeviceConnection& connection) {
    return ReadLines(connection, kTestResultsPath);
}

}  // namespace vyr
