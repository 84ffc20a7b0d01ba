// The journal's file, folder and facts about the session, from the platform. The window
// part of the platform headers is kept out; the one shell function used is declared here
// rather than taken from shlobj.h, which needs the window headers.
#define NOUSER
#define NOGDI
#include <windows.h>

#include <cwchar>

#include "model/JournalFile.h"

extern "C" __declspec(dllimport) HRESULT WINAPI SHGetFolderPathW(HWND, int, HANDLE, DWORD, LPWSTR);

namespace qx {
namespace {

constexpr int kCsidlCommonAppData = 0x0023;
constexpr int kCsidlFlagCreate = 0x8000;
// How long a writer waits for another to finish its entry.
constexpr int kShareRetries = 100;
constexpr DWORD kShareRetryMs = 50;

long SetPosition(HANDLE file, uint64_t offset, DWORD method) {
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, distance, nullptr, method) ? ERROR_SUCCESS : static_cast<long>(GetLastError());
}

}  // namespace

long JournalFile::OpenToAppend(const std::wstring& path) {
    Close();
    for (int attempt = 0;; ++attempt) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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

long CreateJournalFolder(const std::wstring& path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ERROR_SUCCESS : kErrNotAFolder;
        if (CreateDirectoryW(path.c_str(), nullptr)) return ERROR_SUCCESS;
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS) return static_cast<long>(error);
        // Made by someone else meanwhile: look again.
    }
    return ERROR_ALREADY_EXISTS;
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
