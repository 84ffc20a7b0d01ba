#include "model/FilterCheck.h"

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

Finding Make(const FilterTarget& target, const std::wstring& name, const wchar_t* ruleId,
             std::wstring sentence) {
    Finding finding;
    finding.target = target;
    finding.name = name;
    finding.rule = ruleId;
    finding.severity = RuleSeverity(ruleId);
    finding.sentence = std::move(sentence);
    return finding;
}

// The name rules in order; a name that is no service name, or names no service, meets
// no later rule, and the driver rules are moot for a service that is no driver.
void CheckName(const FilterTarget& target, const std::wstring& name, bool bootClass, Findings& out,
               bool errorsOnly = false) {
    std::wstring sentence = InvalidNameRule(name);
    if (!sentence.empty()) return out.push_back(Make(target, name, rule::InvalidName, sentence));
    ServiceFacts facts = ReadServiceFacts(name);
    sentence = MissingServiceRule(name, facts);
    if (!sentence.empty()) return out.push_back(Make(target, name, rule::MissingService, sentence));
    sentence = ServiceDisabledRule(name, facts);
    if (!sentence.empty()) out.push_back(Make(target, name, rule::ServiceDisabled, sentence));
    sentence = NotADriverRule(name, facts);
    if (!sentence.empty()) return out.push_back(Make(target, name, rule::NotADriver, sentence));
    sentence = DriverFileMissingRule(name, facts);
    if (!sentence.empty()) out.push_back(Make(target, name, rule::DriverFileMissing, sentence));
    if (errorsOnly) return;
    sentence = BootStartNeededRule(name, facts, bootClass);
    if (!sentence.empty()) out.push_back(Make(target, name, rule::BootStartNeeded, sentence));
}

Findings CheckNames(const FilterTarget& target, const StringList& names, const ClassRules& rules) {
    Findings out;
    bool bootClass = rules.IsBootClass(target.classGuid);
    for (const auto& name : names) CheckName(target, name, bootClass, out);
    for (const auto& duplicate : DuplicateRule(names))
        out.push_back(Make(target, duplicate.first, rule::Duplicate, duplicate.second));
    return out;
}

void Append(Findings& out, Findings more, const std::wstring& targetText) {
    for (auto& finding : more) {
        finding.targetText = targetText;
        out.push_back(std::move(finding));
    }
}

// The rules that fail the devices using a list; on a list no device uses, they warn.
bool FailsDevices(const Finding& finding) {
    return finding.rule == rule::MissingService || finding.rule == rule::ServiceDisabled ||
           finding.rule == rule::NotADriver || finding.rule == rule::DriverFileMissing;
}

void MarkUnused(Findings& findings) {
    for (Finding& finding : findings) {
        if (!FailsDevices(finding)) continue;
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

Finding UnreadableList(const FilterTarget& target) {
    return Make(target, L"", rule::Unreadable,
                L"The list cannot be read (access is denied, or the value is damaged), so it was not checked "
                L"and what it does to the devices is unknown. Check the key's permissions, or store the list again.");
}

// A class's own lists, checked; a list no device of the class uses only warns.
void CheckClassLists(KeyHandle classKey, const Guid& guid, bool used, const std::wstring& text,
                     const ClassRules& rules, Findings& out) {
    StoredList stored;
    for (bool upper : {true, false}) {
        FilterTarget target{guid, L"", upper};
        if (!ReadClassFilters(classKey, upper, &stored)) {
            Append(out, {UnreadableList(target)}, text);
            continue;
        }
        Findings found = CheckStoredList(target, stored, rules);
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

bool HasError(const FilterTarget& target, const std::wstring& name) {
    Findings errors;
    CheckName(target, name, false, errors, true);
    return !errors.empty();
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

std::wstring DriverFilePath(const std::wstring& name, const ServiceFacts& facts) {
    const std::wstring windows = Access().GetWindowsFolder();
    if (!facts.hasImagePath) return windows + L"\\System32\\drivers\\" + name + L".sys";
    std::wstring path = facts.imagePathType == kRegExpandSz ? Expand(facts.imagePath, windows) : facts.imagePath;
    if (facts.imagePathType == kRegExpandSz && path.find(L'%') != std::wstring::npos) return L"";
    if (StartsWith(path, L"\\SystemRoot\\")) return windows + path.substr(11);
    if (StartsWith(path, L"\\??\\")) path = path.substr(4);
    bool full = path.size() >= 2 && (path[1] == L':' || path[0] == L'\\');
    return full ? Access().MapInstallationPath(path) : windows + L'\\' + path;
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

std::wstring MissingServiceRule(const std::wstring& name, const ServiceFacts& facts) {
    if (facts.present) return L"";
    return L"No service named " + Quoted(name) + L" is installed, so " + kDevicesFail +
           L". Remove the name, or install the filter driver again.";
}

std::wstring InvalidNameRule(const std::wstring& name) {
    if (name.empty())
        return L"The list holds an empty name, which names no service: the devices that use this "
               L"list fail to start. Store the list again without it.";
    if (name.find(L'\\') == std::wstring::npos) return L"";
    return Quoted(name) + L" is not a service name (it holds a backslash), so the devices that use "
           L"this list fail to start. Remove it from the list.";
}

std::wstring WrongTypeRule(const StoredList& stored) {
    if (!stored.present || stored.type == kRegMultiSz || stored.type == kRegSz) return L"";
    return L"The list is stored as " + RegistryTypeName(stored.type) + L", which the platform does not read as a "
           L"list of filters: no name in it is in force. Store the list again, or remove the value.";
}

std::wstring HiddenEntriesRule(const ListContents& contents) {
    if (contents.hidden.empty()) return L"";
    return L"The names " + JoinList(contents.hidden) + L" are stored after an empty string, so the "
           L"platform ignores them and a save drops them. Store the list again with the names you want.";
}

std::wstring NotADriverRule(const std::wstring& name, const ServiceFacts& facts) {
    if (!facts.present || (facts.hasType && (facts.type == kKernelDriver || facts.type == kFileSystemDriver)))
        return L"";
    std::wstring hex = HexText(facts.type);
    hex.erase(0, hex.find_first_not_of(L'0') < 7 ? hex.find_first_not_of(L'0') : 7);
    std::wstring type = facts.hasType ? L"its Type is 0x" + hex : L"it has no Type";
    return L"Service " + Quoted(name) + L" is not a driver (" + type + L"), so it cannot be a filter and " + kDevicesFail +
           L". Remove the name from the list.";
}

std::wstring ServiceDisabledRule(const std::wstring& name, const ServiceFacts& facts) {
    if (!facts.present || !facts.hasStart || facts.start != kStartDisabled) return L"";
    return L"Service " + Quoted(name) + L" is disabled (Start 4), so " + kDevicesFail +
           L". Remove the name, or enable the service again.";
}

std::wstring DriverFileMissingRule(const std::wstring& name, const ServiceFacts& facts) {
    // Without the installation's Windows folder no path can be told (see DriverFileCheckNote).
    if (!facts.present || Access().GetWindowsFolder().empty()) return L"";
    std::wstring path = DriverFilePath(name, facts);
    if (path.empty()) {
        for (const auto& known : g_unresolvedDriverFiles)
            if (SameNameNoCase(known, name)) return L"";
        g_unresolvedDriverFiles.push_back(name);
        return L"";
    }
    if (Access().FileExists(path)) return L"";
    return L"The driver file of " + Quoted(name) + L", " + path + L", does not exist, so " + kDevicesFail +
           L". Install the driver again, or remove the name.";
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

std::wstring BootStartNeededRule(const std::wstring& name, const ServiceFacts& facts, bool bootClass) {
    if (!bootClass || !facts.present || (facts.hasStart && facts.start == 0)) return L"";
    std::wstring start = facts.hasStart ? L"Start " + std::to_wstring(facts.start) : L"no Start";
    return L"Service " + Quoted(name) + L" is not a boot driver (" + start + L"), but this class's "
           L"devices are needed while the machine starts. Make sure the filter may start late.";
}

std::vector<std::pair<std::wstring, std::wstring>> DuplicateRule(const StringList& names) {
    std::vector<std::pair<std::wstring, std::wstring>> found;
    for (size_t i = 0; i < names.size(); ++i) {
        bool repeated = false, reported = false;
        for (size_t j = 0; j < i; ++j) repeated = repeated || UpperCase(names[j]) == UpperCase(names[i]);
        for (const auto& entry : found) reported = reported || UpperCase(entry.first) == UpperCase(names[i]);
        if (repeated && !reported)
            found.emplace_back(names[i], Quoted(names[i]) + L" is named more than once in this list, so "
                                         L"the filter is stacked more than once. Remove the extra names.");
    }
    return found;
}

Findings CheckProposedList(const FilterTarget& target, const StringList& names, const ClassRules& rules) {
    return CheckNames(target, names, rules);
}

Findings CheckStoredList(const FilterTarget& target, const StoredList& stored, const ClassRules& rules) {
    Findings out;
    std::wstring sentence = WrongTypeRule(stored);
    if (!sentence.empty()) {
        out.push_back(Make(target, L"", rule::WrongType, sentence));
        return out;
    }
    ListContents contents = TakeApart(stored);
    sentence = HiddenEntriesRule(contents);
    if (!sentence.empty()) out.push_back(Make(target, JoinList(contents.hidden), rule::HiddenEntries, sentence));
    Findings names = CheckNames(target, contents.names, rules);
    out.insert(out.end(), names.begin(), names.end());
    return out;
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
                Append(out,
                       ReadDeviceFilters(*device, upper, &stored) ? CheckStoredList(target, stored, rules)
                                                                  : Findings{UnreadableList(target)},
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
        if (!HasError(target, name)) repaired.push_back(name);
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
