#include "app/KIVERN.h"

#include "dialog/KIVERNDlg.h"

CKIVERNApp theApp;

CKIVERNApp::CKIVERNApp() : CWinApp("KIVERN") {
    m_pszExeName = "kivern";
    m_pszAppID = "example.quelmar.kivern";
}

BOOL CKIVERNApp::InitInstance() {
    AfxEnableControlContainer();
    CKIVERNDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // FALSE: the framework ends the process instead of running a message loop of its own.
    return FALSE;
}
