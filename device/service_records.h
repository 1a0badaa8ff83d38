// The device's own history: its serial number, the service notes and the production test
// results. Texts here are bytes in the computer's narrow encoding (the caller converts);
// every limit counts those bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/clock.h"
#include "device/connection.h"

namespace vyr {

inline constexpr std::string_view kSerialNumberPath = "/chroma/serialnumber";
inline constexpr std::string_view kServiceNotesPath = "/chroma/service_notes";
inline constexpr std::string_view kTestResultsPath = "/chroma/test_results";

// The payload holds 179 bytes: the number and its line feed; the dated prefix
// "YYYY/MM/DD-hh:mm| " (18 bytes), the note and its line feed.
inline constexpr std::size_t kMaxSerialNumberBytes = 178;
inline constexpr std::size_t kMaxNoteBytes = 160;

enum class RecordStatus {
    Done,
    Empty,         // nothing to write: refused before anything is sent
    TooLong,       // more bytes than the payload holds: refused before anything is sent
    LineBreak,     // a line feed or another control character would break the file's lines
    NotAnswered,   // the device refused or did not answer: the text is not on the device
};

// What a person is told, e.g. "the serial number is empty".
std::string RecordStatusText(RecordStatus status, std::string_view what);

// Whether a serial number (trailing white space removed) or a note may be written.
RecordStatus CheckSerialNumber(std::string_view number);
RecordStatus CheckNote(std::string_view note);

// The serial number with trailing white space removed (with Answer::Data), or how the device
// answered instead: it refused the read (it holds no such file) or did not answer.
serial_link::RemoteRead FetchSerialNumber(DeviceConnection& connection);
// The serial number with trailing white space removed; nothing when the device did not
// answer with it.
std::optional<std::string> ReadSerialNumber(DeviceConnection& connection);
// The same with a single strict attempt, for the metadata dialog: a device that does not
// answer at once gives nothing.
std::optional<std::string> ReadSerialNumberOnce(DeviceConnection& connection);

struct RecordWrite {
    RecordStatus status = RecordStatus::NotAnswered;
    // The serial number as written (trailing white space removed), or the dated note line
    // with its line feed.
    std::string text;
};

// Writes "<number>\n" and waits for the device's answer.
RecordWrite WriteSerialNumber(DeviceConnection& connection, std::string_view number);

// "YYYY/MM/DD-hh:mm| <note>\n"
std::string ServiceNoteLine(const DateTime& when, std::string_view note);

// Appends the note dated `when` (the computer's local time of the request).
RecordWrite AppendServiceNote(DeviceConnection& connection, std::string_view note,
                              const DateTime& when);

struct RecordLines {
    // As received, each with the line feed the device sent: shown one after the other with
    // nothing added, a last line without a line feed stays without.
    std::vector<std::string> lines;
    bool complete = false;  // the device ended the file (it did not fall silent)
};

RecordLines ReadServiceNotes(DeviceConnection& connection);
RecordLines ReadTestResults(DeviceConnection& connection);

}  // namespace vyr
