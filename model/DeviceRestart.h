// Restarting the devices a filter list change affects, so that the new list is read
// now rather than at the next start of the machine. A restart changes no list and is
// not journalled.
#pragma once
#include <vector>

#include "model/FilterRules.h"
#include "model/Types.h"

class CDriverClass;
class CDevice;

namespace qx {

// One device tried.
struct RestartEntry {
    std::wstring instanceId;
    std::wstring name;  // how the window names the device; the instance ID when it has no text
    long error = kErrSuccess;  // a failure's error
};

// What restarting came to, device by device, in the order they were restarted.
struct RestartReport {
    std::wstring refusal;  // why nothing was restarted at all; empty when it was tried
    std::vector<RestartEntry> restarted;
    std::vector<RestartEntry> needsReboot;  // the change holds once the machine restarts
    std::vector<RestartEntry> failed;

    bool Refused() const { return !refusal.empty(); }
    // Every device restarted (and there was no refusal).
    bool AllRestarted() const { return !Refused() && needsReboot.empty() && failed.empty(); }
};

// Why devices cannot be restarted where the model works now (an offline hive); empty
// when they can be tried.
std::wstring RestartRefusal();

// The devices a change of the list affects: every device of the class in set order, or
// the one device.
std::vector<CDevice*> AffectedDevices(const CDriverClass& owner, CDevice* device);

// Restarts the affected devices one after the other; a failure is reported and the
// others go on. A 32-bit program on 64-bit Windows, or an offline hive, is refused as a
// whole (RestartReport::refusal).
RestartReport RestartDevices(const CDriverClass& owner, CDevice* device);

// The question asked before a restart: after a list was written ("Upper Filters" as
// `listTitle`) "The new Upper Filters take effect when the devices start again. Restart
// the 3 devices of Keyboard now?"; without a list, the question alone. A class the
// machine depends on adds what the restart means. Empty when nothing would restart.
std::wstring RestartQuestion(const CDriverClass& owner, const CDevice* device, const std::wstring& listTitle,
                             const ClassRules& rules = DefaultClassRules());

// The window's way: asks the question (Yes/No, No the default) and, on Yes, restarts the
// devices and shows the results. Nothing is asked when there is no device, or when
// devices cannot be restarted here (offline): then `sayWhenRefused` shows why (for a
// restart the user asked for). True when the restart was tried; *report (when given)
// holds the results.
bool AskAndRestartDevices(const CDriverClass& owner, CDevice* device, const std::wstring& listTitle,
                          bool sayWhenRefused = false, RestartReport* report = nullptr);

// The results for people: how many restarted, which need a restart of the machine,
// which failed and why.
std::wstring RestartResultText(const RestartReport& report);
// A restart failure's reason, as a sentence.
std::wstring RestartErrorText(long error);

}  // namespace qx
