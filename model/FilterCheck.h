// The filter health check: every name in every class and device filter list, read
// from the registry as stored, held against the rules of FilterRules.h. One rule per
// function, so the edit dialog, the report and the command line apply the same ones.
#pragma once
#include <memory>

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

// ---- The rules: each returns the sentence for the user, or empty when it holds ------
std::wstring MissingServiceRule(const std::wstring& name, const ServiceFacts& facts);
std::wstring InvalidNameRule(const std::wstring& name);
std::wstring WrongTypeRule(const StoredList& stored);
std::wstring HiddenEntriesRule(const ListContents& contents);
std::wstring NotADriverRule(const std::wstring& name, const ServiceFacts& facts);
std::wstring ServiceDisabledRule(const std::wstring& name, const ServiceFacts& facts);
std::wstring DriverFileMissingRule(const std::wstring& name, const ServiceFacts& facts);
// Why the driver-file rule was left out (the Windows folder is unknown) or skipped for
// some names in the last CheckAllFilters; empty when it ran for every name.
std::wstring DriverFileCheckNote();
// "No device setup class could be read from this machine." (or the offline hive's path)
// when the class list is empty: a check of nothing is no clean bill of health. Empty
// otherwise.
std::wstring NothingReadText(const DriverClassList& classes);
std::wstring BootStartNeededRule(const std::wstring& name, const ServiceFacts& facts, bool bootClass);
// One sentence per name named again later in the list (names compare without case).
std::vector<std::pair<std::wstring, std::wstring>> DuplicateRule(const StringList& names);

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

// The list without its broken names: names with an error and repeated names dropped,
// hidden names kept when they pass the error rules. Empty for a value that is no list.
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
