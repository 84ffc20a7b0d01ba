// The journal's file, folder and facts about the session, from the platform. The window
// part of the platform headers is kept out; the shell and access-control functions used
// are declared here rather than taken from shlobj.h and aclapi.h, which need the window
// headers.
#define NOUSER
#define NOGDI
#include <windows.h>
#include <sddl.h>

#include <cwchar>
#include <memory>

#include "model/JournalFile.h"

extern "C" __declspec(dllimport) HRESULT WINAPI SHGetFolderPathW(HWND, int, HANDLE, DWORD, LPWSTR);
// The object type is SE_FILE_OBJECT (1) here.
extern "C" __declspec(dllimport) DWORD WINAPI GetNamedSecurityInfoW(LPCWSTR, int, SECURITY_INFORMATION, PSID*, PSID*,
                                                                    PACL*, PACL*, PSECURITY_DESCRIPTOR*);

namespace qx {
namespace {

constexpr int kCsidlCommonAppData = 0x0023;
constexpr int kCsidlFlagCreate = 0x8000;
// How long a writer waits for another to finish its entry.
constexpr int kShareRetries = 100;
constexpr DWORD kShareRetryMs = 50;

// Administrators and SYSTEM full control, Users read; nothing inherited from above. The
// owner is Administrators when the account may name it, else the account itself.
constexpr wchar_t kOwner[] = L"O:BA";
constexpr wchar_t kFileAcl[] = L"D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;FR;;;BU)";
constexpr wchar_t kFolderAcl[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;FRFX;;;BU)";
// Rights that let an account change what the journal says.
constexpr DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                               WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

struct LocalDeleter {
    void operator()(void* p) const { LocalFree(p); }
};
using LocalPtr = std::unique_ptr<void, LocalDeleter>;

// A security descriptor from its text form; null when it cannot be made.
LocalPtr Descriptor(const std::wstring& sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &sd, nullptr))
        return nullptr;
    return LocalPtr(sd);
}

// Calls create with security attributes naming Administrators as owner, and again with
// the account as owner when the account may not name that group.
template <typename Create>
bool CreateSecured(const wchar_t* acl, Create create) {
    for (bool adminOwner : {true, false}) {
        LocalPtr sd = Descriptor(std::wstring(adminOwner ? kOwner : L"") + acl);
        SECURITY_ATTRIBUTES attributes{sizeof(attributes), sd.get(), FALSE};
        if (create(sd ? &attributes : nullptr)) return true;
        if (GetLastError() != ERROR_INVALID_OWNER) return false;
    }
    return false;
}

bool SidIs(PSID sid, const wchar_t* text) {
    PSID other = nullptr;
    if (!ConvertStringSidToSidW(text, &other)) return false;
    LocalPtr owned(other);
    return EqualSid(sid, other) != FALSE;
}

bool IsCurrentAccount(PSID sid) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD cb = 0;
    bool same = GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &cb) &&
                EqualSid(sid, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
    CloseHandle(token);
    return same;
}

bool IsTrusted(PSID sid) {
    return SidIs(sid, L"BA") || SidIs(sid, L"SY") ||
           SidIs(sid, L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464") ||  // TrustedInstaller
           IsCurrentAccount(sid);
}

std::wstring AccountName(PSID sid) {
    wchar_t name[256], domain[256];
    DWORD cchName = 256, cchDomain = 256;
    SID_NAME_USE use;
    if (LookupAccountSidW(nullptr, sid, name, &cchName, domain, &cchDomain, &use))
        return cchDomain && domain[0] ? std::wstring(domain) + L"\\" + name : std::wstring(name);
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return L"an unknown account";
    LocalPtr owned(text);
    return text;
}

long SetPosition(HANDLE file, uint64_t offset, DWORD method) {
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, distance, nullptr, method) ? ERROR_SUCCESS : static_cast<long>(GetLastError());
}

}  // namespace

long JournalFile::OpenToAppend(const std::wstring& path) {
    Close();
    for (int attempt = 0;; ++attempt) {
        HANDLE file = INVALID_HANDLE_VALUE;
        CreateSecured(kFileAcl, [&](SECURITY_ATTRIBUTES* attributes) {
            file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, attributes, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
            return file != INVALID_HANDLE_VALUE;
        });
        if (file != INVALID_HANDLE_VALUE) {
            m_file = file;
            return ERROR_SUCCESS;
        }
        DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION || attempt == kShareRetries) return static_cast<long>(error);
        Sleep(kShareRetryMs);
    }
}

long JournalFile::OpenToRead(const std::wstring& path) {
    Close();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return static_cast<long>(GetLastError());
    m_file = file;
    return ERROR_SUCCESS;
}

void JournalFile::Close() {
    if (m_file) CloseHandle(m_file);
    m_file = nullptr;
}

long JournalFile::Size(uint64_t* cb) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_file, &size)) return static_cast<long>(GetLastError());
    *cb = static_cast<uint64_t>(size.QuadPart);
    return ERROR_SUCCESS;
}

long JournalFile::ReadAt(uint64_t offset, char* buffer, uint32_t cb, uint32_t* cbRead) {
    long error = SetPosition(m_file, offset, FILE_BEGIN);
    return error == ERROR_SUCCESS ? Read(buffer, cb, cbRead) : error;
}

long JournalFile::Read(char* buffer, uint32_t cb, uint32_t* cbRead) {
    DWORD cbDone = 0;
    BOOL ok = ReadFile(m_file, buffer, cb, &cbDone, nullptr);
    *cbRead = cbDone;
    return ok ? ERROR_SUCCESS : static_cast<long>(GetLastError());
}

long JournalFile::AppendWhole(const std::string& bytes) {
    if (bytes.size() > MAXDWORD) return ERROR_INVALID_PARAMETER;
    uint64_t cbBefore = 0;
    long error = Size(&cbBefore);
    if (error == ERROR_SUCCESS) error = SetPosition(m_file, cbBefore, FILE_BEGIN);
    if (error != ERROR_SUCCESS) return error;
    DWORD cbWritten = 0;
    if (!WriteFile(m_file, bytes.data(), static_cast<DWORD>(bytes.size()), &cbWritten, nullptr))
        error = static_cast<long>(GetLastError());
    else if (cbWritten != bytes.size())
        error = ERROR_DISK_FULL;
    else if (!FlushFileBuffers(m_file))
        error = static_cast<long>(GetLastError());
    if (error != ERROR_SUCCESS) {
        // Whatever reached the file goes again: an entry is there whole or not at all.
        if (SetPosition(m_file, cbBefore, FILE_BEGIN) == ERROR_SUCCESS) SetEndOfFile(m_file);
        FlushFileBuffers(m_file);
    }
    return error;
}

long FindFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return static_cast<long>(GetLastError());
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ERROR_SUCCESS : kErrNotAFolder;
}

namespace {

// A folder above the journal's (an offline installation without ProgramData), made as
// the system makes any folder: with the security its parent hands down.
long CreatePlainFolder(const std::wstring& path) {
    if (CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    const size_t slash = path.find_last_of(L"\\/");
    if (error != ERROR_PATH_NOT_FOUND || slash == std::wstring::npos || slash == 0 || path[slash - 1] == L':')
        return static_cast<long>(error);
    if (long above = CreatePlainFolder(path.substr(0, slash))) return above;
    if (CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return ERROR_SUCCESS;
    return static_cast<long>(GetLastError());
}

}  // namespace

long CreateJournalFolder(const std::wstring& path) {
    bool aboveMade = false;
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ERROR_SUCCESS : kErrNotAFolder;
        if (CreateSecured(kFolderAcl, [&](SECURITY_ATTRIBUTES* a) { return CreateDirectoryW(path.c_str(), a) != FALSE; }))
            return ERROR_SUCCESS;
        DWORD error = GetLastError();
        if (error == ERROR_PATH_NOT_FOUND && !aboveMade) {
            const size_t slash = path.find_last_of(L"\\/");
            if (slash == std::wstring::npos) return static_cast<long>(error);
            if (long above = CreatePlainFolder(path.substr(0, slash))) return above;
            aboveMade = true;
            continue;
        }
        if (error != ERROR_ALREADY_EXISTS) return static_cast<long>(error);
        // Made by someone else meanwhile: look again.
    }
    return ERROR_ALREADY_EXISTS;
}

std::wstring SpelledAsOnVolume(const std::wstring& path) { return path; }  // names are found in any case here

std::wstring LooseHiveJournalPath() { return L""; }  // this machine's journal

long CheckJournalTrust(const std::wstring& path, std::wstring* who, bool* owned) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    constexpr int kFileObject = 1;  // SE_FILE_OBJECT
    DWORD error = GetNamedSecurityInfoW(path.c_str(), kFileObject,
                                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                                        &dacl, nullptr, &sd);
    if (error != ERROR_SUCCESS) return static_cast<long>(error);
    LocalPtr held(sd);
    if (!owner || !IsTrusted(owner)) {
        *who = owner ? AccountName(owner) : L"no one";
        *owned = true;
        return kErrUntrusted;
    }
    *owned = false;
    if (!dacl) {
        *who = L"Everyone";  // no access list: every account has every right
        return kErrUntrusted;
    }
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) return static_cast<long>(GetLastError());
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) continue;
        auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        PSID sid = &ace->SidStart;
        if ((ace->Mask & kWriteRights) && !IsTrusted(sid)) {
            *who = AccountName(sid);
            return kErrUntrusted;
        }
    }
    return ERROR_SUCCESS;
}

std::wstring CommonAppDataFolder(long* error) {
    wchar_t path[MAX_PATH] = {};
    HRESULT hr = SHGetFolderPathW(nullptr, kCsidlCommonAppData | kCsidlFlagCreate, nullptr, 0, path);
    if (FAILED(hr)) {
        *error = HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<long>(hr);
        return std::wstring();
    }
    *error = ERROR_SUCCESS;
    return path;
}

std::wstring EnvironmentText(const wchar_t* name) {
    DWORD cch = GetEnvironmentVariableW(name, nullptr, 0);
    if (cch == 0) return std::wstring();
    std::wstring text(cch, L'\0');
    cch = GetEnvironmentVariableW(name, &text[0], cch);
    text.resize(cch < text.size() ? cch : 0);
    return text;
}

std::wstring CurrentUserName() {
    wchar_t name[257] = {};  // UNLEN + 1
    DWORD cch = 257;
    return GetUserNameW(name, &cch) ? std::wstring(name) : std::wstring();
}

std::wstring CurrentComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD cch = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &cch) ? std::wstring(name, cch) : std::wstring();
}

std::wstring UtcNowText() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    wchar_t text[32];
    std::swprintf(text, 32, L"%04u-%02u-%02uT%02u:%02u:%02uZ", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    return text;
}

std::wstring ErrorText(long error) {
    wchar_t* buffer = nullptr;
    DWORD cch = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<LPWSTR>(&buffer), 0,
                               nullptr);
    std::wstring text = cch && buffer ? std::wstring(buffer, cch) : std::wstring();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.pop_back();
    if (text.empty()) text = L"Error " + std::to_wstring(error);
    return text;
}

}  // namespace qx
