// The filter health check: every name in every class and device filter list, read
// from the registry as stored, held against one table of rules, so the edit dialog, the
// report and the command line apply the same ones.
#pragma once
#include <memory>
#include <optional>

#include "model/FilterRules.h"
#include "model/StoredList.h"

class CDriverClass;
class CDevice;
using DriverClassList = std::vector<std::unique_ptr<CDriverClass>>;

namespace qx {

// One filter list: of a class, or of one device of it.
struct FilterTarget {
    Guid classGuid;
    std::wstring instanceId;  // the device instance ID; empty for the class's own list
    bool upper = true;
    bool IsDevice() const { return !instanceId.empty(); }
};

struct Finding {
    FilterTarget target;
    std::wstring targetText;  // the class's description, or the device's
    std::wstring name;        // the filter name; empty for a rule about the whole list
    std::wstring rule;        // an id of namespace rule
    Severity severity = Severity::Error;
    std::wstring sentence;    // what will happen and what to do, for the user
};
using Findings = std::vector<Finding>;

// What the registry holds for one service key.
struct ServiceFacts {
    bool present = false;
    bool hasType = false;
    uint32_t type = 0;
    bool hasStart = false;
    uint32_t start = 0;
    bool hasImagePath = false;
    uint32_t imagePathType = kRegNone;
    std::wstring imagePath;
};
ServiceFacts ReadServiceFacts(const std::wstring& name);
// The driver file the platform loads for the service, resolved as the loader does; for
// an offline installation, where it lies on this machine. Empty when its ImagePath uses
// a variable only the installation's own environment gives.
std::wstring DriverFilePath(const std::wstring& name, const ServiceFacts& facts);

// A stored list as the platform reads it: the names up to the first empty string, and
// the names stored after it, which the platform never sees.
struct ListContents {
    bool isList = false;  // REG_MULTI_SZ or REG_SZ
    StringList names;
    StringList hidden;
};
ListContents TakeApart(const StoredList& stored);

// The stored list as the user should see it: "a b (hidden: c)"; for a value that is no
// list, its type; "(none)" when nothing is stored.
std::wstring StoredListText(const StoredList& stored);

// Why the driver-file rule was left out (the Windows folder is unknown) or skipped for
// some names in the last CheckAllFilters; empty when it ran for every name.
std::wstring DriverFileCheckNote();
// "No device setup class could be read from this machine." (or the offline hive's path)
// when the class list is empty: a check of nothing is no clean bill of health. Empty
// otherwise.
std::wstring NothingReadText(const DriverClassList& classes);

// ---- The rules -------------------------------------------------------------------
// What a rule reads. The check fills it once for a list, then name by name.
struct RuleFacts {
    bool readable = true;    // false when the list could not be read at all
    StoredList stored;       // the list as stored; nothing for a list the user proposes
    ListContents contents;   // the names the platform reads, and those stored after them
    bool bootClass = false;  // the list's class is needed while the machine starts
    // For a rule about one name:
    size_t index = 0;        // its place in contents.names
    std::wstring name;
    // What the registry holds for the service of that name, read when a rule first asks.
    mutable std::optional<ServiceFacts> service;
    const ServiceFacts& Service() const;
};

// What a rule says: nothing when it holds; otherwise the sentence for the user and, when
// the finding is not about the name checked (or the whole list), the names it is about.
struct Verdict {
    Verdict() = default;
    Verdict(std::wstring sentence, std::wstring names = L"") : sentence(std::move(sentence)), names(std::move(names)) {}
    std::wstring sentence;
    std::wstring names;
};

enum class RuleScope {
    List,        // once for the list, before its names
    Name,        // each name alone, in list order
    NameInList,  // each name again among the others, once every name has been checked alone
};

// One row per rule. Within a scope the rules run in the table's order.
struct CheckRule {
    const wchar_t* id;  // of namespace rule
    Severity severity;
    RuleScope scope;
    Verdict (*check)(const RuleFacts& facts);
    // A finding ends the checks after it: for a List rule every later rule of the list,
    // its names included; for a Name rule the later Name rules of that name.
    bool stops;
    // The devices that use the list fail to start; on a list no device uses, a warning.
    bool failsDevices;
    // A new list with such a name is refused first, in these words (%ls: the name),
    // before any other error; null for a rule whose own sentence refuses or asks.
    const wchar_t* newListRefusal;
};
// Every rule, in the order they run.
const std::vector<CheckRule>& CheckRules();
// The row of a rule id; null for an id no rule has.
const CheckRule* FindCheckRule(const std::wstring& id);

// ---- Checks ----------------------------------------------------------------------
// A list the user proposes (the edit dialog): the name rules and duplicates.
Findings CheckProposedList(const FilterTarget& target, const StringList& names,
                           const ClassRules& rules = DefaultClassRules());
// A list as stored: its type, hidden entries, then the names the platform reads.
Findings CheckStoredList(const FilterTarget& target, const StoredList& stored,
                         const ClassRules& rules = DefaultClassRules());
// Every class and device list of the class list, read again from the registry, and the
// lists of class keys the list left out (no name), named by GUID. A list that cannot be
// read is an `unreadable` error; the errors of a class list none of its devices uses
// (no present device online, none under Enum offline) are warnings.
Findings CheckAllFilters(const DriverClassList& classes, const ClassRules& rules = DefaultClassRules());

// The list without its broken names: only the active names that pass the error rules,
// each once; hidden names are dropped. Empty for a value that is no list.
StringList RepairedList(const FilterTarget& target, const StoredList& stored);

// ---- Records --------------------------------------------------------------------
std::wstring DeviceInstanceId(const CDevice& device);
// The device's status and problem code; false when the device cannot be asked.
bool ReadDeviceStatus(const CDevice& device, uint32_t* status, uint32_t* problem);
// "Code 39: the driver could not be loaded", or empty for a device without a problem.
std::wstring DeviceProblemText(const CDevice& device);
CDriverClass* FindClassRecord(const DriverClassList& classes, const Guid& classGuid);
CDevice* FindDeviceRecord(const DriverClassList& classes, const FilterTarget& target);
// The stored list a target names; false when it cannot be read or the record is gone.
bool ReadTargetList(const DriverClassList& classes, const FilterTarget& target, StoredList* stored);

}  // namespace qx
