// The About box (template 100).
#pragma once
#include "ui/framework/Dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
