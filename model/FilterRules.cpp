#include "model/FilterRules.h"

#include "model/TextForms.h"

namespace qx {
namespace {

constexpr Guid G(uint32_t d1, uint16_t d2, uint16_t d3, uint8_t a, uint8_t b, uint8_t c, uint8_t d,
                 uint8_t e, uint8_t f, uint8_t g, uint8_t h) {
    return Guid{d1, d2, d3, {a, b, c, d, e, f, g, h}};
}

// Most standard classes share the tail E325-11CE-BFC1-08002BE10318.
constexpr Guid Std(uint32_t d1) { return G(d1, 0xE325, 0x11CE, 0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18); }

const ClassRule kBuiltIn[] = {
    {L"Keyboard", Std(0x4D36E96B), false,
     L"Every keyboard on this machine depends on this list. If a filter named here cannot start, "
     L"the keyboards stop working. Write the new list?"},
    {L"Mouse", Std(0x4D36E96F), false,
     L"Every mouse and pointing device on this machine depends on this list. If a filter named here "
     L"cannot start, the mice stop working. Write the new list?"},
    {L"HIDClass", G(0x745A17A0, 0x74D3, 0x11D0, 0xB6, 0xFE, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA), false,
     L"USB keyboards, mice and other input devices depend on this list. If a filter named here cannot "
     L"start, they stop working. Write the new list?"},
    {L"USB", G(0x36FC9E60, 0xC465, 0x11CF, 0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00), false,
     L"Every USB controller and hub on this machine depends on this list. If a filter named here "
     L"cannot start, every USB device stops working, keyboards and mice included. Write the new list?"},
    {L"DiskDrive", Std(0x4D36E967), true,
     L"Every disk on this machine depends on this list. If a filter named here cannot start, the "
     L"disks cannot be reached and the machine may not start. Write the new list?"},
    {L"Volume", G(0x71A27CDD, 0x812A, 0x11D0, 0xBE, 0xC7, 0x08, 0x00, 0x2B, 0xE2, 0x09, 0x2F), true,
     L"Every volume on this machine depends on this list. If a filter named here cannot start, the "
     L"volumes cannot be mounted and the machine may not start. Write the new list?"},
    {L"SCSIAdapter", Std(0x4D36E97B), true,
     L"The storage controllers on this machine depend on this list. If a filter named here cannot "
     L"start, the disks behind them cannot be reached and the machine may not start. Write the new list?"},
    {L"HDC", Std(0x4D36E96A), true,
     L"The IDE and ATA controllers on this machine depend on this list. If a filter named here cannot "
     L"start, the disks behind them cannot be reached and the machine may not start. Write the new list?"},
    {L"System", Std(0x4D36E97D), false,
     L"The system devices (buses, timers, power and interrupt controllers) depend on this list. If a "
     L"filter named here cannot start, the machine may not start. Write the new list?"},
};

struct Problem {
    uint32_t code;
    const wchar_t* meaning;
};

// The documented problem codes, said plainly.
const Problem kProblems[] = {
    {1, L"the device is not configured correctly"},
    {3, L"the driver may be damaged, or the system is low on memory or other resources"},
    {10, L"the device cannot start"},
    {12, L"the device cannot find enough free resources to use"},
    {14, L"the device cannot work properly until the computer is restarted"},
    {16, L"not all the resources the device uses can be identified"},
    {18, L"the drivers for this device must be installed again"},
    {19, L"the device's configuration in the registry is incomplete or damaged"},
    {21, L"the device is being removed"},
    {22, L"the device is disabled"},
    {24, L"the device is not present, not working, or lacks some of its drivers"},
    {28, L"the drivers for this device are not installed"},
    {29, L"the device's firmware did not give it the resources it needs"},
    {31, L"a driver this device needs could not be loaded"},
    {32, L"a driver (service) for this device is disabled"},
    {33, L"the resources this device needs cannot be determined"},
    {34, L"the settings for this device cannot be determined automatically"},
    {35, L"the system firmware lacks the information needed to configure this device"},
    {36, L"the device asks for an interrupt of a kind it is not configured for"},
    {37, L"the driver could not be initialised"},
    {38, L"the driver could not be loaded because an earlier copy is still in memory"},
    {39, L"the driver could not be loaded"},
    {40, L"the driver's service key in the registry is missing or wrong"},
    {41, L"the driver was loaded, but the hardware cannot be found"},
    {42, L"a duplicate of this device is already running"},
    {43, L"the device was stopped because it reported problems"},
    {44, L"an application or service shut the device down"},
    {45, L"the device is not connected to the computer"},
    {46, L"the system is shutting down"},
    {47, L"the device was prepared for safe removal but has not been removed"},
    {48, L"the device's software is blocked from starting because of known problems"},
    {49, L"new devices cannot start because the system hive is too large"},
    {50, L"not all of the device's properties could be applied"},
    {51, L"the device is waiting for other devices to start"},
    {52, L"the digital signature of the device's drivers cannot be verified"},
};

}  // namespace

const ClassRule* ClassRules::Find(const Guid& classGuid) const {
    for (const ClassRule& entry : m_rules)
        if (entry.guid == classGuid) return &entry;
    return nullptr;
}

const ClassRule* ClassRules::FindByName(const std::wstring& name) const {
    for (const ClassRule& entry : m_rules)
        if (SameNameNoCase(entry.name, name)) return &entry;
    return nullptr;
}

bool ClassRules::IsBootClass(const Guid& classGuid) const {
    const ClassRule* entry = Find(classGuid);
    return entry && entry->bootStart;
}

std::wstring ClassRules::CriticalQuestion(const Guid& classGuid) const {
    const ClassRule* entry = Find(classGuid);
    return entry ? entry->question : L"";
}

void ClassRules::AddAlias(const Guid& classGuid, const ClassRule& like) {
    ClassRule entry = like;
    entry.guid = classGuid;
    m_rules.push_back(entry);
}

const ClassRules& DefaultClassRules() {
    static const ClassRules rules = [] {
        ClassRules built;
        built.m_rules.assign(std::begin(kBuiltIn), std::end(kBuiltIn));
        return built;
    }();
    return rules;
}

const wchar_t* ProblemMeaning(uint32_t problem) {
    for (const Problem& entry : kProblems)
        if (entry.code == problem) return entry.meaning;
    return nullptr;
}

std::wstring ProblemText(uint32_t status, uint32_t problem) {
    if (!(status & kDnHasProblem) && problem == 0) return L"";
    const wchar_t* meaning = ProblemMeaning(problem);
    return L"Code " + std::to_wstring(problem) + L": " +
           (meaning ? meaning : L"a problem this program does not know");
}

}  // namespace qx
