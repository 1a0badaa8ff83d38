// Port names on Windows: COM names, described by the device manager's friendly names.
// clang-format off
#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include "link/port_names.h"
#include "text_win32.h"

namespace serial_link {

std::string StableNamesDirectory() {
    return {};  // a COM number already follows its device
}

PortDescriptions FindPortDescriptions() {
    PortDescriptions descriptions;
    const HDEVINFO devices = ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr,
                                                    DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return descriptions;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        // The port name lives in the device's own registry key.
        std::wstring port;
        const HKEY key =
            ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key != INVALID_HANDLE_VALUE) {
            wchar_t name[64] = {};
            DWORD bytes = sizeof(name) - sizeof(wchar_t);
            DWORD type = 0;
            if (::RegQueryValueExW(key, L"PortName", nullptr, &type,
                                   reinterpret_cast<BYTE*>(name), &bytes) == ERROR_SUCCESS &&
                type == REG_SZ) {
                name[bytes / sizeof(wchar_t)] = L'\0';
                port = name;
            }
            ::RegCloseKey(key);
        }
        wchar_t friendly[256] = {};
        if (port.empty() ||
            !::SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, nullptr,
                                                 reinterpret_cast<BYTE*>(friendly),
                                                 sizeof(friendly) - sizeof(wchar_t), nullptr)) {
            continue;
        }
        descriptions.emplace(DevicePath(Utf8FromWide(port)), Utf8FromWide(friendly));
    }
    ::SetupDiDestroyDeviceInfoList(devices);
    return descriptions;
}

}  // namespace serial_link
