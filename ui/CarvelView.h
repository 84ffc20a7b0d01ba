// The view the document template names. The frame makes its own panes instead, so
// this view is never created; it draws nothing.
#pragma once
#include "ui/framework/View.h"

class CCarvelView : public CView {
    DECLARE_DYNCREATE(CCarvelView)
public:
    void OnDraw(HDC hDC) override;
};
