#include "model/DeviceRestart.h"

#include <cwchar>

#include "model/DeviceAccess.h"
#include "model/DriverClass.h"
#include "model/FilterCheck.h"
#include "model/JournalFile.h"
#include "model/OfflineHive.h"
#include "model/TextForms.h"

namespace qx {
namespace {

std::wstring Count(size_t n, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(n) + L" " + (n == 1 ? one : many);
}

// "Name (ID)", or the ID alone.
std::wstring EntryText(const RestartEntry& entry) {
    return entry.name.empty() ? entry.instanceId : entry.name + L" (" + entry.instanceId + L")";
}

}  // namespace

std::wstring RestartRefusal() {
    if (!CurrentOfflineHive().empty())
        return L"The devices of an offline installation cannot be restarted: the change takes effect when "
               L"that installation starts.";
    return L"";
}

std::vector<CDevice*> AffectedDevices(const CDriverClass& owner, CDevice* device) {
    std::vector<CDevice*> devices;
    if (device) {
        devices.push_back(device);
        return devices;
    }
    for (const auto& record : owner.GetDeviceList()) devices.push_back(record.get());
    return devices;
}

RestartReport RestartDevices(const CDriverClass& owner, CDevice* device) {
    RestartReport report;
    report.refusal = RestartRefusal();
    if (report.Refused()) return report;
    IDeviceAccess& access = Access();
    for (CDevice* target : AffectedDevices(owner, device)) {
        RestartEntry entry{DeviceInstanceId(*target), target->GetDisplayName(), kErrSuccess};
        // A device whose ID cannot be read is known by its number, when it has one.
        if (entry.instanceId.empty())
            entry.instanceId = target->GetIndex() >= 0 ? DeviceNumberText(target->GetIndex()) : L"(instance ID unreadable)";
        DeviceElement element;
        RestartOutcome outcome = RestartOutcome::Failed;
        if (!owner.FindElement(*target, &element))
            entry.error = kErrNoSuchDevInst;
        else
            outcome = access.RestartDevice(owner.GetDevInfo(), element, &entry.error);
        if (outcome == RestartOutcome::Failed && entry.error == kErrInWow64) {
            // The device setup refuses every device here, not this one: say so once.
            report = RestartReport{};
            report.refusal = RestartErrorText(kErrInWow64);
            return report;
        }
        (outcome == RestartOutcome::Restarted     ? report.restarted
         : outcome == RestartOutcome::NeedsReboot ? report.needsReboot
                                                  : report.failed)
            .push_back(entry);
    }
    return report;
}

std::wstring RestartQuestion(const CDriverClass& owner, const CDevice* device, const std::wstring& listTitle,
                             const ClassRules& rules) {
    const size_t count = device ? 1 : owner.GetDeviceList().size();
    if (count == 0) return L"";
    const bool many = count > 1;
    std::wstring text;
    if (!listTitle.empty())
        text = L"The new " + listTitle + L" take effect when " +
               (many ? L"the devices start again. " : L"the device starts again. ");
    if (device) {
        std::wstring name = device->GetDisplayName();
        text += L"Restart " + (name.empty() ? std::wstring(L"the device") : name) + L" now?";
    } else {
        text += (many ? L"Restart the " + std::to_wstring(count) + L" devices of " : std::wstring(L"Restart the device of ")) +
                owner.GetDescription() + L" now?";
    }
    if (rules.Find(owner.GetGuid())) {
        text += many ? L"\n\nWhile they restart, the devices stop working for a moment."
                     : L"\n\nWhile it restarts, the device stops working for a moment.";
        if (rules.IsBootClass(owner.GetGuid()))
            text += L" The machine needs them to run, so a restart of the machine will probably be needed "
                    L"before the change holds.";
    }
    return text;
}

bool AskAndRestartDevices(const CDriverClass& owner, CDevice* device, const std::wstring& listTitle,
                          bool sayWhenRefused, RestartReport* report) {
    const std::wstring refusal = RestartRefusal();
    if (!refusal.empty()) {
        if (sayWhenRefused) Messages().ShowMessage(refusal, kMbOk | kMbIconExclamation);
        return false;
    }
    const std::wstring question = RestartQuestion(owner, device, listTitle);
    if (question.empty()) return false;
    if (Messages().ShowMessage(question, kMbYesNo | kMbIconQuestion | kMbDefButton2) != kIdYes) return false;
    RestartReport results = RestartDevices(owner, device);
    Messages().ShowMessage(RestartResultText(results),
                           kMbOk | (results.AllRestarted() ? kMbIconInformation : kMbIconExclamation));
    if (report) *report = results;
    return true;
}

std::wstring RestartErrorText(long error) {
    switch (error) {
    case kErrInWow64:
        return L"A 32-bit program cannot restart devices on 64-bit Windows: run the x64 build of Quillex, or "
               L"restart the machine, for the change to take effect.";
    case kErrNoSuchDevInst:
        return L"The device is no longer present";
    case kErrDiDoDefault:
        return L"The device setup has no installer that restarts this device";
    default:
        break;
    }
    if (static_cast<unsigned long>(error) >= 0xE0000000ul) {
        wchar_t text[48];
        std::swprintf(text, 48, L"Device setup error 0x%08lX", static_cast<unsigned long>(error));
        return text;
    }
    return ErrorText(error);
}

std::wstring RestartResultText(const RestartReport& report) {
    if (report.Refused()) return report.refusal;
    std::wstring text = L"Restarted: " + Count(report.restarted.size(), L"device", L"devices") + L".";
    if (!report.needsReboot.empty()) {
        text += L"\nA restart of the machine is needed for " +
                Count(report.needsReboot.size(), L"device", L"devices") + L":";
        for (const RestartEntry& entry : report.needsReboot) text += L"\n    " + EntryText(entry);
    }
    if (!report.failed.empty()) {
        text += L"\nFailed: " + Count(report.failed.size(), L"device", L"devices") + L":";
        for (const RestartEntry& entry : report.failed)
            text += L"\n    " + EntryText(entry) + L": " + RestartErrorText(entry.error) + L".";
    }
    return text;
}

}  // namespace qx
