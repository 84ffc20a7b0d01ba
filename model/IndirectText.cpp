#include "model/IndirectText.h"

namespace qx {
namespace {

// "<file>,-<id>" taken apart; false for any other form.
bool SplitResourceReference(const std::wstring& reference, std::wstring* file, uint32_t* id) {
    const size_t comma = reference.rfind(L',');
    if (comma == std::wstring::npos || comma == 0 || comma + 2 >= reference.size() || reference[comma + 1] != L'-')
        return false;
    uint64_t value = 0;
    for (size_t i = comma + 2; i < reference.size(); ++i) {
        if (reference[i] < L'0' || reference[i] > L'9' || value > 0xFFFFF) return false;
        value = value * 10 + static_cast<uint32_t>(reference[i] - L'0');
    }
    *file = reference.substr(0, comma);
    *id = static_cast<uint32_t>(value);
    return true;
}

}  // namespace

bool ResolveIndirectText(IDeviceAccess& access, const std::wstring& stored, const StringList& languages,
                         std::wstring* text) {
    if (stored.empty() || stored[0] != L'@') {
        *text = stored;
        return true;
    }
    const size_t semicolon = stored.find(L';');
    if (semicolon != std::wstring::npos) {
        *text = stored.substr(semicolon + 1);
        return true;
    }
    std::wstring file;
    uint32_t id = 0;
    const std::wstring windows = access.GetWindowsFolder();
    if (windows.empty() || !SplitResourceReference(stored.substr(1), &file, &id)) return false;
    file = access.ExpandEnvironment(file);
    if (file.find(L'%') != std::wstring::npos) return false;
    const bool full = file.size() >= 2 && (file[1] == L':' || file[0] == L'\\');
    if (!full) file = windows + L"\\System32\\" + file;
    file = access.MapInstallationPath(file);
    if (!access.FileExists(file)) return false;
    if (access.LoadStringResource(file, id, text)) return true;
    // Since Windows Vista a system file's strings live in its language resource.
    const size_t slash = file.rfind(L'\\');
    for (const std::wstring& language : languages) {
        const std::wstring mui = file.substr(0, slash + 1) + language + L'\\' + file.substr(slash + 1) + L".mui";
        if (access.LoadStringResource(mui, id, text)) return true;
    }
    return false;
}

}  // namespace qx
