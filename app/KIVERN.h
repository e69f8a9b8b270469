// The application object.
#pragma once
#include "platform/afx.h"

class CKIVERNApp : public CWinApp {
public:
    CKIVERNApp();
    BOOL InitInstance() override;
};

extern CKIVERNApp theApp;
