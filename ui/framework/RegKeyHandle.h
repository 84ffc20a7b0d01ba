// An open registry key of the framework's own (profile, shell registration), closed
// on every path.
#pragma once
#include "ui/framework/Afx.h"

class CRegKeyHandle {
public:
    CRegKeyHandle() = default;
    explicit CRegKeyHandle(HKEY h) : m_h(h) {}
    CRegKeyHandle(const CRegKeyHandle&) = delete;
    CRegKeyHandle& operator=(const CRegKeyHandle&) = delete;
    CRegKeyHandle(CRegKeyHandle&& other) noexcept : m_h(other.m_h) { other.m_h = nullptr; }
    ~CRegKeyHandle() { Close(); }

    void Close() {
        if (m_h) RegCloseKey(m_h);
        m_h = nullptr;
    }
    LONG Create(HKEY parent, const CString& subKey) {
        Close();
        return RegCreateKeyExW(parent, subKey.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &m_h, nullptr);
    }
    HKEY Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    HKEY m_h = nullptr;
};
