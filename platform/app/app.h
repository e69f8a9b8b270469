// The application object and the program's entry. AfxWinMain creates the Qt application,
// sets the layer up (AfxInitFramework), starts device notifications, hands the program's resources
// to the layer and runs theApp's InitInstance; the process ends when it returns.
#pragma once
#include "platform/ui/dialog.h"

class CWinApp {
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    virtual ~CWinApp();
    virtual BOOL InitInstance();
    HICON LoadIcon(UINT nIDResource) const { return AfxLoadIcon(nIDResource); }
    CWnd* m_pMainWnd = nullptr;
    LPCSTR m_pszAppName;            // the boxes' caption (AfxGetAppName)
    LPCSTR m_pszExeName = nullptr;  // the program's short name, for the desktop environment
    LPCSTR m_pszAppID = nullptr;    // the desktop entry's id, which the window system shows
};

CWinApp* AfxGetApp();
void AfxEnableControlContainer();
int AfxWinMain(int argc, char** argv, const AFX_RESOURCES* pResources);
// Sets the layer up inside a running QApplication: the font substitutes, and the port lists'
// tooltips (each "COMn" item tells its device node and description). AfxWinMain calls it; a
// program that makes its own QApplication (the tests) calls it once after.
void AfxInitFramework();
