#include "platform/ui/ddx.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QSignalBlocker>
#include <unordered_map>

#include "platform/logview/bound_text.h"
#include "platform/ui/controls.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"

namespace {
QWidget* FindControlWidget(CDataExchange* pDX, QWidget* dlg, int nIDC) {
    if (QWidget* w = dlg->findChild<QWidget*>(QStringLiteral("kv_id_") + QString::number(nIDC),
                                              Qt::FindDirectChildrenOnly))
        return w;
    CWnd* c = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    return c ? kvimpl::WidgetOf(c) : nullptr;
}

// A refresh exchanges every bound control many times a second, so each control's widget is
// found once, by the name that CWnd::Attach gives it (its id), and remembered by its dialog
// while it lives there.
QWidget* ControlWidget(CDataExchange* pDX, int nIDC) {
    QWidget* dlg = kvimpl::WidgetOf(pDX->m_pDlgWnd);
    if (!dlg) return nullptr;
    // The map of the dialog exchanged last is kept at hand: finding it by property name costs
    // more than the exchange of a control.
    using Known = std::unordered_map<int, QPointer<QWidget>>;
    static QPointer<QWidget> s_lastDlg;
    static Known* s_lastKnown = nullptr;
    if (s_lastDlg != dlg || !s_lastKnown) {
        s_lastKnown = &kvimpl::Attached<Known>(dlg, "kv_controls");
        s_lastDlg = dlg;
    }
    QPointer<QWidget>& slot = (*s_lastKnown)[nIDC];
    if (!slot || slot->parentWidget() != dlg) slot = FindControlWidget(pDX, dlg, nIDC);
    return slot;
}
}  // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    QWidget* w = ControlWidget(pDX, nIDC);
    if (!w) return;
    if (auto* view = dynamic_cast<BoundTextView*>(w)) {
        // A bound view shows the member itself: writing binds it (the log view indexes what is
        // new); reading back leaves the member as it is, so received bytes are never replaced.
        if (!pDX->m_bSaveAndValidate) view->SetText(&value);
        return;
    }
    // A label's text is never the user's input: the member stays the truth, so a counter
    // updated since the last write-out is not set back by a read-back.
    if (pDX->m_bSaveAndValidate && qobject_cast<QLabel*>(w)) return;
    if (pDX->m_bSaveAndValidate)
        value = kvimpl::GetControlText(w);
    else
        kvimpl::SetControlText(w, value);
}

void DDX_Check(CDataExchange* pDX, int nIDC, BOOL& value) {
    auto* b = qobject_cast<QAbstractButton*>(ControlWidget(pDX, nIDC));
    if (!b) return;
    if (pDX->m_bSaveAndValidate)
        value = b->isChecked() ? TRUE : FALSE;
    else if (b->isChecked() != (value != FALSE)) {
        QSignalBlocker quiet(b);  // the program's change, not the user's: no BN_CLICKED
        b->setChecked(value != FALSE);
    }
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
    auto* cb = qobject_cast<QComboBox*>(ControlWidget(pDX, nIDC));
    if (!cb) return;
    if (pDX->m_bSaveAndValidate) {
        index = cb->currentIndex();
    } else if (cb->currentIndex() != index) {
        QSignalBlocker quiet(cb);
        cb->setCurrentIndex(index >= 0 && index < cb->count() ? index : -1);
    }
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.GetSafeHwnd()) return;  // bound already
    CWnd* c = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (c) rControl.Subclass(*c);
}
