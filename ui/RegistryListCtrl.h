// The registry parameters list (form control 1065): an owner-drawn report list that
// draws each row across its full width and shortens texts that do not fit with "...".
#pragma once
#include "ui/framework/ListCtrl.h"

class CRegistryListCtrl : public CListCtrl {
public:
    ~CRegistryListCtrl() override = default;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    // The text itself when it fits in nWidth pixels with nMargin to spare, otherwise its
    // longest head that fits followed by "..." (never less than its first character).
    static CString FitText(HDC hDC, const CString& text, int nWidth, int nMargin);
};
