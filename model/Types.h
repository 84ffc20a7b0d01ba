// Plain types and codes the model shares with the platform, spelt so that the
// model needs no platform header. The values are the platform's own.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using StringList = std::vector<std::wstring>;  // an ordered list of wide strings

namespace qx {

struct Guid {
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    uint8_t Data4[8] = {};
};
bool operator==(const Guid& a, const Guid& b);
inline bool operator!=(const Guid& a, const Guid& b) { return !(a == b); }

using KeyHandle = void*;      // an open registry key
using DevInfoHandle = void*;  // a device information set
inline void* InvalidHandle() { return reinterpret_cast<void*>(static_cast<intptr_t>(-1)); }

// One element of a device information set, as the set hands it out.
struct DeviceElement {
    Guid classGuid;
    uint32_t devInst = 0;
    uintptr_t reserved = 0;
};

// What a device restart came to: done, done only once the machine restarts, or not done.
enum class RestartOutcome { Restarted, NeedsReboot, Failed };

// Error codes (Win32).
constexpr long kErrSuccess = 0;
constexpr long kErrFileNotFound = 2;
constexpr long kErrAccessDenied = 5;
constexpr long kErrInvalidHandle = 6;
constexpr long kErrNotEnoughMemory = 8;
constexpr long kErrInvalidData = 13;
constexpr long kErrInvalidParameter = 87;
constexpr long kErrInsufficientBuffer = 122;
constexpr long kErrMoreData = 234;
constexpr long kErrNoMoreItems = 259;
constexpr long kErrNotSupported = 50;
constexpr long kErrNoSuchDevInst = static_cast<long>(0xE000020B);  // device setup: the device is gone
constexpr long kErrDiDoDefault = static_cast<long>(0xE000020E);    // device setup: no installer acted
constexpr long kErrInWow64 = static_cast<long>(0xE0000235);  // device setup, a 32-bit program on 64-bit Windows

// Registry value types.
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegDwordBigEndian = 5;
constexpr uint32_t kRegLink = 6;
constexpr uint32_t kRegMultiSz = 7;
constexpr uint32_t kRegResourceList = 8;
constexpr uint32_t kRegFullResourceDescriptor = 9;
constexpr uint32_t kRegResourceRequirementsList = 10;
constexpr uint32_t kRegQword = 11;

// Registry access rights.
constexpr uint32_t kKeyRead = 0x20019;
constexpr uint32_t kKeyAllAccess = 0xF003F;

// Device registry property codes.
namespace spdrp {
constexpr uint32_t DeviceDesc = 0, HardwareId = 1, CompatibleIds = 2, Service = 4, Class = 7,
                   ClassGuid = 8, Driver = 9, ConfigFlags = 10, Mfg = 11, FriendlyName = 12,
                   LocationInformation = 13, PhysicalDeviceObjectName = 14, Capabilities = 15,
                   UiNumber = 16, UpperFilters = 17, LowerFilters = 18, BusTypeGuid = 19,
                   LegacyBusType = 20, BusNumber = 21, EnumeratorName = 22, Security = 23,
                   SecuritySds = 24, DevType = 25, Exclusive = 26, Characteristics = 27,
                   Address = 28;
}

// Message box types and answers.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbOkCancel = 0x1;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbIconHand = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconExclamation = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
constexpr unsigned kMbDefButton2 = 0x100;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

}  // namespace qx
