#include "model/Journal.h"

#include <cstring>
#include <deque>
#include <algorithm>
#include <unordered_map>
#include <nlohmann/json.hpp>

#include "model/JournalFile.h"
#include "model/TextForms.h"
#include "model/Utf8.h"

namespace qx {
namespace {

using nlohmann::json;

// A line longer than this is not one of ours: it is skipped unread.
constexpr size_t kMaxLine = Journal::kMaxLine;
// How much of the file's end an append reads to find the last id.
constexpr uint32_t kTailBytes = 64 * 1024;
constexpr size_t kChunk = 64 * 1024;

// Each origin but Unknown has its row, in the order of the enumeration.
constexpr bool EveryOriginOnce() {
    int at = 0;
    for (const OriginRow& row : kOrigins)
        if (static_cast<int>(row.origin) != at++) return false;
    return at == static_cast<int>(ChangeOrigin::Unknown);
}
static_assert(EveryOriginOnce(), "each ChangeOrigin needs its row in kOrigins");

const OriginRow* RowOf(ChangeOrigin origin) {
    for (const OriginRow& row : kOrigins)
        if (row.origin == origin) return &row;
    return nullptr;
}

// A name of no row is kept as written, with origin Unknown.
bool ParseOrigin(const std::string& name, JournalEntry* entry) {
    for (const OriginRow& row : kOrigins) {
        if (name == row.name) {
            entry->origin = row.origin;
            return true;
        }
    }
    entry->origin = ChangeOrigin::Unknown;
    return !name.empty() && WideFromUtf8(name, &entry->originName);
}

std::string HexOf(const std::vector<uint8_t>& data) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(data.size() * 2);
    for (uint8_t b : data) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0xF];
    }
    return hex;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool BytesOf(const std::string& hex, std::vector<uint8_t>* data) {
    if (hex.size() % 2) return false;
    data->clear();
    data->reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        data->push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return true;
}

json StateJson(const StoredList& state) {
    if (!state.present) return json{{"present", false}};
    json names = json::array();
    for (const auto& name : state.Names()) names.push_back(Utf8FromWide(name));
    return json{{"present", true}, {"type", state.type}, {"data", HexOf(state.data)}, {"names", names}};
}

bool ParseState(const json& j, StoredList* state) {
    if (!j.is_object() || !j.contains("present") || !j["present"].is_boolean()) return false;
    *state = StoredList{};
    if (!j["present"].get<bool>()) return true;
    if (!j.contains("type") || !j["type"].is_number_unsigned() || !j.contains("data") || !j["data"].is_string())
        return false;
    uint64_t type = j["type"].get<uint64_t>();
    if (type > 0xFFFFFFFFu || !BytesOf(j["data"].get<std::string>(), &state->data)) return false;
    state->present = true;
    state->type = static_cast<uint32_t>(type);
    return true;
}

// Optional text fields read as empty when missing; present ones must be text.
bool ParseText(const json& j, const char* key, bool required, std::wstring* text) {
    text->clear();
    if (!j.contains(key)) return !required;
    return j[key].is_string() && WideFromUtf8(j[key].get<std::string>(), text);
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Hands each line of text to take, the last one too when it has no line end. A line
// end's '\r' is left on the line: JSON reads it as white space.
template <typename Take>
void EachLine(const std::string& text, Take take) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        take(text.substr(start, end - start));
        start = end + 1;
    }
}

bool IsBlank(const std::string& line) { return line.find_first_not_of(" \t\r") == std::string::npos; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The lines of the file that are not blank, readable or not: each has taken an id.
uint64_t CountLines(JournalFile& file, uint64_t cbFile, long* error) {
    uint64_t lines = 0;
    bool inLine = false;  // the line in hand has more than white space
    std::vector<char> chunk(kChunk);
    for (uint64_t offset = 0; offset < cbFile;) {
        uint32_t cbRead = 0;
        *error = file.ReadAt(offset, chunk.data(), static_cast<uint32_t>(chunk.size()), &cbRead);
        if (*error != kErrSuccess || cbRead == 0) break;
        for (uint32_t i = 0; i < cbRead; ++i) {
            char c = chunk[i];
            if (c == '\n') {
                lines += inLine;
                inLine = false;
            } else if (!IsSpace(c)) {
                inLine = true;
            }
        }
        offset += cbRead;
    }
    return lines + inLine;
}

// The largest id among the entries at the file's end; 0 when none of them is whole.
uint64_t LastIdInTail(JournalFile& file, uint64_t cbFile, long* error) {
    uint32_t cbTail = cbFile < kTailBytes ? static_cast<uint32_t>(cbFile) : kTailBytes;
    std::string tail(cbTail, '\0');
    uint32_t cbRead = 0;
    *error = file.ReadAt(cbFile - cbTail, &tail[0], cbTail, &cbRead);
    tail.resize(cbRead);
    if (cbTail < cbFile) {
        // The first line is cut off by the tail's start.
        size_t firstEnd = tail.find('\n');
        tail.erase(0, firstEnd == std::string::npos ? tail.size() : firstEnd + 1);
    }
    uint64_t last = 0;
    EachLine(tail, [&](const std::string& line) {
        JournalEntry entry;
        if (ParseEntryLine(line, &entry) && entry.id > last) last = entry.id;
    });
    return last;
}

}  // namespace

std::wstring OriginName(const JournalEntry& entry) {
    const OriginRow* row = RowOf(entry.origin);
    if (!row) return entry.originName;
    const std::string name = row->name;
    return std::wstring(name.begin(), name.end());  // the names are ASCII
}

std::string EntryLine(const JournalEntry& entry) {
    json j = {
        {"id", entry.id},
        {"time", Utf8FromWide(entry.time)},
        {"user", Utf8FromWide(entry.user)},
        {"computer", Utf8FromWide(entry.computer)},
        {"class", Utf8FromWide(entry.classGuid)},
    };
    if (!entry.deviceId.empty()) j["device"] = Utf8FromWide(entry.deviceId);
    j["list"] = entry.upper ? "upper" : "lower";
    j["before"] = StateJson(entry.before);
    j["after"] = StateJson(entry.after);
    if (entry.afterUnverified) j["afterUnverified"] = true;
    j["origin"] = Utf8FromWide(OriginName(entry));
    if (entry.origin == ChangeOrigin::Undo) j["undoes"] = entry.undoes;
    if (entry.origin == ChangeOrigin::Undo && !entry.undoesTime.empty()) j["undoesTime"] = Utf8FromWide(entry.undoesTime);
    if (!entry.hive.empty()) j["hive"] = Utf8FromWide(entry.hive);
    if (!entry.hiveComputer.empty()) j["hiveComputer"] = Utf8FromWide(entry.hiveComputer);
    // Text is valid UTF-8 by construction; dump() escapes nothing beyond JSON's needs.
    return j.dump();
}

bool ParseEntryLine(const std::string& line, JournalEntry* entry) {
    json j = json::parse(line, nullptr, false);
    if (j.is_discarded() || !j.is_object()) return false;
    JournalEntry parsed;
    if (!j.contains("id") || !j["id"].is_number_unsigned() || (parsed.id = j["id"].get<uint64_t>()) == 0 ||
        parsed.id > Journal::kMaxId)
        return false;
    if (!ParseText(j, "time", true, &parsed.time) || !ParseText(j, "user", false, &parsed.user) ||
        !ParseText(j, "computer", false, &parsed.computer) || !ParseText(j, "class", true, &parsed.classGuid) ||
        !ParseText(j, "device", false, &parsed.deviceId) || !ParseText(j, "hive", false, &parsed.hive) ||
        !ParseText(j, "hiveComputer", false, &parsed.hiveComputer))
        return false;
    if (!j.contains("list") || !j["list"].is_string()) return false;
    std::string list = j["list"].get<std::string>();
    if (list != "upper" && list != "lower") return false;
    parsed.upper = list == "upper";
    if (!j.contains("before") || !ParseState(j["before"], &parsed.before)) return false;
    if (!j.contains("after") || !ParseState(j["after"], &parsed.after)) return false;
    if (j.contains("afterUnverified")) {
        if (!j["afterUnverified"].is_boolean()) return false;
        parsed.afterUnverified = j["afterUnverified"].get<bool>();
    }
    if (!j.contains("origin") || !j["origin"].is_string() || !ParseOrigin(j["origin"].get<std::string>(), &parsed))
        return false;
    if (parsed.origin == ChangeOrigin::Undo) {
        if (!j.contains("undoes") || !j["undoes"].is_number_unsigned()) return false;
        parsed.undoes = j["undoes"].get<uint64_t>();
        if (!ParseText(j, "undoesTime", false, &parsed.undoesTime)) return false;
    }
    *entry = std::move(parsed);
    return true;
}

std::wstring Journal::DefaultPath(std::wstring* error) {
    // A journal of its own for a run that names one (a test, a script's dry run).
    std::wstring named = EnvironmentText(L"QUILLEX_JOURNAL");
    if (!named.empty()) {
        error->clear();
        return named;
    }
    long code = 0;
    std::wstring folder = CommonAppDataFolder(&code);
    if (folder.empty()) {
        *error = L"The common application data folder is unknown: " + ErrorText(code) + L".";
        return std::wstring();
    }
    error->clear();
    if (folder.back() != L'\\') folder += L'\\';
    return folder + L"Quillex\\changes.jsonl";
}

namespace {

// The head of every reason the journal cannot take an entry.
std::wstring CannotWrite(const std::wstring& path) { return L"The change journal " + path + L" cannot be written: "; }

// Whether only trusted accounts own the folder or file and may change it; false with
// *error naming the path and the account when not.
bool Trusted(const std::wstring& journal, const std::wstring& path, std::wstring* error) {
    std::wstring who;
    bool owned = false;
    long code = CheckJournalTrust(path, &who, &owned);
    if (code == kErrSuccess) return true;
    if (code == kErrUntrusted) {
        *error = CannotWrite(journal) + path + (owned ? L" is owned by " : L" may be changed by ") + who +
                 L", not only by Administrators or SYSTEM, so its entries cannot be trusted. Check it, then delete "
                 L"it or give it to Administrators.";
    } else {
        *error = CannotWrite(journal) + L"the security of " + path + L" cannot be read (" + ErrorText(code) + L").";
    }
    return false;
}

// Makes the journal's folder, checks who may change it, and opens the file for appending;
// false with *error set (and *busy when another writer holds the file).
bool OpenJournalToAppend(const std::wstring& path, JournalFile& file, std::wstring* error, bool* busy) {
    const std::wstring cannot = CannotWrite(path);
    std::wstring folder = FolderOf(path);
    if (!folder.empty()) {
        long code = CreateJournalFolder(folder);
        if (code == kErrNotAFolder) {
            *error = cannot + L"a file named " + folder + L" stands where its folder should be.";
            return false;
        }
        if (code != kErrSuccess) {
            *error = cannot + L"its folder cannot be created (" + ErrorText(code) + L").";
            return false;
        }
        if (!Trusted(path, folder, error)) return false;
    }
    long code = file.OpenToAppend(path);
    if (code == kErrBusy) {
        *error = cannot + L"another change is in progress (another window, quillexc or script holds the journal).";
        *busy = true;
        return false;
    }
    if (code != kErrSuccess) {
        *error = cannot + ErrorText(code) + L".";
        return false;
    }
    if (!Trusted(path, path, error)) {
        file.Close();
        return false;
    }
    return true;
}

}  // namespace

JournalLock::JournalLock() = default;
JournalLock::~JournalLock() = default;
void JournalLock::Release() { m_file.reset(); }

bool Journal::Lock(JournalLock* lock, std::wstring* error, bool* busy) const {
    lock->Release();
    bool unasked = false;
    if (!busy) busy = &unasked;
    *busy = false;
    auto file = std::make_unique<JournalFile>();
    if (!OpenJournalToAppend(m_path, *file, error, busy)) return false;
    lock->m_file = std::move(file);
    error->clear();
    return true;
}

bool Journal::Append(JournalEntry& entry, std::wstring* error) const {
    JournalLock lock;
    return Lock(&lock, error) && Append(lock, entry, error);
}

namespace {
// Room in a line for the fields given when the entry is appended (time, user, computer).
constexpr size_t kAppendRoom = 4096;
}  // namespace

bool Journal::Fits(const JournalEntry& entry) { return EntryLine(entry).size() + kAppendRoom <= kMaxLine; }

bool Journal::Append(JournalLock& lock, JournalEntry& entry, std::wstring* error) const {
    const std::wstring cannot = CannotWrite(m_path);
    if (!lock.Held()) {
        *error = cannot + L"it is not held for this change.";
        return false;
    }
    if (!RowOf(entry.origin)) {
        *error = cannot + L"the change's origin is unknown.";
        return false;
    }
    JournalFile& file = *lock.m_file;
    long code = kErrSuccess;
    uint64_t cbFile = 0;
    code = file.Size(&cbFile);
    uint64_t lastId = 0;
    bool endsWithLine = true;
    if (code == kErrSuccess && cbFile > 0) {
        char lastByte = 0;
        uint32_t cbRead = 0;
        code = file.ReadAt(cbFile - 1, &lastByte, 1, &cbRead);
        endsWithLine = cbRead == 1 && lastByte == '\n';
        if (code == kErrSuccess) lastId = LastIdInTail(file, cbFile, &code);
        if (code == kErrSuccess && lastId == 0 && cbFile > kTailBytes) {
            // No whole entry at the end: ask the whole file.
            for (const auto& e : Read().entries)
                if (e.id > lastId) lastId = e.id;
        }
        // Every line has taken an id, whether it can be read now or not.
        uint64_t lines = code == kErrSuccess ? CountLines(file, cbFile, &code) : 0;
        if (lines > lastId) lastId = lines;
    }
    if (code != kErrSuccess) {
        *error = cannot + ErrorText(code) + L".";
        return false;
    }
    if (lastId >= kMaxId) {
        *error = cannot + L"its ids are used up.";
        return false;
    }
    entry.id = lastId + 1;
    entry.time = UtcNowText();
    entry.user = CurrentUserName();
    entry.computer = CurrentComputerName();
    // A torn last line gets its line end first, so that it never swallows this entry.
    std::string bytes = (endsWithLine ? "" : "\n") + EntryLine(entry) + "\n";
    if (bytes.size() > kMaxLine) {
        *error = cannot + L"the entry would be longer than the journal's bound of " +
                 std::to_wstring(kMaxLine >> 20) + L" MiB a line.";
        return false;
    }
    code = file.AppendWhole(bytes);
    if (code != kErrSuccess) {
        *error = cannot + ErrorText(code) + L".";
        return false;
    }
    error->clear();
    return true;
}

JournalContents Journal::Read(size_t limit, size_t cbLimit) const {
    JournalContents contents;
    JournalFile file;
    const std::wstring cannot = L"The change journal " + m_path + L" cannot be read: ";
    long code = file.OpenToRead(m_path);
    if (code == kErrFileNotFound || code == kErrPathNotFound) {
        // None yet, unless a file stands where its folder should be.
        std::wstring folder = FolderOf(m_path);
        if (!folder.empty() && FindFolder(folder) == kErrNotAFolder)
            contents.error = cannot + L"a file named " + folder + L" stands where its folder should be.";
        return contents;
    }
    if (code != kErrSuccess) {
        contents.error = cannot + ErrorText(code) + L".";
        return contents;
    }
    std::deque<std::pair<JournalEntry, size_t>> kept;  // with the size of its line
    size_t cbKept = 0;
    uint64_t lastId = 0;
    auto keep = [&](JournalEntry&& entry, size_t cbLine) {
        if (entry.id <= lastId)
            ++contents.idsNotRising;
        else
            contents.idsMissing += entry.id - lastId - 1;
        lastId = std::max(lastId, entry.id);
        kept.emplace_back(std::move(entry), cbLine);
        cbKept += cbLine;
        while (kept.size() > limit || (kept.size() > 1 && cbKept > cbLimit)) {
            cbKept -= kept.front().second;
            kept.pop_front();
            ++contents.dropped;
        }
    };
    auto take = [&](const std::string& line) {
        JournalEntry entry;
        if (ParseEntryLine(line, &entry))
            keep(std::move(entry), line.size());
        else if (!IsBlank(line))
            ++contents.skipped;
    };
    std::string line;
    bool overlong = false;  // the line in hand passed kMaxLine: skip to its end
    std::vector<char> chunk(kChunk);
    for (;;) {
        uint32_t cbRead = 0;
        code = file.Read(chunk.data(), static_cast<uint32_t>(chunk.size()), &cbRead);
        if (code != kErrSuccess) {
            contents.error = L"The change journal " + m_path + L" could not be read to its end: " +
                             ErrorText(code) + L".";
            break;
        }
        if (cbRead == 0) break;
        const char* p = chunk.data();
        const char* end = p + cbRead;
        while (p < end) {
            const char* newline = static_cast<const char*>(std::memchr(p, '\n', end - p));
            const char* stop = newline ? newline : end;
            if (!overlong) {
                line.append(p, stop);
                if (line.size() > kMaxLine) {
                    overlong = true;
                    line.clear();
                }
            }
            if (newline) {
                if (overlong)
                    ++contents.skipped;
                else
                    take(line);
                line.clear();
                overlong = false;
            }
            p = newline ? newline + 1 : end;
        }
    }
    // A last line without its line end was cut short (or is being written as we read):
    // passed over without counting it, unless it reads as a whole entry.
    JournalEntry entry;
    if (!overlong && ParseEntryLine(line, &entry))
        keep(std::move(entry), line.size());
    else if (overlong || !IsBlank(line))
        contents.tornEnd = true;
    contents.entries.reserve(kept.size());
    for (auto& held : kept) contents.entries.push_back(std::move(held.first));
    return contents;
}

bool IsUndoOf(const JournalEntry& undo, const JournalEntry& change) {
    return undo.origin == ChangeOrigin::Undo && change.origin != ChangeOrigin::Undo && undo.undoes == change.id &&
           (undo.undoesTime.empty() || undo.undoesTime == change.time) && undo.classGuid == change.classGuid &&
           undo.deviceId == change.deviceId && undo.upper == change.upper && undo.hive == change.hive;
}

namespace {

// A path as the platform compares it: without case, either slash.
std::wstring PathKey(const std::wstring& path) {
    std::wstring key = UpperCase(path);
    for (wchar_t& c : key)
        if (c == L'/') c = L'\\';
    return key;
}

}  // namespace

bool SameInstallation(const JournalEntry& entry, const std::wstring& hive, const std::wstring& computer) {
    if (entry.hive.empty() || hive.empty()) return entry.hive.empty() && hive.empty();
    if (PathKey(entry.hive) != PathKey(hive)) return false;
    // Another installation's disk mounted at the same letter has another computer name.
    return entry.hiveComputer.empty() || computer.empty() || UpperCase(entry.hiveComputer) == UpperCase(computer);
}

std::vector<const JournalEntry*> UndoableEntries(const std::vector<JournalEntry>& entries, const std::wstring& hive,
                                                 const std::wstring& computer) {
    std::vector<const JournalEntry*> found;
    // The undos seen so far (newer than the entry in hand), by the id they reverse.
    std::unordered_multimap<uint64_t, const JournalEntry*> undos;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (!SameInstallation(*it, hive, computer) || it->origin == ChangeOrigin::Unknown) continue;
        if (it->origin == ChangeOrigin::Undo) {
            undos.emplace(it->undoes, &*it);
            continue;
        }
        auto range = undos.equal_range(it->id);
        bool undone = false;
        for (auto u = range.first; u != range.second && !undone; ++u) undone = IsUndoOf(*u->second, *it);
        if (!undone) found.push_back(&*it);
    }
    return found;
}

const JournalEntry* EntryToUndo(const std::vector<const JournalEntry*>& undoable, uint64_t id) {
    if (!id) return undoable.empty() ? nullptr : undoable.front();
    for (const JournalEntry* entry : undoable)
        if (entry->id == id) return entry;
    return nullptr;
}

const JournalEntry* NextToUndo(const std::vector<JournalEntry>& entries, const std::wstring& hive,
                               const std::wstring& computer) {
    std::vector<const JournalEntry*> found = UndoableEntries(entries, hive, computer);
    return found.empty() ? nullptr : found.front();
}

const JournalEntry* UnknownOriginInTheWay(const std::vector<JournalEntry>& entries, uint64_t id,
                                          const std::wstring& hive, const std::wstring& computer) {
    const std::vector<const JournalEntry*> undoable = UndoableEntries(entries, hive, computer);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (id) {
            if (it->id != id || !SameInstallation(*it, hive, computer)) continue;
            const bool known = std::any_of(undoable.begin(), undoable.end(), [id](const JournalEntry* e) { return e->id == id; });
            if (!known && it->origin == ChangeOrigin::Unknown) return &*it;
        } else if (!undoable.empty() && &*it == undoable.front()) {
            return nullptr;  // the newest change an undo may reverse comes first
        } else if (it->origin == ChangeOrigin::Unknown && SameInstallation(*it, hive, computer)) {
            return &*it;
        }
    }
    return nullptr;
}

bool StillAsChanged(const JournalEntry& entry, const StoredList& current) { return current == entry.after; }

JournalEntry UndoEntryFor(const JournalEntry& change) {
    JournalEntry undo;
    undo.classGuid = change.classGuid;
    undo.deviceId = change.deviceId;
    undo.upper = change.upper;
    undo.before = change.after;
    undo.after = change.before;
    undo.origin = ChangeOrigin::Undo;
    undo.undoes = change.id;
    undo.undoesTime = change.time;
    undo.hive = change.hive;
    undo.hiveComputer = change.hiveComputer;
    return undo;
}

}  // namespace qx
