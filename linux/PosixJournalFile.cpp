// The change journal's file on Linux. Two writers take turns through an exclusive flock
// held while the file is open to append (the journal's lock: from reading its last entry
// to appending the next); readers take no lock.
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "linux/HiveFile.h"
#include "linux/HiveRegistry.h"
#include "model/JournalFile.h"
#include "model/Types.h"
#include "model/Utf8.h"

namespace qx {
namespace {

int Fd(void* file) { return static_cast<int>(reinterpret_cast<intptr_t>(file)) - 1; }
void* FileOf(int fd) { return reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1); }

std::string Local(const std::wstring& path) { return Utf8FromWide(path); }

std::wstring Wide(const char* text) {
    std::wstring wide;
    return text && WideFromUtf8(text, &wide) ? wide : std::wstring();
}

}  // namespace

long JournalFile::OpenToAppend(const std::wstring& path) {
    Close();
    int fd = ::open(Local(path).c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return ErrorFromErrno(errno);
    // The other writer holds it for one append: wait a few seconds at most.
    for (int tries = 0; ::flock(fd, LOCK_EX | LOCK_NB) != 0; ++tries) {
        if (errno != EWOULDBLOCK || tries >= 100) {
            long error = ErrorFromErrno(errno);
            ::close(fd);
            return error;
        }
        ::usleep(50 * 1000);
    }
    m_file = FileOf(fd);
    return kErrSuccess;
}

long JournalFile::OpenToRead(const std::wstring& path) {
    Close();
    int fd = ::open(Local(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ErrorFromErrno(errno);
    struct stat st{};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return kErrAccessDenied;
    }
    m_file = FileOf(fd);
    return kErrSuccess;
}

void JournalFile::Close() {
    if (!m_file) return;
    ::close(Fd(m_file));  // lets go of the lock too
    m_file = nullptr;
}

long JournalFile::Size(uint64_t* cb) {
    struct stat st{};
    if (!m_file || ::fstat(Fd(m_file), &st) != 0) return m_file ? ErrorFromErrno(errno) : kErrInvalidHandle;
    *cb = static_cast<uint64_t>(st.st_size);
    return kErrSuccess;
}

long JournalFile::ReadAt(uint64_t offset, char* buffer, uint32_t cb, uint32_t* cbRead) {
    *cbRead = 0;
    if (!m_file) return kErrInvalidHandle;
    while (*cbRead < cb) {
        ssize_t got = ::pread(Fd(m_file), buffer + *cbRead, cb - *cbRead, static_cast<off_t>(offset + *cbRead));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return ErrorFromErrno(errno);
        if (got == 0) break;
        *cbRead += static_cast<uint32_t>(got);
    }
    return kErrSuccess;
}

long JournalFile::Read(char* buffer, uint32_t cb, uint32_t* cbRead) {
    *cbRead = 0;
    if (!m_file) return kErrInvalidHandle;
    ssize_t got;
    do got = ::read(Fd(m_file), buffer, cb);
    while (got < 0 && errno == EINTR);
    if (got < 0) return ErrorFromErrno(errno);
    *cbRead = static_cast<uint32_t>(got);
    return kErrSuccess;
}

long JournalFile::AppendWhole(const std::string& bytes) {
    if (!m_file) return kErrInvalidHandle;
    const int fd = Fd(m_file);
    struct stat st{};
    if (::fstat(fd, &st) != 0) return ErrorFromErrno(errno);
    size_t at = 0;
    long error = kErrSuccess;
    while (at < bytes.size()) {
        ssize_t put = ::write(fd, bytes.data() + at, bytes.size() - at);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            error = ErrorFromErrno(put < 0 ? errno : ENOSPC);
            break;
        }
        at += static_cast<size_t>(put);
    }
    if (!error && ::fsync(fd) != 0) error = ErrorFromErrno(errno);
    if (error && ::ftruncate(fd, st.st_size) == 0) ::fsync(fd);  // nothing of the entry stays
    return error;
}

long CreateJournalFolder(const std::wstring& path) {
    const std::string folder = Local(path);
    // Each missing folder on the way, as the Windows side does.
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = slash == std::string::npos ? folder : folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return ErrorFromErrno(errno);
        if (slash == std::string::npos) break;
    }
    struct stat st{};
    if (::stat(folder.c_str(), &st) != 0) return ErrorFromErrno(errno);
    return S_ISDIR(st.st_mode) ? kErrSuccess : kErrNotAFolder;
}

// kErrSuccess for a folder, kErrNotAFolder for anything else; otherwise why it was not
// found (3, ERROR_PATH_NOT_FOUND, when it is not there).
long FindFolder(const std::wstring& path) {
    struct stat st{};
    if (::stat(Local(path).c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR ? 3 : ErrorFromErrno(errno);
    return S_ISDIR(st.st_mode) ? kErrSuccess : kErrNotAFolder;
}

// Trusted when root or the account running now owns the folder or file. The mode bits are
// not asked: an NTFS volume mounted with ntfs-3g shows every file as writable by all,
// whatever the installation's own access lists say. 1336 (ERROR_INVALID_ACL) when another
// account owns it, with *who naming it.
long CheckJournalTrust(const std::wstring& path, std::wstring* who, bool* owned) {
    struct stat st{};
    if (::stat(Local(path).c_str(), &st) != 0) return ErrorFromErrno(errno);
    *owned = true;
    if (st.st_uid == 0 || st.st_uid == ::geteuid()) return kErrSuccess;
    passwd* owner = ::getpwuid(st.st_uid);
    *who = owner ? Wide(owner->pw_name) : L"user " + std::to_wstring(st.st_uid);
    return 1336;
}

std::wstring SpelledAsOnVolume(const std::wstring& path) {
    std::wstring found;
    return WideFromUtf8(FindPathNoCase(path, true), &found) ? found : path;
}

// $XDG_DATA_HOME/quillex/changes.jsonl, or below ~/.local/share when that is unset.
std::wstring LooseHiveJournalPath() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string folder;
    if (data && data[0] == '/') {
        folder = data;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::string(home && home[0] ? home : ".") + "/.local/share";
    }
    return Wide((folder + "/quillex/changes.jsonl").c_str());
}

std::wstring EnvironmentText(const wchar_t* name) { return Wide(std::getenv(Local(name).c_str())); }

// There is no folder for all users' program data here: a run names its journal.
std::wstring CommonAppDataFolder(long* error) {
    *error = kErrFileNotFound;
    return L"";
}

std::wstring CurrentUserName() {
    if (passwd* user = ::getpwuid(::geteuid())) return Wide(user->pw_name);
    return Wide(std::getenv("USER"));
}

std::wstring CurrentComputerName() {
    char name[256] = {};
    if (::gethostname(name, sizeof(name) - 1) != 0) return L"";
    return Wide(name);
}

std::wstring UtcNowText() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &utc);
    return Wide(text);
}

std::wstring ErrorText(long error) {
    switch (error) {
    case kErrSuccess: return L"The operation completed successfully";
    case kErrFileNotFound: return L"The system cannot find the file specified";
    case kErrAccessDenied: return L"Access is denied";
    case 8: return L"Not enough memory resources are available to process this command";
    case 32: return L"The process cannot access the file because it is being used by another process";
    case 112: return L"There is not enough space on the disk";
    case 183: return L"Cannot create a file when that file already exists";
    case kErrNotAFolder: return L"The directory name is invalid";
    case 1009: return L"The configuration registry database is corrupt";
    default: break;
    }
    if (error & 0x20000000) return Wide(std::strerror(static_cast<int>(error & 0xFFFF)));
    return L"Error " + std::to_wstring(error);
}

}  // namespace qx
