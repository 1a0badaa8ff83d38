// The user listing: one listed line as the accounts are shown, and the whole listing (its
// shell line, then its file line by line) over a device whose bytes come from the fuzz input
// (see fuzz_port.h). Input: one byte choosing which, then the line or the chunks the device
// sends.
#include <cstdint>
#include <memory>
#include <string>

#include "device/users.h"
#include "fuzz_port.h"
#include "settings/text.h"

namespace {

// What every shown name holds to: not empty, no trailing white space, only characters of the
// device's repertoire, and never one of the device's service accounts.
void CheckShownName(const std::wstring& name, std::size_t bytes) {
    VYR_FUZZ_CHECK(!name.empty());
    VYR_FUZZ_CHECK(name.size() <= bytes);
    VYR_FUZZ_CHECK(name.back() != L' ' && name.back() != L'\t');
    for (const wchar_t c : name)
        VYR_FUZZ_CHECK(vyr::IsPermittedCharacter(static_cast<char32_t>(c)));
    VYR_FUZZ_CHECK(!vyr::IsReservedAccount(name));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    if (data[0] % 2 == 0) {
        const std::string_view line(reinterpret_cast<const char*>(data + 1), size - 1);
        if (const auto name = vyr::ListedUserName(line))
            CheckShownName(*name, line.size());
        return 0;
    }

    vyr::DeviceConnection connection;
    auto owned = std::make_unique<vyr_fuzz::FuzzPort>(data + 1, size - 1);
    vyr_fuzz::FuzzPort* port = owned.get();
    connection.link.Attach(std::move(owned));
    connection.link.SetDiagnosticSink([](std::string_view) {});

    const vyr::UserList list = vyr::ListUsers(connection);
    for (const std::wstring& name : list.names)
        CheckShownName(name, serial_link::kPayloadSize);  // a field without a NUL is whole
    // A failed listing shows nothing at all.
    VYR_FUZZ_CHECK(list.status == vyr::AccountStatus::Done || list.names.empty());
    VYR_FUZZ_CHECK(list.status != vyr::AccountStatus::Invalid);
    // Each name came in a whole frame of its own.
    VYR_FUZZ_CHECK(list.names.size() * serial_link::kFrameSize <= size);
    // The listing line, and the read of its file only once the line was confirmed.
    VYR_FUZZ_CHECK(port->Writes() == 1 || port->Writes() == 2);
    VYR_FUZZ_CHECK(list.status != vyr::AccountStatus::Done || port->Writes() == 2);
    const serial_link::CommandFrame& last = port->LastWritten();
    if (port->Writes() == 1) {
        VYR_FUZZ_CHECK(last.command == serial_link::kRunCommand);
        VYR_FUZZ_CHECK(last.Name() == "SYSTEMCALL");
    } else {
        VYR_FUZZ_CHECK(last.command == serial_link::kReadLines);
        VYR_FUZZ_CHECK(last.Name() == "/tmp/userlist");
    }
    return 0;
}
