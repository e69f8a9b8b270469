// Dialogs built from templates held as data, data exchange between controls and members,
// and the resources (templates, strings, icons) a program hands to the layer.
#pragma once
#include <memory>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/ddx.h"
#include "platform/ui/font.h"
#include "platform/ui/window.h"

class QWidget;

// Window and control styles, with the platform's values.
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_VSCROLL 0x00200000u
#define WS_HSCROLL 0x00100000u
#define WS_SYSMENU 0x00080000u
#define WS_THICKFRAME 0x00040000u
#define WS_GROUP 0x00020000u
#define WS_TABSTOP 0x00010000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_MAXIMIZEBOX 0x00010000u
#define DS_SETFONT 0x40u
#define DS_MODALFRAME 0x80u
#define DS_FIXEDSYS 0x0008u
#define WS_EX_CLIENTEDGE 0x00000200u
#define WS_EX_STATICEDGE 0x00020000u
#define WS_EX_APPWINDOW 0x00040000u
#define BS_PUSHBUTTON 0x0u
#define BS_DEFPUSHBUTTON 0x1u
#define BS_AUTOCHECKBOX 0x3u
#define BS_GROUPBOX 0x7u
#define ES_LEFT 0x0u
#define ES_MULTILINE 0x4u
#define ES_AUTOVSCROLL 0x40u
#define ES_AUTOHSCROLL 0x80u
#define ES_READONLY 0x800u
#define ES_WANTRETURN 0x1000u
#define SS_LEFT 0x0u
#define SS_RIGHT 0x2u
#define SS_ICON 0x3u
#define SS_NOPREFIX 0x80u
#define CBS_DROPDOWN 0x2u
#define CBS_DROPDOWNLIST 0x3u
#define CBS_SORT 0x100u

// Control classes of a template. "LOGEDIT" is the layer's multi-line edit for a large,
// append-only byte log: it shows its bound text without copying it and keeps typing out.
// An edit, list or log right after a text label (or a check box that leads into it) in the
// template takes that text, without its colon and aligning spaces, as its accessible name, as
// a screen reader would name it; CWnd::SetAccessibleName gives another.
#define WC_BUTTON "BUTTON"
#define WC_EDIT "EDIT"
#define WC_STATIC "STATIC"
#define WC_COMBOBOX "COMBOBOX"
#define WC_LOGEDIT "LOGEDIT"

struct DLGITEM {
    const char* className;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;  // dialog units
    int id;
    const char* text;  // GBK; for an icon static, the icon's resource id as "#128"
};

struct DLGTEMPLATE_DATA {
    UINT id;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    const char* caption;  // GBK
    int pointSize;
    int weight;
    int charSet;
    const char* faceName;  // GBK
    const DLGITEM* items;
    int itemCount;
};

struct STRINGRES {
    UINT id;
    const char* text;  // GBK
};

struct ICONRES {
    UINT id;
    const unsigned char* png;  // PNG images of the icon, several sizes
    const unsigned int* pngSizes;
    int imageCount;
};

struct AFX_RESOURCES {
    const DLGTEMPLATE_DATA* const* dialogs;
    int dialogCount;
    const STRINGRES* strings;
    int stringCount;
    const ICONRES* icons;
    int iconCount;
};

void AfxSetResources(const AFX_RESOURCES* pResources);
const DLGTEMPLATE_DATA* AfxFindTemplate(UINT nID);
BOOL AfxLoadString(UINT nID, CString& rString);
HICON AfxLoadIcon(UINT nID);

// A keyboard accelerator: a key that is a command of its dialog whichever of the dialog's
// controls has the focus. key is a virtual key: 'A'..'Z', '0'..'9', VK_F1..VK_F12 or
// VK_OEM_COMMA; fVirt
// holds FVIRTKEY and the modifiers that must be down (no others may be).
struct ACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};
#define FVIRTKEY 0x01
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10
#define VK_F1 0x70
#define VK_F3 0x72
#define VK_F12 0x7B
#define VK_OEM_COMMA 0xBC

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    virtual INT_PTR DoModal();
    // A modeless dialog: created, initialised and shown; it lives until DestroyWindow.
    BOOL Create(UINT nIDTemplate = 0, CWnd* pParentWnd = nullptr);
    BOOL DestroyWindow();
    void EndDialog(int nResult);
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    // Control notifications are not delivered while an exchange runs.
    BOOL IsInDataExchange() const { return m_nExchangeDepth > 0; }
    virtual void OnOK();
    virtual void OnCancel();
    // The dialog's accelerator table (replaces the last): a press of one of its keys is sent
    // to the dialog as WM_COMMAND with the command and 1 in the high word (see ON_COMMAND).
    void SetAccelerators(const ACCEL* pAccel, int nCount);
    // Layer internals: the command of a key press (Qt key and modifiers), or 0.
    WORD FindAccelerator(int qtKey, int qtModifiers) const;

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    CMenu* GetSystemMenu(BOOL bRevert) override;
    DECLARE_MESSAGE_MAP()

    // Layer internals.
    void NotifyFromControl(int nID, UINT nCode, HWND hCtrl);
    // Dialog units to pixels, from the template font.
    int DluToPixelX(int du) const { return du * m_baseX / 4; }
    int DluToPixelY(int du) const { return du * m_baseY / 8; }

protected:
    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    BOOL CreateFromTemplate();
    void DestroyDialogWindow();
    std::vector<std::unique_ptr<CWnd>> m_controls;
    std::unique_ptr<CMenu> m_sysMenu;
    std::vector<ACCEL> m_accel;
    int m_nExchangeDepth = 0;
    int m_baseX = 6, m_baseY = 12;
    bool m_bInitialized = false;
    friend class DialogWidget;
};

#define IDC_STATIC (-1)
