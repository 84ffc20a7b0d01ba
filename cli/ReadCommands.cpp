#include <algorithm>

#include "cli/Commands.h"
#include "model/DeviceAccess.h"
#include "model/DeviceProperties.h"
#include "model/Bytes.h"
#include "model/FilterCheck.h"
#include "model/FilterStore.h"
#include "model/RegistrySnapshot.h"
#include "model/StoredList.h"
#include "model/TextForms.h"
#include "model/Utf8.h"

using nlohmann::json;

namespace qxc {

std::wstring ListShown::Text() const { return type.empty() ? NamesText(*names) : L"(" + type + L" " + contents + L")"; }

void ListShown::PutJson(json& j, const char* key) const {
    j[key] = type.empty() ? NamesJson(*names) : json(nullptr);
    if (!type.empty()) j[std::string(key) + "Type"] = U8(type);
}

ListShown ShownList(const CDriverClass& owner, const CDevice* device, bool upper, bool always) {
    ListShown shown{device ? &device->GetFilters(upper) : &owner.GetFilters(upper), L"", L""};
    if (device && shown.names->empty() && !always) return shown;
    qx::StoredList stored;
    const bool read = device ? qx::ReadDeviceFilters(*device, upper, &stored)
                             : qx::ReadClassFilters(owner.GetClassKey(), upper, &stored);
    if (!read || !stored.HoldsOtherType()) return shown;
    shown.type = qx::RegistryTypeName(stored.type);
    shown.contents = stored.OtherTypeContents();
    return shown;
}

namespace {

bool IsFilterList(qx::DeviceNameList list) {
    return list == qx::DeviceNameList::UpperFilters || list == qx::DeviceNameList::LowerFilters;
}

json DeviceSummaryJson(const CDevice& device) {
    json j{{"number", U8(qx::DeviceNumberText(device.GetIndex()))},
           {"instanceId", U8(qx::DeviceInstanceId(device))},
           {"description", U8(device.GetDeviceDesc())}};
    ShownList(*device.GetClass(), &device, true).PutJson(j, "upperFilters");
    ShownList(*device.GetClass(), &device, false).PutJson(j, "lowerFilters");
    return j;
}

// A class's document without its devices.
json ClassJson(const CDriverClass& owner) {
    json j{{"guid", U8(owner.GetGuidString())},
           {"className", U8(ClassNameOf(owner))},
           {"description", U8(owner.GetDescription())}};
    ShownList(owner, nullptr, true).PutJson(j, "upperFilters");
    ShownList(owner, nullptr, false).PutJson(j, "lowerFilters");
    return j;
}

// The text PrintJson prints, written a piece at a time by the library's own serializer:
// a class's devices go out one by one, and no document of every device is built.
class JsonText {
public:
    JsonText() : m_serializer(nlohmann::detail::output_adapter<char>(m_text), ' ') {}
    std::string& Text() { return m_text; }
    // A value whose first line is at `indent` (the text before it on that line is written).
    void Value(const json& value, unsigned indent) { m_serializer.dump(value, true, false, 2, indent); }
    void Member(const std::string& key, unsigned indent, bool first) {
        if (!first) m_text += ",\n";
        m_text.append(indent, ' ');
        m_text += '"';
        m_text += key;
        m_text += "\": ";
    }
    // A text, quoted and escaped as the serializer escapes it.
    void String(const std::wstring& value) {
        const std::string utf8 = U8(value);
        m_text += '"';
        for (char c : utf8) {
            switch (c) {
            case '"': m_text += "\\\""; break;
            case '\\': m_text += "\\\\"; break;
            case '\b': m_text += "\\b"; break;
            case '\f': m_text += "\\f"; break;
            case '\n': m_text += "\\n"; break;
            case '\r': m_text += "\\r"; break;
            case '\t': m_text += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    static const char kHex[] = "0123456789abcdef";
                    ((m_text += "\\u00") += kHex[(c >> 4) & 0xF]) += kHex[c & 0xF];
                } else {
                    m_text += c;
                }
            }
        }
        m_text += '"';
    }
    void Print() {
        m_text += "\r\n";
        Out().WriteUtf8(m_text);
    }

private:
    std::string m_text;
    nlohmann::detail::serializer<json> m_serializer;
};

// A filter list as ListShown::PutJson puts it under `key`, its first line at `indent`.
void WriteListJson(JsonText& out, const ListShown& shown, const char* key, unsigned indent) {
    std::string& text = out.Text();
    out.Member(key, indent, false);
    if (!shown.type.empty()) {
        text += "null";
        out.Member(std::string(key) + "Type", indent, false);
        out.String(shown.type);
    } else if (shown.names->empty()) {
        text += "[]";
    } else {
        text += "[\n";
        for (const std::wstring& name : *shown.names) {
            if (&name != &shown.names->front()) text += ",\n";
            text.append(indent + 2, ' ');
            out.String(name);
        }
        text += '\n';
        text.append(indent, ' ');
        text += ']';
    }
}

// DeviceSummaryJson(device) as the serializer prints it, written straight out: its
// members in the order of their sorted keys.
void WriteDeviceJson(JsonText& out, const CDevice& device, unsigned indent) {
    std::string& text = out.Text();
    text += "{\n";
    out.Member("description", indent + 2, true);
    out.String(device.GetDeviceDesc());
    out.Member("instanceId", indent + 2, false);
    out.String(qx::DeviceInstanceId(device));
    WriteListJson(out, ShownList(*device.GetClass(), &device, false), "lowerFilters", indent + 2);
    out.Member("number", indent + 2, false);
    out.String(qx::DeviceNumberText(device.GetIndex()));
    WriteListJson(out, ShownList(*device.GetClass(), &device, true), "upperFilters", indent + 2);
    text += '\n';
    text.append(indent, ' ');
    text += '}';
}

// What ClassJson holds, with "devices" (when asked for) at its place among the sorted keys.
void WriteClassJson(JsonText& out, const CDriverClass& owner, bool devices, unsigned indent) {
    const json j = ClassJson(owner);
    std::string& text = out.Text();
    bool first = true;
    auto writeDevices = [&] {
        out.Member("devices", indent + 2, first);
        first = false;
        if (owner.GetDeviceList().empty()) {
            text += "[]";
            return;
        }
        text += "[\n";
        for (const auto& device : owner.GetDeviceList()) {
            if (device != owner.GetDeviceList().front()) text += ",\n";
            text.append(indent + 4, ' ');
            WriteDeviceJson(out, *device, indent + 4);
        }
        text += '\n';
        text.append(indent + 2, ' ');
        text += ']';
    };
    text += "{\n";
    for (auto member = j.begin(); member != j.end(); ++member) {
        if (devices && member.key() > "devices") {
            writeDevices();
            devices = false;
        }
        out.Member(member.key(), indent + 2, first);
        first = false;
        out.Value(member.value(), indent + 2);
    }
    if (devices) writeDevices();
    text += '\n';
    text.append(indent, ' ');
    text += '}';
}

void AddDeviceRows(Table& table, const CDriverClass& owner) {
    for (const auto& device : owner.GetDeviceList())
        table.Add({L"  " + qx::DeviceNumberText(device->GetIndex()), qx::DeviceInstanceId(*device),
                   device->GetDeviceDesc(), ShownList(owner, device.get(), true).Text(),
                   ShownList(owner, device.get(), false).Text()});
}

StringList RegistryRow(const CRegistryValue& row) {
    FormattedValue value = FormatRegistryValue(row.GetType(), row.GetData(), row.GetDataLength());
    return {row.GetKeyPath(), row.GetValueName(), value.typeName, value.contents};
}

int ShowClass(Session& session, const CDriverClass& owner) {
    if (session.args.Has(kJson)) {
        JsonText out;
        WriteClassJson(out, owner, true, 0);
        out.Print();
        return kExitDone;
    }
    Table fields;
    fields.Add({L"Class Guid:", owner.GetGuidString()});
    fields.Add({L"Class:", ClassNameOf(owner)});
    fields.Add({L"Class Name:", owner.GetDescription()});
    fields.Add({L"Class Upper Filters:", ShownList(owner, nullptr, true).Text()});
    fields.Add({L"Class Lower Filters:", ShownList(owner, nullptr, false).Text()});
    fields.Print(Out());
    Out().Line();
    if (owner.GetDeviceList().empty()) {
        Out().Line(L"No devices.");
        return kExitDone;
    }
    Table devices;
    devices.Add({L"Number", L"Instance ID", L"Description", L"Upper Filters", L"Lower Filters"});
    AddDeviceRows(devices, owner);
    devices.Print(Out());
    return kExitDone;
}

// The driver key's path below HKEY_LOCAL_MACHINE, or within the offline hive's file.
std::wstring RegistryKeyOf(const CRegistrySnapshot& snapshot) {
    return qx::CurrentOfflineHive().empty() ? snapshot.GetRootPath() : qx::PathInCurrentHive(snapshot.GetRootPath());
}

int ShowDevice(Session& session, const CDevice& device) {
    const CRegistrySnapshot* snapshot = device.GetRegistryParameters();
    if (session.args.Has(kJson)) {
        json j = DeviceSummaryJson(device);
        j["guid"] = U8(device.GetClass()->GetGuidString());
        for (const qx::DeviceProperty& row : qx::kDeviceProperties) {
            if (row.text != qx::DeviceText::None)
                j[row.jsonKey] = U8(device.GetText(row.text));
            else if (!IsFilterList(row.list))  // the filter lists are the summary's
                j[row.jsonKey] = NamesJson(device.GetList(row.list));
        }
        j["registryKey"] = snapshot ? json(U8(RegistryKeyOf(*snapshot))) : json(nullptr);
        j["registry"] = json::array();
        if (snapshot)
            for (const CRegistryValue& row : snapshot->GetRows()) {
                StringList cells = RegistryRow(row);
                j["registry"].push_back(json{{"keyPath", U8(cells[0])}, {"valueName", U8(cells[1])},
                                             {"type", U8(cells[2])}, {"contents", U8(cells[3])}});
            }
        PrintJson(j);
        return kExitDone;
    }
    Table fields;
    fields.Add({L"Device Instance:", qx::DeviceNumberText(device.GetIndex())});
    fields.Add({L"Instance ID:", qx::DeviceInstanceId(device)});
    for (const qx::DeviceProperty& row : qx::kDeviceProperties) {
        std::wstring text;
        if (row.text != qx::DeviceText::None)
            text = device.GetText(row.text);
        else if (IsFilterList(row.list))
            text = ShownList(*device.GetClass(), &device, row.list == qx::DeviceNameList::UpperFilters).Text();
        else
            text = qx::JoinList(device.GetList(row.list));
        fields.Add({std::wstring(row.label) + L":", text});
    }
    fields.Print(Out());
    Out().Line();
    if (!snapshot) {
        Out().Line(L"No registry parameters: the device has no driver key.");
        return kExitDone;
    }
    const std::wstring& hive = qx::CurrentOfflineHive();
    Out().Line(L"Registry parameters of " +
               (hive.empty() ? L"HKEY_LOCAL_MACHINE\\" + RegistryKeyOf(*snapshot)
                             : RegistryKeyOf(*snapshot) + L" in the offline hive " + hive) +
               L":");
    Table rows;
    rows.Add({L"Key", L"Value", L"Type", L"Contents"});
    for (const CRegistryValue& row : snapshot->GetRows()) rows.Add(RegistryRow(row));
    rows.Print(Out());
    return kExitDone;
}

const wchar_t* SeverityText(qx::Severity severity) {
    return severity == qx::Severity::Error ? L"error" : L"warning";
}

// How the history names a change's list: a device by its instance ID, a class by its
// description and GUID (read from the class key: the history builds no class list).
std::wstring EntryTarget(const qx::JournalEntry& entry) {
    qx::Guid guid;
    wchar_t description[512] = {};
    const bool named = entry.deviceId.empty() && qx::ParseGuid(entry.classGuid, &guid) &&
                       qx::Access().GetClassDescription(guid, description, 512) && description[0];
    description[511] = L'\0';
    std::wstring target = !entry.deviceId.empty() ? entry.deviceId
                          : named ? description + (L" (" + entry.classGuid + L")") : entry.classGuid;
    // A change of another installation's hive says so.
    return entry.hive.empty() ? target : target + L" in " + entry.hive;
}

// The names, or null when nothing was stored or a value of another type was (its type then beside it).
void PutStateJson(json& j, const char* key, const qx::StoredList& state) {
    j[key] = state.present && !state.HoldsOtherType() ? NamesJson(state.Names()) : json(nullptr);
    if (state.HoldsOtherType()) j[std::string(key) + "Type"] = U8(qx::RegistryTypeName(state.type));
}

}  // namespace

std::string U8(const std::wstring& text) { return qx::Utf8FromWide(text); }

json NamesJson(const StringList& names) {
    json list = json::array();
    for (const std::wstring& name : names) list.push_back(U8(name));
    return list;
}

const char* ListKey(bool upper) { return upper ? "upper" : "lower"; }

std::wstring NamesText(const StringList& names) { return names.empty() ? L"(none)" : qx::JoinList(names); }

void PrintJson(const json& document) { Out().WriteUtf8(document.dump(2) + "\r\n"); }

const qx::Journal* SessionJournal(const Session& session) {
    if (session.journal && session.journalContents.error.empty()) return session.journal;
    Err().Line(OneLine(session.journalContents.error));
    return nullptr;
}

bool TakeTarget(Session& session, Target* target) {
    if (session.args.words.empty()) {
        session.args.error = L"\"" + session.args.command + L"\" needs a TARGET: a class GUID, class name or description, or a device instance ID.";
        return false;
    }
    // The class list holds no devices yet (Reads::ClassKeys): a device's instance ID names
    // its class through its Enum key, and only that device is read (its class's devices
    // when it is not among them, for the suggestions). Only "show" prints the device's
    // number, its place among the class's devices: every other command takes a set of
    // the device alone, which costs the same on a machine of any size.
    const std::wstring& text = session.args.words.front();
    const bool details = session.args.command == L"show";
    qx::Guid deviceClass;
    if (qx::DeviceClassOf(text, &deviceClass))
        if (CDriverClass* owner = qx::FindClassRecord(session.classes, deviceClass))
            if (!qx::AddOneDevice(*owner, text, details, details)) qx::AddClassDevices(*owner, false);
    std::wstring error;
    if (!ResolveTarget(session.classes, text, target, &error)) {
        // An unknown TARGET's suggestions search the devices too: read them all, once.
        const bool devicesRead = std::any_of(session.classes.begin(), session.classes.end(), [](const auto& owner) {
            return owner->GetDevInfo() != qx::InvalidHandle();
        });
        bool found = false;
        if (!devicesRead) {
            qx::ReleaseDriverClasses(session.classes);
            qx::DeviceScope every;
            every.details = details;  // "show" may find a device only now
            found = qx::BuildDriverClasses(session.classes, nullptr, every) &&
                    ResolveTarget(session.classes, text, target, &error);
        }
        if (!found) {
            session.args.error = error;
            return false;
        }
    }
    // "show" lists a class's devices.
    if (!target->device && session.args.command == L"show") qx::AddClassDevices(*target->owner, false);
    return true;
}

int RunList(Session& session) {
    if (!session.args.words.empty()) {
        session.args.error = L"\"list\" takes no TARGET; use \"quillexc show TARGET\".";
        return kExitUsage;
    }
    const bool devices = session.args.Has(kDevices);
    if (session.args.Has(kJson)) {
        JsonText out;
        std::string& text = out.Text();
        text += session.classes.empty() ? "[" : "[\n";
        for (const auto& owner : session.classes) {
            if (owner != session.classes.front()) text += ",\n";
            text += "  ";
            WriteClassJson(out, *owner, devices, 2);
        }
        text += session.classes.empty() ? "]" : "\n]";
        out.Print();
        return kExitDone;
    }
    Table table;
    table.KeepWhole(0);  // the GUID
    table.Add({L"GUID", L"Class", L"Description", L"Upper Filters", L"Lower Filters"});
    for (const auto& owner : session.classes) {
        table.Add({owner->GetGuidString(), ClassNameOf(*owner), owner->GetDescription(),
                   ShownList(*owner, nullptr, true).Text(), ShownList(*owner, nullptr, false).Text()});
        if (devices) AddDeviceRows(table, *owner);
    }
    // A console's width: long cells are cut with "..."; show and --json give them whole.
    table.Print(Out(), kConsoleWidth);
    return kExitDone;
}

int RunShow(Session& session) {
    Target target;
    if (!TakeTarget(session, &target)) return kExitUsage;
    if (session.args.words.size() > 1) {
        session.args.error = L"\"show\" takes one TARGET.";
        return kExitUsage;
    }
    return target.device ? ShowDevice(session, *target.device) : ShowClass(session, *target.owner);
}

int RunCheck(Session& session) {
    if (!session.args.words.empty()) {
        session.args.error = L"\"check\" takes no TARGET: it checks every list.";
        return kExitUsage;
    }
    // A check of nothing is no clean bill of health.
    const std::wstring nothingRead = qx::NothingReadText(session.classes);
    if (!nothingRead.empty()) {
        Err().Line(nothingRead);
        return kExitFailed;
    }
    const qx::Findings findings = qx::CheckAllFilters(session.classes);
    const std::wstring note = qx::DriverFileCheckNote();
    if (!note.empty()) Err().Line(note);
    struct Problem {
        const CDevice* device;
        std::wstring text;
    };
    std::vector<Problem> problems;
    for (const auto& owner : session.classes)
        for (const auto& device : owner->GetDeviceList()) {
            std::wstring text = qx::DeviceProblemText(*device);
            if (!text.empty()) problems.push_back({device.get(), text});
        }
    const bool errors = std::any_of(findings.begin(), findings.end(),
                                    [](const qx::Finding& f) { return f.severity == qx::Severity::Error; });

    if (session.args.Has(kJson)) {
        json j{{"errors", errors}, {"driverFilesChecked", !qx::Access().GetWindowsFolder().empty()},
               {"findings", json::array()}, {"deviceProblems", json::array()}};
        if (session.hiveDirty) j["hiveDirty"] = true;
        for (const qx::Finding& f : findings)
            j["findings"].push_back(json{{"rule", U8(f.rule)},
                                         {"severity", U8(SeverityText(f.severity))},
                                         {"target", U8(f.targetText)},
                                         {"guid", U8(qx::GuidText(f.target.classGuid))},
                                         {"instanceId", U8(f.target.instanceId)},
                                         {"list", ListKey(f.target.upper)},
                                         {"name", U8(f.name)},
                                         {"message", U8(f.sentence)}});
        for (const Problem& p : problems)
            j["deviceProblems"].push_back(json{{"guid", U8(p.device->GetClass()->GetGuidString())},
                                               {"instanceId", U8(qx::DeviceInstanceId(*p.device))},
                                               {"description", U8(p.device->GetDeviceDesc())},
                                               {"message", U8(p.text)}});
        PrintJson(j);
        return errors ? kExitCheckErrors : kExitDone;
    }
    for (const qx::Finding& f : findings) {
        std::wstring where = qx::ListTitle(f.target.upper) + L" of " + f.targetText;
        if (f.target.IsDevice()) where += L" (" + f.target.instanceId + L")";
        Out().Line(std::wstring(SeverityText(f.severity)) + L" [" + f.rule + L"] " + where +
                   (f.name.empty() ? L"" : L": " + f.name));
        Out().Line(L"    " + OneLine(f.sentence));
    }
    for (const Problem& p : problems)
        Out().Line(L"device problem: " + qx::DeviceInstanceId(*p.device) + L" (" + p.device->GetDeviceDesc() + L"): " + p.text);
    const size_t errorCount = std::count_if(findings.begin(), findings.end(),
                                            [](const qx::Finding& f) { return f.severity == qx::Severity::Error; });
    Out().Line(std::to_wstring(errorCount) + L" error(s), " + std::to_wstring(findings.size() - errorCount) +
               L" warning(s), " + std::to_wstring(problems.size()) + L" device problem(s).");
    return errors ? kExitCheckErrors : kExitDone;
}

int RunHistory(Session& session) {
    if (!session.args.words.empty()) {
        session.args.error = L"\"history\" takes no TARGET.";
        return kExitUsage;
    }
    const qx::Journal* journal = SessionJournal(session);
    if (!journal) return kExitFailed;
    const qx::JournalContents& contents = session.journalContents;
    if (contents.skipped || contents.tornEnd || contents.idsNotRising || contents.idsMissing) {
        std::wstring damage = L"The change journal " + journal->Path() + L" is damaged:";
        if (contents.skipped || contents.tornEnd)
            damage += L" " + std::to_wstring(contents.skipped + (contents.tornEnd ? 1 : 0)) + L" damaged line(s) skipped.";
        if (contents.idsNotRising)
            damage += L" " + std::to_wstring(contents.idsNotRising) + L" entry id(s) repeat or fall.";
        if (contents.idsMissing) damage += L" " + std::to_wstring(contents.idsMissing) + L" entry id(s) missing.";
        Err().Line(damage);
    }
    if (session.args.Has(kJson)) {
        json entries = json::array();
        for (const qx::JournalEntry& e : contents.entries) {
            json j{{"id", e.id}, {"time", U8(e.time)}, {"user", U8(e.user)}, {"computer", U8(e.computer)},
                   {"guid", U8(e.classGuid)}, {"instanceId", U8(e.deviceId)}, {"list", ListKey(e.upper)},
                   {"origin", U8(qx::OriginName(e))}};
            PutStateJson(j, "before", e.before);
            PutStateJson(j, "after", e.after);
            j["undoes"] = e.origin == qx::ChangeOrigin::Undo ? json(e.undoes) : json(nullptr);
            if (!e.hive.empty()) j["hive"] = U8(e.hive);
            if (!e.hiveComputer.empty()) j["hiveComputer"] = U8(e.hiveComputer);
            if (e.afterUnverified) j["afterUnverified"] = true;
            entries.push_back(j);
        }
        PrintJson(json{{"journal", U8(journal->Path())}, {"changes", entries}});
        return kExitDone;
    }
    if (contents.entries.empty()) {
        Out().Line(L"No changes recorded in " + journal->Path() + L".");
        return kExitDone;
    }
    Table table;
    for (size_t column : {0, 1, 6}) table.KeepWhole(column);  // the number, the time, the origin
    table.Add({L"#", L"Time (UTC)", L"Class or Device", L"List", L"Old List", L"New List", L"Origin"});
    for (const qx::JournalEntry& e : contents.entries)
        table.Add({std::to_wstring(e.id), e.time, EntryTarget(e), qx::ListTitle(e.upper),
                   qx::StateText(e.before), qx::StateText(e.after) + (e.afterUnverified ? L" (not read back)" : L""),
                   qx::OriginText(e)});
    table.Print(Out(), kConsoleWidth);
    return kExitDone;
}

}  // namespace qxc
