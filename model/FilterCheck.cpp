#include "model/FilterCheck.h"

#include <algorithm>

#include "model/Bytes.h"
#include "model/DeviceAccess.h"
#include "model/DriverClass.h"
#include "model/OfflineHive.h"
#include "model/TextForms.h"

namespace qx {
namespace {

constexpr uint32_t kKernelDriver = 1;
constexpr uint32_t kFileSystemDriver = 2;
constexpr uint32_t kStartDisabled = 4;

// What an error on a list does to the devices; a list no device uses says so instead.
constexpr wchar_t kDevicesFail[] = L"the devices that use this list fail to start";
constexpr wchar_t kNoDeviceUsesList[] = L": no device uses this list now; the next device of this class will fail to start";

// The names whose driver file could not be told in the last check: their ImagePath
// uses a variable only the installation's own environment gives.
StringList g_unresolvedDriverFiles;

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() && UpperCase(text.substr(0, prefix.size())) == UpperCase(prefix);
}

// %SystemRoot% and %windir% are the installation's own folder, which for an offline
// hive is not this machine's; anything else the installation's environment expands.
std::wstring Expand(const std::wstring& text, const std::wstring& windows) {
    std::wstring out = text;
    for (const wchar_t* variable : {L"%SystemRoot%", L"%windir%"}) {
        const std::wstring key = UpperCase(variable);
        for (size_t at = UpperCase(out).find(key); at != std::wstring::npos; at = UpperCase(out).find(key, at + windows.size()))
            out.replace(at, key.size(), windows);
    }
    return Access().ExpandEnvironment(out);
}

std::wstring Quoted(const std::wstring& name) { return L"\"" + name + L"\""; }

// ---- The rules: each reads the facts and returns its verdict -------------------------

Verdict UnreadableRule(const RuleFacts& facts) {
    if (facts.readable) return {};
    return {L"The list cannot be read (access is denied, or the value is damaged), so it was not checked "
            L"and what it does to the devices is unknown. Check the key's permissions, or store the list again."};
}

Verdict WrongTypeRule(const RuleFacts& facts) {
    const StoredList& stored = facts.stored;
    if (!stored.present || stored.type == kRegMultiSz || stored.type == kRegSz) return {};
    return {L"The list is stored as " + RegistryTypeName(stored.type) + L", which the platform does not read as a "
            L"list of filters: no name in it is in force. Store the list again, or remove the value."};
}

Verdict HiddenEntriesRule(const RuleFacts& facts) {
    const StringList& hidden = facts.contents.hidden;
    if (hidden.empty()) return {};
    return {L"The names " + JoinList(hidden) + L" are stored after an empty string, so the platform ignores "
            L"them and a save drops them. Store the list again with the names you want.",
            JoinList(hidden)};
}

Verdict InvalidNameRule(const RuleFacts& facts) {
    if (facts.name.empty())
        return {L"The list holds an empty name, which names no service: the devices that use this "
                L"list fail to start. Store the list again without it."};
    if (facts.name.find(L'\\') == std::wstring::npos) return {};
    return {Quoted(facts.name) + L" is not a service name (it holds a backslash), so the devices that use "
            L"this list fail to start. Remove it from the list."};
}

Verdict MissingServiceRule(const RuleFacts& facts) {
    if (facts.Service().present) return {};
    return {L"No service named " + Quoted(facts.name) + L" is installed, so " + kDevicesFail +
            L". Remove the name, or install the filter driver again."};
}

Verdict ServiceDisabledRule(const RuleFacts& facts) {
    const ServiceFacts& service = facts.Service();
    if (!service.present || !service.hasStart || service.start != kStartDisabled) return {};
    return {L"Service " + Quoted(facts.name) + L" is disabled (Start 4), so " + kDevicesFail +
            L". Remove the name, or enable the service again."};
}

Verdict NotADriverRule(const RuleFacts& facts) {
    const ServiceFacts& service = facts.Service();
    if (!service.present || (service.hasType && (service.type == kKernelDriver || service.type == kFileSystemDriver)))
        return {};
    std::wstring hex = HexText(service.type);
    hex.erase(0, hex.find_first_not_of(L'0') < 7 ? hex.find_first_not_of(L'0') : 7);
    std::wstring type = service.hasType ? L"its Type is 0x" + hex : L"it has no Type";
    return {L"Service " + Quoted(facts.name) + L" is not a driver (" + type + L"), so it cannot be a filter and " +
            kDevicesFail + L". Remove the name from the list."};
}

Verdict DriverFileMissingRule(const RuleFacts& facts) {
    const ServiceFacts& service = facts.Service();
    // Without the installation's Windows folder no path can be told (see DriverFileCheckNote).
    if (!service.present || Access().GetWindowsFolder().empty()) return {};
    std::wstring path = DriverFilePath(facts.name, service);
    if (path.empty()) {
        for (const auto& known : g_unresolvedDriverFiles)
            if (SameNameNoCase(known, facts.name)) return {};
        g_unresolvedDriverFiles.push_back(facts.name);
        return {};
    }
    if (Access().FileExists(path)) return {};
    return {L"The driver file of " + Quoted(facts.name) + L", " + path + L", does not exist, so " + kDevicesFail +
            L". Install the driver again, or remove the name."};
}

Verdict BootStartNeededRule(const RuleFacts& facts) {
    const ServiceFacts& service = facts.Service();
    if (!facts.bootClass || !service.present || (service.hasStart && service.start == 0)) return {};
    std::wstring start = service.hasStart ? L"Start " + std::to_wstring(service.start) : L"no Start";
    return {L"Service " + Quoted(facts.name) + L" is not a boot driver (" + start + L"), but this class's "
            L"devices are needed while the machine starts. Make sure the filter may start late."};
}

// Said once for a name, where it comes the second time (names compare without case).
Verdict DuplicateRule(const RuleFacts& facts) {
    const StringList& names = facts.contents.names;
    size_t earlier = 0;
    for (size_t i = 0; i < facts.index; ++i) earlier += UpperCase(names[i]) == UpperCase(facts.name) ? 1 : 0;
    if (earlier != 1) return {};
    return {Quoted(facts.name) + L" is named more than once in this list, so the filter is stacked more than "
            L"once. Remove the extra names."};
}

// A name that is no installed service, in the words the edit dialog has always used.
constexpr wchar_t kNoServiceRefusal[] = L"Service %ls could not be located in Registry.";

using S = Severity;
using R = RuleScope;
// A list that cannot be read, or is no list, has nothing more to check; a name that is no
// service name, or names no service, meets no later rule; the driver rules are moot for
// a service that is no driver.
const CheckRule kRules[] = {
    // id                       severity    scope          check                  stops  fails  new list
    {rule::Unreadable,          S::Error,   R::List,       UnreadableRule,        true,  false, nullptr},
    {rule::WrongType,           S::Error,   R::List,       WrongTypeRule,         true,  false, nullptr},
    {rule::HiddenEntries,       S::Error,   R::List,       HiddenEntriesRule,     false, false, nullptr},
    {rule::InvalidName,         S::Error,   R::Name,       InvalidNameRule,       true,  false, kNoServiceRefusal},
    {rule::MissingService,      S::Error,   R::Name,       MissingServiceRule,    true,  true,  kNoServiceRefusal},
    {rule::ServiceDisabled,     S::Error,   R::Name,       ServiceDisabledRule,   false, true,  nullptr},
    {rule::NotADriver,          S::Error,   R::Name,       NotADriverRule,        true,  true,  nullptr},
    {rule::DriverFileMissing,   S::Error,   R::Name,       DriverFileMissingRule, false, true,  nullptr},
    {rule::BootStartNeeded,     S::Warning, R::Name,       BootStartNeededRule,   false, false, nullptr},
    {rule::Duplicate,           S::Warning, R::NameInList, DuplicateRule,         false, false, nullptr},
};

enum class RuleChoice { All, NameErrors };

// The rules of one scope, in table order; true when a finding stopped the rest.
bool RunScope(RuleScope scope, RuleChoice choice, const RuleFacts& facts, const FilterTarget& target, Findings& out) {
    for (const CheckRule& row : kRules) {
        if (row.scope != scope || (choice == RuleChoice::NameErrors && row.severity != Severity::Error)) continue;
        Verdict verdict = row.check(facts);
        if (verdict.sentence.empty()) continue;
        Finding finding;
        finding.target = target;
        finding.name = verdict.names.empty() ? facts.name : verdict.names;
        finding.rule = row.id;
        finding.severity = row.severity;
        finding.sentence = std::move(verdict.sentence);
        out.push_back(std::move(finding));
        if (row.stops) return true;
    }
    return false;
}

// The list's rules, then each name's, then each name's among the others. NameErrors: only
// the errors a name alone can have.
Findings Check(const FilterTarget& target, RuleFacts& facts, const ClassRules& rules, RuleChoice choice) {
    Findings out;
    facts.bootClass = rules.IsBootClass(target.classGuid);
    if (choice == RuleChoice::All && RunScope(RuleScope::List, choice, facts, target, out)) return out;
    for (RuleScope scope : {RuleScope::Name, RuleScope::NameInList}) {
        if (choice == RuleChoice::NameErrors && scope != RuleScope::Name) break;
        for (size_t i = 0; i < facts.contents.names.size(); ++i) {
            facts.index = i;
            facts.name = facts.contents.names[i];
            facts.service.reset();
            RunScope(scope, choice, facts, target, out);
        }
    }
    return out;
}

// A stored list, or one that could not be read (null).
Findings CheckList(const FilterTarget& target, const StoredList* stored, const ClassRules& rules) {
    RuleFacts facts;
    facts.readable = stored != nullptr;
    if (stored) {
        facts.stored = *stored;
        facts.contents = TakeApart(*stored);
    }
    return Check(target, facts, rules, RuleChoice::All);
}

void Append(Findings& out, Findings more, const std::wstring& targetText) {
    for (auto& finding : more) {
        finding.targetText = targetText;
        out.push_back(std::move(finding));
    }
}

void MarkUnused(Findings& findings) {
    for (Finding& finding : findings) {
        const CheckRule* row = FindCheckRule(finding.rule);
        if (!row || !row->failsDevices) continue;
        finding.severity = Severity::Warning;
        for (const wchar_t* joint : {L", so ", L" and "}) {
            const std::wstring fails = joint + std::wstring(kDevicesFail);
            const size_t at = finding.sentence.find(fails);
            if (at == std::wstring::npos) continue;
            finding.sentence.replace(at, fails.size(), kNoDeviceUsesList);
            break;
        }
    }
}

// A class's own lists, checked; a list no device of the class uses only warns.
void CheckClassLists(KeyHandle classKey, const Guid& guid, bool used, const std::wstring& text,
                     const ClassRules& rules, Findings& out) {
    StoredList stored;
    for (bool upper : {true, false}) {
        FilterTarget target{guid, L"", upper};
        Findings found = CheckList(target, ReadClassFilters(classKey, upper, &stored) ? &stored : nullptr, rules);
        if (!used) MarkUnused(found);
        Append(out, std::move(found), text);
    }
}

// The lists of class keys the class list left out (no name at all): a broken filter
// there still breaks the class's devices. Named by their GUID.
void CheckNamelessClasses(const DriverClassList& classes, const ClassRules& rules, Findings& out) {
    RegKey root;
    if (root.Open(kClassRootPath) != kErrSuccess) return;
    std::vector<Guid> devices;  // the class of each present device, taken when first needed
    bool devicesTaken = false;
    wchar_t name[512];
    StoredList stored;
    for (uint32_t index = 0; Access().EnumKey(root.Get(), index, name, 512) == kErrSuccess; ++index) {
        Guid guid;
        if (!ParseGuid(name, &guid) || FindClassRecord(classes, guid)) continue;
        RegKey key;
        if (key.Open(std::wstring(kClassRootPath) + L'\\' + name) != kErrSuccess) continue;
        bool hasList = false;
        for (bool upper : {true, false}) hasList = hasList || !ReadClassFilters(key.Get(), upper, &stored) || stored.present;
        if (!hasList) continue;
        if (!devicesTaken) {
            devicesTaken = true;
            DevInfoHandle set = Access().GetAllClassDevs();
            DeviceElement element;
            if (set != InvalidHandle() && set != nullptr) {
                for (uint32_t i = 0; Access().EnumDeviceInfo(set, i, &element); ++i) devices.push_back(element.classGuid);
                Access().DestroyDeviceInfoList(set);
            }
        }
        bool used = false;
        for (const Guid& owner : devices) used = used || owner == guid;
        CheckClassLists(key.Get(), guid, used, GuidText(guid), rules, out);
    }
}

}  // namespace

ServiceFacts ReadServiceFacts(const std::wstring& name) {
    ServiceFacts facts;
    RegKey key;
    if (name.empty() || key.Open(std::wstring(kServicesRootPath) + L'\\' + name, kKeyRead) != kErrSuccess)
        return facts;
    facts.present = true;
    facts.hasType = ReadDwordValue(Access(), key.Get(), L"Type", &facts.type);
    facts.hasStart = ReadDwordValue(Access(), key.Get(), L"Start", &facts.start);
    // Its text whatever its type; the type decides whether it is expanded.
    uint32_t type = kRegNone;
    std::vector<uint8_t> data;
    if (ReadValueData(Access(), key.Get(), L"ImagePath", &type, &data) && !data.empty()) {
        facts.imagePath = TextFromBytes(data.data(), data.size());
        facts.imagePathType = type;
        facts.hasImagePath = !facts.imagePath.empty();
    }
    return facts;
}

const ServiceFacts& RuleFacts::Service() const {
    if (!service) service = ReadServiceFacts(name);
    return *service;
}

const std::vector<CheckRule>& CheckRules() {
    static const std::vector<CheckRule> rows(std::begin(kRules), std::end(kRules));
    return rows;
}

const CheckRule* FindCheckRule(const std::wstring& id) {
    for (const CheckRule& row : kRules)
        if (id == row.id) return &row;
    return nullptr;
}

std::wstring DriverFilePath(const std::wstring& name, const ServiceFacts& facts) {
    const std::wstring windows = Access().GetWindowsFolder();
    // Below an installation mounted on a POSIX system, the path is written as that system writes it.
    const bool posix = !windows.empty() && windows[0] == L'/';
    auto below = [&](std::wstring rest) {
        if (posix) std::replace(rest.begin(), rest.end(), L'\\', L'/');
        return windows + rest;
    };
    if (!facts.hasImagePath) return below(L"\\System32\\drivers\\" + name + L".sys");
    std::wstring path = facts.imagePathType == kRegExpandSz ? Expand(facts.imagePath, windows) : facts.imagePath;
    if (facts.imagePathType == kRegExpandSz && path.find(L'%') != std::wstring::npos) return L"";
    if (posix && StartsWith(path, windows)) return below(path.substr(windows.size()));  // %SystemRoot% expanded
    if (StartsWith(path, L"\\SystemRoot\\")) return below(path.substr(11));
    if (StartsWith(path, L"\\??\\")) path = path.substr(4);
    bool full = path.size() >= 2 && (path[1] == L':' || path[0] == L'\\');
    return full ? Access().MapInstallationPath(path) : below(L'\\' + path);
}

ListContents TakeApart(const StoredList& stored) {
    ListContents contents;
    if (!stored.present || (stored.type != kRegMultiSz && stored.type != kRegSz)) return contents;
    contents.isList = true;
    contents.names = stored.Names();
    if (stored.type == kRegSz) {
        // One name; an empty REG_SZ is one empty name, which the platform cannot load.
        contents.names = {TextFromBytes(stored.data.data(), stored.data.size())};
        return contents;
    }
    // Everything after the first empty string, its own empty strings left out.
    std::wstring all;
    for (size_t i = 0; i + 1 < stored.data.size(); i += 2)
        all += static_cast<wchar_t>(ReadLe16(&stored.data[i]));
    size_t end = 0;
    for (size_t n = 0; n < contents.names.size(); ++n) end += contents.names[n].size() + 1;
    std::wstring current;
    for (size_t i = end + 1; i < all.size(); ++i) {
        if (all[i] != L'\0') {
            current += all[i];
        } else if (!current.empty()) {
            contents.hidden.push_back(current);
            current.clear();
        }
    }
    if (!current.empty()) contents.hidden.push_back(current);
    return contents;
}

std::wstring StoredListText(const StoredList& stored) {
    if (!stored.present) return L"(none)";
    ListContents contents = TakeApart(stored);
    if (!contents.isList) return L"(a " + RegistryTypeName(stored.type) + L" value, not a list)";
    std::wstring text = JoinList(contents.names);
    if (!contents.hidden.empty()) text += (text.empty() ? L"(hidden: " : L" (hidden: ") + JoinList(contents.hidden) + L")";
    return text.empty() ? L"(empty)" : text;
}

std::wstring DriverFileCheckNote() {
    if (Access().GetWindowsFolder().empty())
        return L"Driver files not checked: this hive's Windows folder is unknown (it is not in System32\\config).";
    if (g_unresolvedDriverFiles.empty()) return L"";
    return L"Driver files not checked for " + JoinList(g_unresolvedDriverFiles) +
           L": their paths use variables only that installation's own environment gives.";
}

std::wstring NothingReadText(const DriverClassList& classes) {
    if (!classes.empty()) return L"";
    const std::wstring& hive = CurrentOfflineHive();
    return L"No device setup class could be read from " + (hive.empty() ? std::wstring(L"this machine") : hive) + L".";
}

Findings CheckProposedList(const FilterTarget& target, const StringList& names, const ClassRules& rules) {
    RuleFacts facts;
    facts.contents.names = names;
    return Check(target, facts, rules, RuleChoice::All);
}

Findings CheckStoredList(const FilterTarget& target, const StoredList& stored, const ClassRules& rules) {
    return CheckList(target, &stored, rules);
}

Findings CheckAllFilters(const DriverClassList& classes, const ClassRules& rules) {
    Findings out;
    StoredList stored;
    g_unresolvedDriverFiles.clear();
    for (const auto& record : classes) {
        CheckClassLists(record->GetClassKey(), record->GetGuid(), !record->GetDeviceList().empty(),
                        record->GetDescription(), rules, out);
        for (const auto& device : record->GetDeviceList()) {
            std::wstring id = DeviceInstanceId(*device);
            if (id.empty()) continue;  // gone, or never reachable again by the report
            const std::wstring& text = device->GetDisplayName();
            for (bool upper : {true, false}) {
                const FilterTarget target{record->GetGuid(), id, upper};
                Append(out, CheckList(target, ReadDeviceFilters(*device, upper, &stored) ? &stored : nullptr, rules),
                       (text.empty() ? id : text) + L" (" + record->GetDescription() + L")");
            }
        }
    }
    CheckNamelessClasses(classes, rules, out);
    return out;
}

StringList RepairedList(const FilterTarget& target, const StoredList& stored) {
    ListContents contents = TakeApart(stored);
    StringList repaired;
    auto keep = [&](const std::wstring& name) {
        for (const auto& kept : repaired)
            if (UpperCase(kept) == UpperCase(name)) return;
        RuleFacts facts;
        facts.contents.names = {name};
        if (Check(target, facts, DefaultClassRules(), RuleChoice::NameErrors).empty()) repaired.push_back(name);
    };
    // Hidden names were never loaded: keeping one would start a filter nobody chose.
    for (const auto& name : contents.names) keep(name);
    return repaired;
}

std::wstring DeviceInstanceId(const CDevice& device) { return Access().GetDeviceInstanceId(device.GetElement()); }

bool ReadDeviceStatus(const CDevice& device, uint32_t* status, uint32_t* problem) {
    return Access().GetDeviceStatus(device.GetElement(), status, problem);
}

std::wstring DeviceProblemText(const CDevice& device) {
    uint32_t status = 0, problem = 0;
    return ReadDeviceStatus(device, &status, &problem) ? ProblemText(status, problem) : L"";
}

CDriverClass* FindClassRecord(const DriverClassList& classes, const Guid& classGuid) {
    for (const auto& record : classes)
        if (record->GetGuid() == classGuid) return record.get();
    return nullptr;
}

CDevice* FindDeviceRecord(const DriverClassList& classes, const FilterTarget& target) {
    CDriverClass* record = FindClassRecord(classes, target.classGuid);
    if (!record || !target.IsDevice()) return nullptr;
    for (const auto& device : record->GetDeviceList())
        if (UpperCase(DeviceInstanceId(*device)) == UpperCase(target.instanceId)) return device.get();
    return nullptr;
}

bool ReadTargetList(const DriverClassList& classes, const FilterTarget& target, StoredList* stored) {
    if (target.IsDevice()) {
        CDevice* device = FindDeviceRecord(classes, target);
        return device && ReadDeviceFilters(*device, target.upper, stored);
    }
    CDriverClass* record = FindClassRecord(classes, target.classGuid);
    return record && ReadClassFilters(record->GetClassKey(), target.upper, stored);
}

}  // namespace qx
