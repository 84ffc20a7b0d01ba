// A SYSTEM hive file of our own making on Wine, for the tests of offline hives.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "model/OfflineHive.h"
#include "tests/support/TestData.h"
#include "tests/support/WineScratch.h"

namespace qx::test::wine {

inline bool PutUserValue(const std::wstring& path, const wchar_t* name, DWORD type, const std::vector<uint8_t>& data) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
        return false;
    LONG error = RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return error == ERROR_SUCCESS;
}

// "<temp>\qxhive<n>\Windows\System32\config\SYSTEM", saved from a tree below HKCU:
// Select\Current = 1; ControlSet001 with one class (lower filter "QxOffNoFile", a driver
// without its file), two of its devices and one device of no class, and the drivers
// QxOffPresent (with its file) and QxOffNoFile. The second device's upper list also
// names `machineOnly`, a service of the running machine only.
class ScratchHive {
public:
    explicit ScratchHive(const std::wstring& machineOnly) : m_guid(RandomGuid()) {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, temp);
        m_top = std::wstring(temp) + L"qxhive" + std::to_wstring(GetCurrentProcessId());
        m_windows = m_top + L"\\Windows";
        for (const std::wstring& folder : {m_top, m_windows, m_windows + L"\\System32", m_windows + L"\\System32\\config",
                                           m_windows + L"\\System32\\drivers"})
            CreateDirectoryW(folder.c_str(), nullptr);
        m_path = m_windows + L"\\System32\\config\\SYSTEM";
        HANDLE file = CreateFileW((m_windows + L"\\System32\\drivers\\QxOffPresent.sys").c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);

        using qx::test::DwordBytes;
        using qx::test::MultiSzBytes;
        using qx::test::Utf16Bytes;
        const std::wstring source = L"Software\\QuillexHiveSource" + std::to_wstring(GetCurrentProcessId());
        const std::wstring set = source + L"\\ControlSet001", guid = UpperGuidText(m_guid);
        const std::wstring classKey = set + L"\\Control\\Class\\" + guid, device = set + L"\\Enum\\Root\\QXOFFLINE\\";
        struct Value {
            std::wstring path;
            const wchar_t* name;
            DWORD type;
            std::vector<uint8_t> data;
        };
        const Value values[] = {
            {source + L"\\Select", L"Current", REG_DWORD, DwordBytes(1)},
            {classKey, L"", REG_SZ, Utf16Bytes(L"Offline Scratch Class")},
            {classKey, L"LowerFilters", REG_MULTI_SZ, MultiSzBytes({L"QxOffNoFile"})},
            {device + L"0000", L"ClassGUID", REG_SZ, Utf16Bytes(guid)},
            {device + L"0000", L"DeviceDesc", REG_SZ, Utf16Bytes(L"First offline device")},
            {device + L"0000", L"Driver", REG_SZ, Utf16Bytes(guid + L"\\0000")},
            {classKey + L"\\0000", L"DriverDesc", REG_SZ, Utf16Bytes(L"Offline driver")},
            {device + L"0001", L"ClassGUID", REG_SZ, Utf16Bytes(guid)},
            {device + L"0001", L"UpperFilters", REG_MULTI_SZ, MultiSzBytes({L"QxOffPresent", machineOnly})},
            {set + L"\\Enum\\Root\\NOCLASS\\0000", L"DeviceDesc", REG_SZ, Utf16Bytes(L"x")},
            {set + L"\\Services\\QxOffPresent", L"Type", REG_DWORD, DwordBytes(1)},
            {set + L"\\Services\\QxOffNoFile", L"Type", REG_DWORD, DwordBytes(1)},
        };
        bool ok = true;
        for (const Value& value : values) ok = ok && PutUserValue(value.path, value.name, value.type, value.data);
        long ignored = 0;
        HKEY key = nullptr;
        if (ok && qx::Win32HiveLoader().EnablePrivilege(L"SeBackupPrivilege", &ignored) &&
            RegOpenKeyExW(HKEY_CURRENT_USER, source.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
            m_saved = RegSaveKeyW(key, m_path.c_str(), nullptr) == ERROR_SUCCESS;
            RegCloseKey(key);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, source.c_str());
    }
    ~ScratchHive() {
        DeleteFileW(m_path.c_str());
        DeleteFileW((m_windows + L"\\System32\\drivers\\QxOffPresent.sys").c_str());
        DeleteFileW((m_top + L"\\ProgramData\\Quillex\\changes.jsonl").c_str());  // the installation's journal
        for (const std::wstring& folder : {m_windows + L"\\System32\\drivers", m_windows + L"\\System32\\config",
                                           m_windows + L"\\System32", m_windows, m_top + L"\\ProgramData\\Quillex",
                                           m_top + L"\\ProgramData", m_top})
            RemoveDirectoryW(folder.c_str());
    }
    bool IsValid() const { return m_saved; }
    const std::wstring& Path() const { return m_path; }
    const GUID& Guid() const { return m_guid; }

private:
    GUID m_guid;
    std::wstring m_top, m_windows, m_path;
    bool m_saved = false;
};

}  // namespace qx::test::wine
