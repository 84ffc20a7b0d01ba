// An open registry key of the framework's own (profile, shell registration), closed
// on every path. The keys lie outside the machine the model reaches (the current
// user's and the shell's classes), so they go through the platform itself.
#pragma once
#include "common/UniqueKey.h"
#include "ui/framework/Afx.h"

struct CRegKeyClose {
    void operator()(HKEY key) const { RegCloseKey(key); }
};

class CRegKeyHandle : public UniqueKey<HKEY, CRegKeyClose> {
public:
    using UniqueKey::UniqueKey;

    // The registry's error code; the key held before is closed.
    LONG Open(HKEY parent, const CString& subKey) {
        HKEY key = nullptr;
        LONG error = RegOpenKeyExW(parent, subKey.c_str(), 0, KEY_READ, &key);
        return Adopt(error, key);
    }
    LONG Create(HKEY parent, const CString& subKey) {  // read and write access
        HKEY key = nullptr;
        LONG error = RegCreateKeyExW(parent, subKey.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                                     nullptr);
        return Adopt(error, key);
    }
};
