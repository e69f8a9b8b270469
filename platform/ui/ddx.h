// Data exchange between a dialog's controls and its members: UpdateData(FALSE) writes the
// members into the controls, UpdateData(TRUE) reads them back. A label's text and a bound
// view's string stay the members' own; reading back leaves them as they are.
#pragma once
#include "platform/core/cstring.h"
#include "platform/core/wintypes.h"

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;  // TRUE: controls to members
    CWnd* m_pDlgWnd;
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Check(CDataExchange* pDX, int nIDC, BOOL& value);
// The index of a drop-down list's selection (-1: none).
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
