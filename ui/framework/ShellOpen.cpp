// The application's part in the shell: registration of the document type, and the
// open requests that the shell sends by DDE to a running program.
#include <vector>

#include "ui/framework/FrameWnd.h"
#include "ui/framework/RegKeyHandle.h"
#include "ui/framework/SingleDocTemplate.h"
#include "ui/framework/WinApp.h"

namespace {

bool SetDefaultValue(const CString& subKey, const CString& value) {
    CRegKeyHandle key;
    if (key.Create(HKEY_CLASSES_ROOT, subKey) != ERROR_SUCCESS) return false;
    DWORD cb = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), cb) ==
           ERROR_SUCCESS;
}

CString GetDefaultValue(const CString& subKey) {
    CRegKeyHandle key;
    if (key.Open(HKEY_CLASSES_ROOT, subKey) != ERROR_SUCCESS) return CString();
    wchar_t value[512] = {};
    DWORD cb = sizeof(value) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &cb) != ERROR_SUCCESS ||
        type != REG_SZ)
        return CString();
    value[cb / sizeof(wchar_t)] = L'\0';
    return value;
}

CString ModulePath() {
    std::vector<wchar_t> path(MAX_PATH * 4, L'\0');
    DWORD cch = GetModuleFileNameW(AfxGetInstanceHandle(), path.data(), static_cast<DWORD>(path.size()));
    return (cch > 0 && cch < path.size()) ? CString(path.data(), cch) : CString();
}

}  // namespace

void CWinApp::EnableShellOpen() {
    if (m_atomApp) return;
    m_atomApp = GlobalAddAtomW(m_pszExeName.c_str());
    m_atomSystemTopic = GlobalAddAtomW(L"system");
}

void CWinApp::RegisterShellFileTypes(BOOL bCompat) {
    if (!m_pDocTemplate) return;
    CString typeId, typeName, ext;
    m_pDocTemplate->GetDocString(typeId, CSingleDocTemplate::regFileTypeId);
    m_pDocTemplate->GetDocString(typeName, CSingleDocTemplate::regFileTypeName);
    m_pDocTemplate->GetDocString(ext, CSingleDocTemplate::filterExt);
    CString module = ModulePath();
    if (typeId.empty() || module.empty()) return;
    const CString quoted = L"\"" + module + L"\"";

    // Failures are left alone: a user without rights to the shell's classes still
    // gets a working program.
    SetDefaultValue(typeId, typeName.empty() ? typeId : typeName);
    SetDefaultValue(typeId + L"\\DefaultIcon", quoted + L",0");
    if (m_atomApp) {
        // The shell first asks a running program by DDE, and starts one with /dde if none answers.
        SetDefaultValue(typeId + L"\\shell\\open\\command", quoted + L" /dde");
        SetDefaultValue(typeId + L"\\shell\\open\\ddeexec", L"[open(\"%1\")]");
        SetDefaultValue(typeId + L"\\shell\\open\\ddeexec\\application", m_pszExeName);
        SetDefaultValue(typeId + L"\\shell\\open\\ddeexec\\topic", L"system");
    } else {
        SetDefaultValue(typeId + L"\\shell\\open\\command", quoted + L" \"%1\"");
    }
    if (bCompat) {
        SetDefaultValue(typeId + L"\\shell\\print\\command", quoted + L" /p \"%1\"");
        SetDefaultValue(typeId + L"\\shell\\printto\\command", quoted + L" /pt \"%1\" \"%2\" \"%3\" \"%4\"");
    }
    // The extension is ours unless another document type already claims it.
    if (!ext.empty()) {
        CString current = GetDefaultValue(ext);
        if (current.empty() || current == typeId) SetDefaultValue(ext, typeId);
    }
}

namespace {

// One "[name(arg, "arg", ...)]" command; pos moves past it. False on bad syntax.
bool ParseDdeCommand(const CString& text, size_t& pos, CString& name, std::vector<CString>& args) {
    auto skipSpace = [&] {
        while (pos < text.size() && iswspace(text[pos])) ++pos;
    };
    skipSpace();
    if (pos >= text.size() || text[pos] != L'[') return false;
    ++pos;
    skipSpace();
    size_t start = pos;
    while (pos < text.size() && iswalpha(text[pos])) ++pos;
    name = text.substr(start, pos - start);
    if (name.empty()) return false;
    skipSpace();
    args.clear();
    if (pos < text.size() && text[pos] == L'(') {
        ++pos;
        for (;;) {
            skipSpace();
            if (pos >= text.size()) return false;
            if (text[pos] == L')' && args.empty()) break;
            CString arg;
            if (text[pos] == L'"') {
                ++pos;
                // A doubled quote stands for one quote inside the argument.
                for (;;) {
                    if (pos >= text.size()) return false;
                    if (text[pos] == L'"') {
                        if (pos + 1 < text.size() && text[pos + 1] == L'"') {
                            arg.push_back(L'"');
                            pos += 2;
                            continue;
                        }
                        ++pos;
                        break;
                    }
                    arg.push_back(text[pos++]);
                }
            } else {
                while (pos < text.size() && text[pos] != L',' && text[pos] != L')') arg.push_back(text[pos++]);
                while (!arg.empty() && iswspace(arg.back())) arg.pop_back();
            }
            args.push_back(arg);
            skipSpace();
            if (pos < text.size() && text[pos] == L',') {
                ++pos;
                continue;
            }
            break;
        }
        if (pos >= text.size() || text[pos] != L')') return false;
        ++pos;
        skipSpace();
    }
    if (pos >= text.size() || text[pos] != L']') return false;
    ++pos;
    return true;
}

}  // namespace

BOOL CWinApp::OnDDECommand(LPCWSTR lpszCommand) {
    if (!lpszCommand) return FALSE;
    // The whole request is read before anything is done: a malformed one does nothing.
    CString text = lpszCommand;
    std::vector<CString> files;
    size_t pos = 0;
    for (;;) {
        while (pos < text.size() && iswspace(text[pos])) ++pos;
        if (pos >= text.size()) break;
        CString name;
        std::vector<CString> args;
        if (!ParseDdeCommand(text, pos, name, args)) return FALSE;
        if (_wcsicmp(name.c_str(), L"open") != 0 || args.size() != 1 || args[0].empty()) return FALSE;
        files.push_back(args[0]);
    }
    if (files.empty()) return FALSE;
    for (const CString& file : files) {
        if (!OpenDocumentFile(file.c_str())) return FALSE;
    }
    if (m_pMainWnd && m_pMainWnd->m_hWnd && !m_pMainWnd->IsWindowVisible()) {
        m_pMainWnd->ShowWindow(SW_SHOW);
        m_pMainWnd->UpdateWindow();
    }
    return TRUE;
}
