#include "ui/framework/SystemCompat.h"

bool AfxSamePath(const CString& a, const CString& b) {
    using PfnCompareStringOrdinal = int(WINAPI*)(LPCWCH, int, LPCWCH, int, BOOL);
    static const auto pfnCompare = reinterpret_cast<PfnCompareStringOrdinal>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CompareStringOrdinal")));
    if (!pfnCompare) return AfxSamePathByUpperCase(a, b);
    return pfnCompare(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool AfxSamePathByUpperCase(const CString& a, const CString& b) {
    if (a.size() != b.size()) return false;
    CString upperA = a, upperB = b;
    if (!upperA.empty()) CharUpperBuffW(&upperA[0], static_cast<DWORD>(upperA.size()));
    if (!upperB.empty()) CharUpperBuffW(&upperB[0], static_cast<DWORD>(upperB.size()));
    return upperA == upperB;
}
