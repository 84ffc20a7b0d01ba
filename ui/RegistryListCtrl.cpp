#include "ui/RegistryListCtrl.h"

BEGIN_MESSAGE_MAP(CRegistryListCtrl, CListCtrl)
END_MESSAGE_MAP()

void CRegistryListCtrl::DrawItem(LPDRAWITEMSTRUCT) {
    // Rows are drawn by the full-row drawing that comes with the list's own work.
}

CString CRegistryListCtrl::FitText(HDC, const CString& text, int, int) { return text; }
