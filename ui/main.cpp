// Quillex's entry point: the framework runs the application object.
#include "ui/CarvelApp.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow) {
    // The application object lives in the program's library; naming it here links it in.
    if (AfxGetApp() != &theApp) return -1;
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
