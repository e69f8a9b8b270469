// The application object.
#pragma once
#include "app/CommandLine.h"
#include "platform/afx.h"

class CKIVERNApp : public CWinApp {
public:
    CKIVERNApp();
    BOOL InitInstance() override;

    // What the command line asks of the main window (set by main before the framework runs).
    CKivernStartup m_startup;
    int m_nLanguage = -1;  // LANG_* of the command line; -1: the settings' choice
};

extern CKIVERNApp theApp;
