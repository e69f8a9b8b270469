#include "platform/ui/ddx.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <unordered_map>

#include "platform/logview/bound_text.h"
#include "platform/ui/controls.h"
#include "platform/ui/qtext.h"
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

// What a control showed when it was last exchanged, in both forms: a refresh exchanges every
// control many times a second and most have not changed since, so their text is converted
// only when it differs from the last.
struct Exchanged {
    QString shown;       // the widget's text then
    CString bytes;       // what it reads back as
    bool exact = false;  // shown is exactly what bytes give (nothing GBK lacks)
    bool valid = false;
};

struct Slot {
    QPointer<QWidget> widget;
    Exchanged last;
};

// A refresh exchanges every bound control many times a second, so each control's widget is
// found once, by the name that CWnd::Attach gives it (its id), and remembered by its dialog
// while it lives there.
Slot* ControlSlot(CDataExchange* pDX, int nIDC) {
    QWidget* dlg = kvimpl::WidgetOf(pDX->m_pDlgWnd);
    if (!dlg) return nullptr;
    // The map of the dialog exchanged last is kept at hand: finding it by property name costs
    // more than the exchange of a control.
    using Known = std::unordered_map<int, Slot>;
    static QPointer<QWidget> s_lastDlg;
    static Known* s_lastKnown = nullptr;
    if (s_lastDlg != dlg || !s_lastKnown) {
        s_lastKnown = &kvimpl::Attached<Known>(dlg, "kv_controls");
        s_lastDlg = dlg;
    }
    Slot& slot = (*s_lastKnown)[nIDC];
    if (!slot.widget || slot.widget->parentWidget() != dlg) {
        slot.widget = FindControlWidget(pDX, dlg, nIDC);
        slot.last = Exchanged();
    }
    return slot.widget ? &slot : nullptr;
}

QWidget* ControlWidget(CDataExchange* pDX, int nIDC) {
    Slot* s = ControlSlot(pDX, nIDC);
    return s ? s->widget.data() : nullptr;
}

// The text of the controls whose exchange is remembered: edits, combo boxes and labels.
bool ShownText(QWidget* w, QString* text) {
    if (auto* le = qobject_cast<QLineEdit*>(w))
        *text = le->text();
    else if (auto* cb = qobject_cast<QComboBox*>(w))
        *text = cb->currentText();
    else if (auto* lb = qobject_cast<QLabel*>(w))
        *text = lb->text();
    else
        return false;
    return true;
}

void Remember(Exchanged& last, const QString& shown, const CString& bytes) {
    last.shown = shown;
    last.bytes = bytes;
    last.exact = kvimpl::FromGbk(bytes) == shown;
    last.valid = true;
}
}  // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    Slot* slot = ControlSlot(pDX, nIDC);
    if (!slot) return;
    QWidget* w = slot->widget;
    if (auto* view = dynamic_cast<BoundTextView*>(w)) {
        // A bound view shows the member itself: writing binds it (the log view indexes what is
        // new); reading back leaves the member as it is, so received bytes are never replaced.
        if (!pDX->m_bSaveAndValidate) view->SetText(&value);
        return;
    }
    // A label's text is never the user's input: the member stays the truth, so a counter
    // updated since the last write-out is not set back by a read-back.
    const bool label = qobject_cast<QLabel*>(w) != nullptr;
    if (pDX->m_bSaveAndValidate && label) return;
    Exchanged& last = slot->last;
    QString shown;
    const bool remembered = ShownText(w, &shown);
    const bool same = remembered && last.valid && shown == last.shown;
    if (pDX->m_bSaveAndValidate) {
        if (same) {
            value = last.bytes;
        } else {
            value = kvimpl::GetControlText(w);
            if (remembered) Remember(last, shown, value);
        }
        return;
    }
    // Unchanged on both sides, and showing exactly these bytes: writing would change nothing.
    if (same && last.exact && value == last.bytes) return;
    kvimpl::SetControlText(w, value);
    if (remembered && ShownText(w, &shown)) {
        if (label)
            Remember(last, shown, value);
        else
            last.valid = false;  // read afresh next time
    }
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
