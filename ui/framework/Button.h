// A push button bound to a dialog control.
#pragma once
#include "ui/framework/Wnd.h"

class CButton : public CWnd {};
