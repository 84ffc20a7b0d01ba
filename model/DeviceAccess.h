// The one way the model reaches the machine: the registry (all paths below
// HKEY_LOCAL_MACHINE) and the device-setup service. Win32DeviceAccess is the real
// machine; tests also use an in-memory one.
#pragma once
#include "common/UniqueKey.h"
#include "model/Types.h"

namespace qx {

// Keys below HKEY_LOCAL_MACHINE.
constexpr wchar_t kClassRootPath[] = L"System\\CurrentControlSet\\Control\\Class";
constexpr wchar_t kServicesRootPath[] = L"System\\CurrentControlSet\\Services";

class IDeviceAccess {
public:
    virtual ~IDeviceAccess() = default;

    // Registry. Each returns the registry's error code (kErrSuccess on success).
    virtual long OpenKey(const std::wstring& path, uint32_t samDesired, KeyHandle* key) = 0;
    virtual long EnumKey(KeyHandle key, uint32_t index, wchar_t* name, uint32_t cchName) = 0;
    // *cchName and *cbData give the capacities and receive the lengths read.
    virtual long EnumValue(KeyHandle key, uint32_t index, wchar_t* name, uint32_t* cchName,
                           uint32_t* type, uint8_t* data, uint32_t* cbData) = 0;
    // *cbData gives the capacity and receives the value's size (also on kErrMoreData).
    virtual long QueryValue(KeyHandle key, const wchar_t* name, uint32_t* type, uint8_t* data,
                            uint32_t* cbData) = 0;
    virtual long SetValue(KeyHandle key, const wchar_t* name, uint32_t type, const uint8_t* data,
                          uint32_t cbData) = 0;
    // An existing key opened to write with the backup and restore privileges the process
    // enabled (an offline hive's Enum keys refuse any other writer but the system account).
    virtual long OpenKeyToRestore(const std::wstring& path, uint32_t samDesired, KeyHandle* key) {
        return OpenKey(path, samDesired, key);
    }
    virtual long DeleteValue(KeyHandle key, const wchar_t* name) = 0;
    virtual long CloseKey(KeyHandle key) = 0;

    // Device setup.
    virtual bool GetClassDescription(const Guid& classGuid, wchar_t* buffer, uint32_t cchBuffer) = 0;
    virtual KeyHandle OpenClassKey(const Guid& classGuid, uint32_t samDesired) = 0;  // InvalidHandle() on failure
    // One set of the present devices of every class; InvalidHandle() on failure.
    virtual DevInfoHandle GetAllClassDevs() = 0;
    // A set that holds every present device of the class, in the order the set of all
    // classes holds them; it may hold others too (callers take the class's own). Asking
    // for one class spares the device setup the records of every other device.
    virtual DevInfoHandle GetClassDevs(const Guid& classGuid) {
        (void)classGuid;
        return GetAllClassDevs();
    }
    // A set that holds the device of that instance ID (without case) when the class's set
    // would hold it: present, and of that class. It may hold others too (callers take the
    // element of that ID). A set of the device alone spares the device setup every other
    // device of the machine, but gives no place among the class's devices.
    virtual DevInfoHandle GetOneDevice(const Guid& classGuid, const std::wstring& instanceId) {
        (void)instanceId;
        return GetClassDevs(classGuid);
    }
    virtual bool EnumDeviceInfo(DevInfoHandle set, uint32_t index, DeviceElement* element) = 0;
    // kErrSuccess, or the error the call reported (kErrInsufficientBuffer for a probe of a
    // present property, with *cbRequired set). Never a stale error from an earlier call.
    virtual long GetDeviceRegistryProperty(DevInfoHandle set, const DeviceElement& element,
                                           uint32_t property, uint32_t* type, uint8_t* buffer,
                                           uint32_t cbBuffer, uint32_t* cbRequired) = 0;
    // A null buffer with size 0 clears the property.
    virtual bool SetDeviceRegistryProperty(DevInfoHandle set, const DeviceElement& element,
                                           uint32_t property, const uint8_t* buffer,
                                           uint32_t cbBuffer) = 0;
    virtual void DestroyDeviceInfoList(DevInfoHandle set) = 0;
    // Restarts the device, so that its driver stack is built again and reads its filter
    // lists anew: the property change (DIF_PROPERTYCHANGE, DICS_PROPCHANGE) the platform's
    // device setup makes. *error is set when it fails.
    virtual RestartOutcome RestartDevice(DevInfoHandle set, const DeviceElement& element, long* error) = 0;

    // A self-relative security descriptor as SDDL text; empty when it does not convert.
    virtual std::wstring SecurityDescriptorToText(const uint8_t* descriptor, uint32_t cb) = 0;

    // Device nodes, by the element's device instance (the configuration manager).
    // The device instance ID; empty when it cannot be read.
    virtual std::wstring GetDeviceInstanceId(const DeviceElement& element) = 0;
    // The node's status flags and problem code; false when the node cannot be asked.
    virtual bool GetDeviceStatus(const DeviceElement& element, uint32_t* status,
                                 uint32_t* problem) = 0;

    // Files of the installation the registry belongs to (another one's, for an offline hive).
    // The Windows folder, without a trailing backslash.
    virtual std::wstring GetWindowsFolder() = 0;
    // True when the path names an existing file (not a folder).
    virtual bool FileExists(const std::wstring& path) = 0;
    // Text with its %variable% references expanded; unknown ones stay as they are.
    virtual std::wstring ExpandEnvironment(const std::wstring& text) = 0;
    // Where a full path of the installation lies on this machine: the path itself for
    // this machine's own files, another drive for an offline installation's.
    virtual std::wstring MapInstallationPath(const std::wstring& path) = 0;
    // String resource `id` of a file loaded as data, never as code; false when the file,
    // its string table or the string is missing.
    virtual bool LoadStringResource(const std::wstring& file, uint32_t id, std::wstring* text) = 0;
};

// Shows a message to the user; returns the button pressed (kIdOk, kIdCancel).
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual int ShowMessage(const std::wstring& text, unsigned type) = 0;
};

// The machine and the message sink the model uses; the program sets them once at
// start, tests swap them. Defaults: the real machine, and a sink that shows nothing.
IDeviceAccess& Access();
IDeviceAccess* SetAccess(IDeviceAccess* access);  // returns the previous one
IMessageSink& Messages();
IMessageSink* SetMessages(IMessageSink* sink);     // returns the previous one
IDeviceAccess& Win32Access();                      // the real machine

// 8-bit text in the system ANSI code page, up to the first zero byte or the end of the data.
std::wstring AnsiText(const uint8_t* data, size_t cb);

// The reads of one value of an open key, whatever machine answers them. A value is read
// whole up to 64 KiB; a larger one, or one that cannot be read, counts as absent.
bool ReadValueData(IDeviceAccess& access, KeyHandle key, const wchar_t* name, uint32_t* type,
                   std::vector<uint8_t>* data);
// A REG_SZ / REG_EXPAND_SZ value's text (its type in *type when given); empty when the
// value is absent or of another type.
std::wstring ReadTextValue(IDeviceAccess& access, KeyHandle key, const wchar_t* name, uint32_t* type = nullptr);
// A REG_DWORD value of exactly four bytes; false for anything else.
bool ReadDwordValue(IDeviceAccess& access, KeyHandle key, const wchar_t* name, uint32_t* value);

// Gives a key back through the machine the model uses.
struct AccessKeyClose {
    void operator()(KeyHandle key) const;
};

// An open registry key of the model, closed through the access layer on every path.
class RegKey : public UniqueKey<KeyHandle, AccessKeyClose> {
public:
    using UniqueKey::UniqueKey;
    long Open(const std::wstring& path, uint32_t sam = kKeyRead);  // the key held before is closed
};

}  // namespace qx
