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

    // Creates the file if need be. Other programs may go on reading but not writing, so
    // two writers take turns: while another holds the file this waits (a few seconds
    // at most) before giving up with the sharing error.
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

// Creates the folder unless it is there already; kErrNotAFolder when a file has its name.
long CreateJournalFolder(const std::wstring& path);
constexpr long kErrNotAFolder = 267;  // ERROR_DIRECTORY

// The common application data folder (for all users), or empty with *error set.
std::wstring CommonAppDataFolder(long* error);
std::wstring CurrentUserName();      // empty when unknown
std::wstring CurrentComputerName();  // empty when unknown
std::wstring UtcNowText();           // ISO 8601: 2024-05-01T09:03:07Z
std::wstring ErrorText(long error);  // the platform's sentence for an error code

}  // namespace qx
