// Dialogs built from templates held as data (resource_data.h), their modal and modeless runs,
// data exchange between controls and members, and keyboard accelerators.
#pragma once
#include <memory>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/ddx.h"
#include "platform/ui/font.h"
#include "platform/ui/resource_data.h"
#include "platform/ui/window.h"

class QWidget;

// A keyboard accelerator: a key that is a command of its dialog whichever of the dialog's
// controls has the focus. key is a virtual key: 'A'..'Z', '0'..'9', VK_F1..VK_F12 or
// VK_OEM_COMMA, VK_OEM_PLUS (the key of '=' and '+', either one typed) or VK_OEM_MINUS; fVirt
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
#define VK_OEM_PLUS 0xBB
#define VK_OEM_MINUS 0xBD

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
