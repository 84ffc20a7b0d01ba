// What a later Windows adds, for the oldest Windows we run on (Windows 2000): each
// function is looked up at run time and falls back to our own code where it is missing.
#pragma once
#include "ui/framework/Afx.h"

// Whether two paths name the same file as far as letter case goes: an ordinal
// comparison that ignores case (CompareStringOrdinal, Windows Vista on).
bool AfxSamePath(const CString& a, const CString& b);

// The fallback: both paths upper-cased with the system's table (CharUpperBuffW), then
// compared code unit by code unit.
bool AfxSamePathByUpperCase(const CString& a, const CString& b);
