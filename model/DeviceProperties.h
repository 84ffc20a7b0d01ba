// The device properties: one row each, with everything the program knows about one.
// The build reads them, the offline hive answers them, the form and quillexc show them
// from this table; nothing else lists them.
#pragma once
#include <cstdint>

#include "model/Types.h"

namespace qx {

// The texts a device record holds, one per text property.
enum class DeviceText {
    DeviceName, FriendlyName, Enumerator, DeviceDesc, BusNumber, Capabilities, Characteristics,
    Class, ClassGuid, ConfigFlags, DevType, Exclusive, HardwareId, LegacyBusType, LocationInfo,
    SecuritySds, NtDevicePaths, Driver, BusTypeGuid, Mfg, Service, UiNumber, ConfigVector,
    Configuration, PdoName, Security, Address,
    Count,
    None = Count,  // a list property's row
};

// The name lists a device record holds.
enum class DeviceNameList { CompatibleIds, UpperFilters, LowerFilters, None };

// How a property's bytes become what the record holds.
enum class PropertyForm {
    Text,                // a string as stored
    Hex,                 // a DWORD as eight hex digits (nothing when shorter than four bytes)
    GuidBytes,           // a GUID's sixteen bytes as its text
    JoinedIds,           // a multi-string joined by single spaces into one text
    NameList,            // a multi-string kept as the record's list
    ObjectName,          // a physical device object's name: also the device name without "\Device"
    SecurityDescriptor,  // a binary descriptor as SDDL
    NotRead,             // no property of its own: filled from another row, or never
};

constexpr uint32_t kNoPropertyCode = 0xFFFFFFFFu;

struct DeviceProperty {
    DeviceText text;             // the record's text it fills, or None
    DeviceNameList list;         // the record's list it fills, or None
    uint32_t code;               // the device setup's property number, or kNoPropertyCode
    PropertyForm form;
    const wchar_t* offlineName;  // the value of the device's Enum key that holds it, or nullptr
    uint16_t labelId;            // the form's label of it (template 101, res/resource.h)...
    uint16_t fieldId;            // ...and the edit or list box that shows it there
    const wchar_t* label;        // that label's text without its colon, as quillexc shows it too
    const char* jsonKey;         // quillexc's JSON key
};

// In the order quillexc shows them (the form's columns, top down), the lists last.
inline constexpr DeviceProperty kDeviceProperties[] = {
    {DeviceText::DeviceName, DeviceNameList::None, kNoPropertyCode, PropertyForm::NotRead, nullptr,  // from PdoName
     1014, 1015, L"Device Name", "deviceName"},
    {DeviceText::FriendlyName, DeviceNameList::None, spdrp::FriendlyName, PropertyForm::Text, L"FriendlyName",
     1016, 1017, L"Friendly Name", "friendlyName"},
    {DeviceText::Enumerator, DeviceNameList::None, spdrp::EnumeratorName, PropertyForm::Text, nullptr,
     1046, 1047, L"Enumerator", "enumerator"},
    {DeviceText::DeviceDesc, DeviceNameList::None, spdrp::DeviceDesc, PropertyForm::Text, L"DeviceDesc",
     1040, 1041, L"Device Desc.", "deviceDesc"},
    {DeviceText::BusNumber, DeviceNameList::None, spdrp::BusNumber, PropertyForm::Hex, nullptr,
     1020, 1021, L"Bus Number", "busNumber"},
    {DeviceText::Capabilities, DeviceNameList::None, spdrp::Capabilities, PropertyForm::Hex, L"Capabilities",
     1031, 1023, L"Capabilities", "capabilities"},
    {DeviceText::Characteristics, DeviceNameList::None, spdrp::Characteristics, PropertyForm::Hex, nullptr,
     1032, 1024, L"Characteristics", "characteristics"},
    {DeviceText::Class, DeviceNameList::None, spdrp::Class, PropertyForm::Text, L"Class",
     1033, 1025, L"Class", "class"},
    {DeviceText::ClassGuid, DeviceNameList::None, spdrp::ClassGuid, PropertyForm::Text, L"ClassGUID",
     1034, 1026, L"Class Guid", "classGuid"},
    {DeviceText::ConfigFlags, DeviceNameList::None, spdrp::ConfigFlags, PropertyForm::Hex, L"ConfigFlags",
     1036, 1028, L"Config Flags", "configFlags"},
    {DeviceText::DevType, DeviceNameList::None, spdrp::DevType, PropertyForm::Hex, nullptr,
     1043, 1042, L"Dev Type", "devType"},
    {DeviceText::Exclusive, DeviceNameList::None, spdrp::Exclusive, PropertyForm::Hex, nullptr,
     1048, 1049, L"Exclusive", "exclusive"},
    {DeviceText::HardwareId, DeviceNameList::None, spdrp::HardwareId, PropertyForm::JoinedIds, L"HardwareID",
     1050, 1051, L"Hardware ID", "hardwareId"},
    {DeviceText::LegacyBusType, DeviceNameList::None, spdrp::LegacyBusType, PropertyForm::Hex, nullptr,
     1052, 1053, L"Legacy Bus Type", "legacyBusType"},
    {DeviceText::LocationInfo, DeviceNameList::None, spdrp::LocationInformation, PropertyForm::Text, L"LocationInformation",
     1054, 1055, L"Location Info", "locationInfo"},
    {DeviceText::SecuritySds, DeviceNameList::None, spdrp::SecuritySds, PropertyForm::Text, nullptr,
     1091, 1090, L"Security SDS", "securitySds"},
    {DeviceText::NtDevicePaths, DeviceNameList::None, kNoPropertyCode, PropertyForm::NotRead, nullptr,
     1060, 1061, L"NT Device Paths", "ntDevicePaths"},
    {DeviceText::Driver, DeviceNameList::None, spdrp::Driver, PropertyForm::Text, L"Driver",
     1044, 1045, L"Driver", "driver"},
    {DeviceText::BusTypeGuid, DeviceNameList::None, spdrp::BusTypeGuid, PropertyForm::GuidBytes, nullptr,
     1030, 1022, L"Bus Type Guid", "busTypeGuid"},
    {DeviceText::Mfg, DeviceNameList::None, spdrp::Mfg, PropertyForm::Text, L"Mfg",
     1058, 1059, L"Manufacturer", "mfg"},
    {DeviceText::Service, DeviceNameList::None, spdrp::Service, PropertyForm::Text, L"Service",
     1092, 1093, L"Service", "service"},
    {DeviceText::UiNumber, DeviceNameList::None, spdrp::UiNumber, PropertyForm::Hex, L"UINumber",
     1094, 1095, L"UI Number", "uiNumber"},
    {DeviceText::ConfigVector, DeviceNameList::None, kNoPropertyCode, PropertyForm::NotRead, nullptr,
     1038, 1039, L"Config Vector", "configVector"},
    {DeviceText::Configuration, DeviceNameList::None, kNoPropertyCode, PropertyForm::NotRead, nullptr,
     1037, 1029, L"Configuration", "configuration"},
    {DeviceText::PdoName, DeviceNameList::None, spdrp::PhysicalDeviceObjectName, PropertyForm::ObjectName, nullptr,
     1086, 1087, L"PDO Name", "pdoName"},
    {DeviceText::Security, DeviceNameList::None, spdrp::Security, PropertyForm::SecurityDescriptor, nullptr,
     1088, 1089, L"Security", "security"},
    {DeviceText::Address, DeviceNameList::None, spdrp::Address, PropertyForm::Hex, nullptr,
     1019, 1018, L"Address", "address"},
    {DeviceText::None, DeviceNameList::CompatibleIds, spdrp::CompatibleIds, PropertyForm::NameList, L"CompatibleIDs",
     1035, 1062, L"Compatible Ids", "compatibleIds"},
    {DeviceText::None, DeviceNameList::UpperFilters, spdrp::UpperFilters, PropertyForm::NameList, L"UpperFilters",
     1096, 1064, L"Device Upper Filters", "upperFilters"},
    {DeviceText::None, DeviceNameList::LowerFilters, spdrp::LowerFilters, PropertyForm::NameList, L"LowerFilters",
     1056, 1063, L"Device Lower Filters", "lowerFilters"},
};

// The row of a device setup property number, or nullptr.
const DeviceProperty* FindDeviceProperty(uint32_t code);

}  // namespace qx
