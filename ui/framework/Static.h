// A static text control bound to a dialog control.
#pragma once
#include "ui/framework/Wnd.h"

class CStatic : public CWnd {};
