#include "app/KIVERN.h"

#include <cstdio>

#include "dialog/KIVERNDlg.h"
#include "options/PathPorts.h"

CKIVERNApp theApp;

CKIVERNApp::CKIVERNApp() : CWinApp("KIVERN") {
    m_pszExeName = "kivern";
    m_pszAppID = "example.quelmar.kivern";
}

BOOL CKIVERNApp::InitInstance() {
    AfxEnableControlContainer();
    // Ports added by path: their links are gone after a reboot. A run that ended without
    // removing its own links (a crash) leaves them to the next start.
    RemoveStaleRunPortLinks();
    CKivernSettings settings;
    if (settings.Load())
        RestorePathPortLinks(settings);
    else
        fprintf(stderr, "kivern: %s; the defaults apply and changes are not saved\n",
                settings.LoadProblem().c_str());
    // The language is chosen before any window is made: every text is made in it.
    if (!AfxSetLanguage(m_nLanguage >= 0 ? m_nLanguage : settings.m_nLanguage))
        fputs("kivern: the English translation is missing; the interface stays Chinese\n", stderr);
    CKIVERNDlg dlg;
    dlg.m_startup = m_startup;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    // FALSE: the framework ends the process instead of running a message loop of its own.
    return FALSE;
}
