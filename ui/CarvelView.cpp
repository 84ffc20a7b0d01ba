#include "ui/CarvelView.h"

IMPLEMENT_DYNCREATE(CCarvelView, CView)

void CCarvelView::OnDraw(HDC) {}
