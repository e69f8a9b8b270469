// CDialog: the modal and modeless runs, data exchange, accelerators and the end of a dialog.
#include "platform/ui/dialog.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QPoint>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "platform/logview/logview.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_BN_CLICKED(IDOK, OnOK)
ON_BN_CLICKED(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() { DestroyDialogWindow(); }

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    if (!m_hWnd) return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    ++m_nExchangeDepth;
    DoDataExchange(&dx);
    --m_nExchangeDepth;
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::SetAccelerators(const ACCEL* pAccel, int nCount) {
    m_accel.assign(pAccel, pAccel + std::max(nCount, 0));
}

WORD CDialog::FindAccelerator(int qtKey, int qtModifiers) const {
    int vk = 0;
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        vk = qtKey;
    else if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        vk = VK_F1 + (qtKey - Qt::Key_F1);
    else if (qtKey == Qt::Key_Comma)
        vk = VK_OEM_COMMA;
    else if (qtKey == Qt::Key_Equal || qtKey == Qt::Key_Plus)
        vk = VK_OEM_PLUS;
    else if (qtKey == Qt::Key_Minus)
        vk = VK_OEM_MINUS;
    if (!vk) return 0;
    BYTE mods = FVIRTKEY | ((qtModifiers & Qt::ShiftModifier) ? FSHIFT : 0) |
                ((qtModifiers & Qt::ControlModifier) ? FCONTROL : 0) |
                ((qtModifiers & Qt::AltModifier) ? FALT : 0);
    for (const ACCEL& a : m_accel)
        if (a.key == vk && (a.fVirt | FVIRTKEY) == mods) return a.cmd;
    return 0;
}

void CDialog::EndDialog(int nResult) {
    if (auto* w = static_cast<DialogWidget*>(kvimpl::WidgetOf(this))) {
        w->m_nResult = nResult;
        w->done(nResult);
    }
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    if (message == WM_CLOSE) {
        OnCancel();
        return 0;
    }
    if (message == WM_CONTEXTMENU) {
        CWnd* pWnd = CWnd::FromHandle((HWND)wParam);
        if (auto* view = qobject_cast<LogView*>(pWnd ? kvimpl::WidgetOf(pWnd) : nullptr))
            view->ShowContextMenu(QPoint((short)LOWORD(lParam), (short)HIWORD(lParam)));
        else if (auto* pe =
                     qobject_cast<QPlainTextEdit*>(pWnd ? kvimpl::WidgetOf(pWnd) : nullptr)) {
            QMenu* menu = pe->createStandardContextMenu();
            menu->exec(QPoint((short)LOWORD(lParam), (short)HIWORD(lParam)));
            delete menu;
        }
        return 0;
    }
    if (message == WM_SETICON) {
        SetIcon(reinterpret_cast<HICON>(lParam), wParam != 0);
        return 0;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}

void CDialog::NotifyFromControl(int nID, UINT nCode, HWND hCtrl) {
    if (IsInDataExchange() || !m_bInitialized) return;
    kvimpl::Dispatch(this, WM_COMMAND, MAKEWPARAM(nID, nCode), (LPARAM)hCtrl);
}

INT_PTR CDialog::DoModal() {
    if (!CreateFromTemplate()) return -1;
    auto* w = static_cast<DialogWidget*>(kvimpl::WidgetOf(this));
    m_bInitialized = true;
    BOOL focusDefault = kvimpl::Dispatch(this, WM_INITDIALOG, 0, 0) != 0;
    if (!m_hWnd) return -1;
    w->m_bSizeMessages = true;
    // TRUE from OnInitDialog: the first tab stop gets the focus.
    if (focusDefault) {
        for (QObject* o : w->children()) {
            auto* c = qobject_cast<QWidget*>(o);
            if (c && c->isEnabled() && c->isVisibleTo(w) && (c->focusPolicy() & Qt::TabFocus)) {
                c->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
    w->setModal(true);
    w->exec();
    int result = w->m_nResult;
    DestroyDialogWindow();
    return result;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    if (nIDTemplate) m_nIDTemplate = nIDTemplate;
    if (pParentWnd) m_pParentWnd = pParentWnd;
    if (!CreateFromTemplate()) return FALSE;
    auto* w = static_cast<DialogWidget*>(kvimpl::WidgetOf(this));
    m_bInitialized = true;
    kvimpl::Dispatch(this, WM_INITDIALOG, 0, 0);
    if (!m_hWnd) return FALSE;
    w->m_bSizeMessages = true;
    w->show();
    return TRUE;
}

BOOL CDialog::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    DestroyDialogWindow();
    return TRUE;
}

void CDialog::DestroyDialogWindow() {
    QWidget* w = kvimpl::WidgetOf(this);
    if (!w) return;
    m_bInitialized = false;
    // Dialogs it owns (a modeless box) end first, each with its own windows.
    std::vector<CDialog*> owned;
    for (QObject* o : w->children())
        if (auto* d = dynamic_cast<DialogWidget*>(o))
            if (auto* dlg = dynamic_cast<CDialog*>(d->Owner())) owned.push_back(dlg);
    for (CDialog* dlg : owned) dlg->DestroyDialogWindow();
    // Every control window ends with the dialog, whoever wraps it.
    for (QObject* o : w->children()) {
        if (auto* cw = qobject_cast<QWidget*>(o)) {
            HWND h = kvimpl::HandleOfWidget(cw);
            if (h && h != m_hWnd.load()) {
                if (CWnd* p = kvimpl::LookupWindow(h)) {
                    p->m_hWnd = nullptr;
                    kvimpl::UnregisterWindow(h);
                }
            }
        }
    }
    m_controls.clear();
    m_sysMenu.reset();
    Detach();
    delete w;
}
