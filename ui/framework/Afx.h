// Common ground of our application framework layer: platform headers, the few
// global helpers, and the text type the program's classes use.
#pragma once
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <initializer_list>
#include <string>

#include "common/Object.h"
#include "ui/framework/FrameworkIds.h"

using CString = std::wstring;

class CWinApp;
class CWinThread;
class CWnd;

CWinApp* AfxGetApp();
CWinThread* AfxGetThread();  // the current thread's object (the application on the main thread)
CWnd* AfxGetMainWnd();       // the current thread's main window, or null
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// A string from the program's string table; empty when absent.
CString AfxLoadString(UINT nID);
// Field nField (from 0) of a text whose fields are separated by '\n'.
CString AfxExtractSubString(const CString& text, int nField);
// String nIDS of the string table with %1, %2, ... replaced by args (in one pass: a
// '%' inside an argument is left as it is).
CString AfxFormatStrings(UINT nIDS, std::initializer_list<CString> args);

// Every message of the program goes through here: captioned with the application
// title, owned by the main window when there is one.
int AfxMessageBox(const CString& text, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = 0);

// What a message box was asked to show; tests install a hook that records it and
// answers without a person.
struct AfxMessageBoxRequest {
    HWND hWndOwner;
    CString text;
    CString caption;
    UINT nType;
    UINT nIDHelp;
};
using AfxMessageBoxHook = std::function<int(const AfxMessageBoxRequest&)>;
AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook);  // returns the previous one

// Ends the calling user-interface thread at once (its object deleted when bDelete).
void AfxEndThread(UINT nExitCode, BOOL bDelete = TRUE);

// Our private window messages.
#define WM_QX_BASE (WM_APP + 0x3F00)
#define WM_INITIALUPDATE (WM_QX_BASE + 1)    // a view's initial update
#define WM_IDLEUPDATECMDUI (WM_QX_BASE + 2)  // wParam TRUE: disable items without handler
#define WM_SETMESSAGESTRING (WM_QX_BASE + 3) // wParam: prompt id, or lParam: text
#define WM_POPMESSAGESTRING (WM_QX_BASE + 4)
#define WM_OPENDEFERRED (WM_QX_BASE + 5)     // open the documents asked for during a modal loop

// Reflected messages reach the child control's map under this offset.
#define WM_REFLECT_BASE 0xBC00

// Frame style: add the document's title to the caption.
#define FWS_ADDTOTITLE 0x00008000L
