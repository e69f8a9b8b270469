// The About box.
#pragma once
#include "platform/afx.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
