// The platform side of the change journal: the file itself, where it lives, and who and
// when a change is recorded for. Errors are the platform's codes (kErrSuccess on success).
#pragma once
#include <cstdint>
#include <string>

namespace qx {

// The journal file, open for appending or for reading. Closed with the object.
class JournalFile {
public:
    JournalFile() = default;
    ~JournalFile() { Close(); }
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    // Creates the file if need be (Administrators and SYSTEM full control, Users read).
    // The open file is the journal's lock: other programs may go on reading but not
    // writing, so two writers take turns over a whole change. While another holds the
    // file this waits (a few seconds at most) before giving up with kErrBusy.
    long OpenToAppend(const std::wstring& path);
    // Reading while a writer appends is allowed. kErrFileNotFound when there is none.
    long OpenToRead(const std::wstring& path);
    void Close();

    long Size(uint64_t* cb);
    long ReadAt(uint64_t offset, char* buffer, uint32_t cb, uint32_t* cbRead);
    long Read(char* buffer, uint32_t cb, uint32_t* cbRead);  // from where the last read ended
    // Writes bytes at the end in one write, then flushes them to the disk. When the write
    // falls short (disk full) the file is cut back to its earlier end: nothing of the
    // bytes remains.
    long AppendWhole(const std::string& bytes);

private:
    void* m_file = nullptr;
};

// Creates the folder unless it is there already (with the file's security), and any
// missing folder above it (with the security its own parent hands down);
// kErrNotAFolder when a file has its name.
long CreateJournalFolder(const std::wstring& path);
constexpr long kErrNotAFolder = 267;  // ERROR_DIRECTORY
// kErrSuccess for a folder, kErrNotAFolder for a file; otherwise why it was not found.
long FindFolder(const std::wstring& path);
// The path with each of its parts that exists spelled as the volume spells it, the parts
// from the first missing one on as given: a volume that matches names with case (NTFS
// mounted on Linux) still finds "Windows" as "WINDOWS". Where the platform's own lookups
// ignore case, the path itself.
std::wstring SpelledAsOnVolume(const std::wstring& path);
// The journal of an offline hive that lies outside an installation's usual place, where
// the platform keeps one for such hives; empty where this machine's journal serves.
std::wstring LooseHiveJournalPath();
constexpr long kErrBusy = 32;         // ERROR_SHARING_VIOLATION: another writer holds it
constexpr long kErrPathNotFound = 3;  // ERROR_PATH_NOT_FOUND

// Whether only trusted accounts (Administrators, SYSTEM, TrustedInstaller, the account
// running now) own the folder or file at path and may change it. kErrSuccess when they
// do; kErrUntrusted with *who naming the owner, or the account that may write, when not;
// another error when its security cannot be read.
long CheckJournalTrust(const std::wstring& path, std::wstring* who, bool* owned);
constexpr long kErrUntrusted = 1336;  // ERROR_INVALID_ACL

// The common application data folder (for all users), or empty with *error set.
std::wstring CommonAppDataFolder(long* error);
// An environment variable's value; empty when it is not set.
std::wstring EnvironmentText(const wchar_t* name);
std::wstring CurrentUserName();      // empty when unknown
std::wstring CurrentComputerName();  // empty when unknown
std::wstring UtcNowText();           // ISO 8601: 2024-05-01T09:03:07Z
std::wstring ErrorText(long error);  // the platform's sentence for an error code

}  // namespace qx
