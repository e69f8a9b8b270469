// Control wrappers, control text, and the messages controls handle themselves.
#include "platform/ui/controls.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextDocument>
#include <algorithm>

#include "platform/logview/bound_text.h"
#include "platform/logview/logview.h"
#include "platform/text/gbk.h"
#include "platform/text/utf8.h"
#include "platform/ui/label_tell.h"
#include "platform/ui/qtext.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"

using kvimpl::WidgetOf;

namespace {
QString U(const CString& s) { return kvimpl::FromGbk(s); }
CString G(const QString& s) { return kvimpl::ToGbk(s); }

// The text of a multi-line edit as last read, valid while its document is unchanged: every
// exchange reads the send edit, and a long text is not converted again each time.
struct EditTextCache {
    int revision = -1;
    CString text;
};
EditTextCache& CacheOf(QPlainTextEdit* pe) {
    return kvimpl::Attached<EditTextCache>(pe, "kv_textcache");
}
// Whether an edit given these bytes reads back the very same: GBK that converts back to
// itself, no control bytes but tabs, every CR and LF in a CR LF pair.
bool ReadsBackExactly(const CString& s) {
    const char* p = s.GetString();
    INT_PTR n = s.GetLength();
    for (INT_PTR i = 0; i < n; ++i) {
        unsigned char b = (unsigned char)p[i];
        if (b >= 0x20 || b == '\t') continue;
        if (b == '\r' && i + 1 < n && p[i + 1] == '\n') {
            ++i;
            continue;
        }
        return false;
    }
    return IsExactGbk(p, (size_t)n);
}

CString ReadEdit(QPlainTextEdit* pe) {
    EditTextCache& c = CacheOf(pe);
    if (c.revision != pe->document()->revision()) {
        c.text = kvimpl::ToGbkLines(pe->toPlainText());
        c.revision = pe->document()->revision();
    }
    return c.text;
}

BoundTextView* BoundView(QWidget* w) { return dynamic_cast<BoundTextView*>(w); }

int EditLineCount(QWidget* w) {
    if (auto* view = BoundView(w)) return (int)view->GetLineCount();
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w))
        return std::max(1, pe->document()->lineCount());
    return 1;
}
void EditLineScroll(QWidget* w, int nLines) {
    if (auto* view = BoundView(w)) {
        view->LineScroll(nLines);
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        QScrollBar* sb = pe->verticalScrollBar();
        sb->setValue(sb->value() + nLines);
    }
}
}  // namespace

void kvimpl::SetControlText(QWidget* w, const CString& text) {
    if (auto* view = BoundView(w)) {
        // A bound view shows a string it is bound to; a plain text set gives it its own copy.
        CString& own = kvimpl::Attached<CString>(w, "kv_owntext");
        own = text;
        view->SetText(&own);
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        if (ReadEdit(pe) == text) return;
        pe->setPlainText(kvimpl::FromGbkLines(text));
        // Reading it back gives the same bytes when they are plain GBK text with CR LF
        // breaks, so the next read need not convert the whole document again.
        EditTextCache& c = CacheOf(pe);
        c.revision = ReadsBackExactly(text) ? pe->document()->revision() : -1;
        if (c.revision >= 0) c.text = text;
    } else if (auto* le = qobject_cast<QLineEdit*>(w)) {
        // An edit whose text reads back as these bytes keeps it: rewriting it would turn the
        // characters GBK lacks, which read back as '?', into '?' for good.
        if (G(le->text()) != text) le->setText(U(text));
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
        // Only a combo box with an edit field takes a text; a drop-down list ignores it.
        if (cb->isEditable() && cb->currentText() != U(text)) cb->setEditText(U(text));
    } else if (auto* gb = qobject_cast<QGroupBox*>(w)) {
        gb->setTitle(U(text));
    } else if (auto* bt = qobject_cast<QAbstractButton*>(w)) {
        bt->setText(U(text));
    } else if (auto* lb = qobject_cast<QLabel*>(w)) {
        if (lb->text() != U(text)) {
            lb->setText(U(text));
            kvimpl::LabelTextChanged(lb);
        }
    } else if (w->isWindow()) {
        w->setWindowTitle(U(text));
    }
}

// The same as UTF-8, every character kept.
CString kvimpl::GetControlTextUtf8(QWidget* w) {
    if (BoundView(w)) return kvimpl::Attached<CString>(w, "kv_owntext");
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) return kvimpl::ToUtf8Lines(pe->toPlainText());
    if (auto* le = qobject_cast<QLineEdit*>(w)) return kvimpl::ToUtf8(le->text());
    if (auto* cb = qobject_cast<QComboBox*>(w)) return kvimpl::ToUtf8(cb->currentText());
    if (auto* gb = qobject_cast<QGroupBox*>(w)) return kvimpl::ToUtf8(gb->title());
    if (auto* bt = qobject_cast<QAbstractButton*>(w)) return kvimpl::ToUtf8(bt->text());
    if (auto* lb = qobject_cast<QLabel*>(w)) return kvimpl::ToUtf8(lb->text());
    if (w->isWindow()) return kvimpl::ToUtf8(w->windowTitle());
    return CString();
}

CString kvimpl::GetControlText(QWidget* w) {
    if (BoundView(w)) return kvimpl::Attached<CString>(w, "kv_owntext");
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) return ReadEdit(pe);
    if (auto* le = qobject_cast<QLineEdit*>(w)) return G(le->text());
    if (auto* cb = qobject_cast<QComboBox*>(w)) return G(cb->currentText());
    if (auto* gb = qobject_cast<QGroupBox*>(w)) return G(gb->title());
    if (auto* bt = qobject_cast<QAbstractButton*>(w)) return G(bt->text());
    if (auto* lb = qobject_cast<QLabel*>(w)) return G(lb->text());
    if (w->isWindow()) return G(w->windowTitle());
    return CString();
}

bool kvimpl::ControlProc(CWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    QWidget* w = WidgetOf(pWnd);
    if (!w) return false;
    switch (msg) {
        case EM_GETLINECOUNT:
            result = EditLineCount(w);
            return true;
        case EM_LINESCROLL:
            EditLineScroll(w, (int)lParam);
            result = TRUE;
            return true;
        case WM_SETTEXT:
            SetControlText(w, CString(reinterpret_cast<const char*>(lParam)));
            result = TRUE;
            return true;
        case WM_KV_GETTEXT:
            *reinterpret_cast<CString*>(lParam) =
                wParam == CP_UTF8 ? GetControlTextUtf8(w) : GetControlText(w);
            result = 0;
            return true;
        case WM_KV_SETTEXT: {
            const char* text = reinterpret_cast<const char*>(lParam);
            if (wParam != CP_UTF8)
                SetControlText(w, CString(text));
            else if (auto* pe = qobject_cast<QPlainTextEdit*>(w))
                pe->setPlainText(
                    QString::fromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            else if (auto* le = qobject_cast<QLineEdit*>(w))
                le->setText(QString::fromUtf8(text));
            else
                SetControlText(w, ConvertCodePage(CString(text), CP_UTF8, CP_ACP));
            result = TRUE;
            return true;
        }
        case EM_KV_FOLLOWEND:
            if (auto* view = qobject_cast<LogView*>(w)) view->SetFollowEnd(wParam != FALSE);
            result = 0;
            return true;
        case EM_KV_SETCODEPAGE:
            if (auto* view = qobject_cast<LogView*>(w)) view->SetUtf8(wParam == CP_UTF8);
            result = 0;
            return true;
        case EM_KV_SETANSI:
            if (auto* view = qobject_cast<LogView*>(w)) view->SetAnsiColors(wParam != FALSE);
            result = 0;
            return true;
        case EM_KV_SETHIGHLIGHTS:
            if (auto* view = qobject_cast<LogView*>(w))
                view->SetHighlights(lParam ? *reinterpret_cast<const LogHighlights*>(lParam)
                                           : LogHighlights());
            result = 0;
            return true;
        case WM_COPY:
            if (auto* view = qobject_cast<LogView*>(w)) view->Copy();
            if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) pe->copy();
            result = 0;
            return true;
        case WM_CUT:
            if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) pe->cut();
            result = 0;
            return true;
        case WM_PASTE:
            if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) pe->paste();
            result = 0;
            return true;
        case EM_SETSEL:
            if (auto* pe = qobject_cast<QPlainTextEdit*>(w); pe && wParam == 0 && lParam == -1)
                pe->selectAll();
            if (auto* view = qobject_cast<LogView*>(w)) {
                if (wParam == 0 && lParam == -1)
                    view->SelectAll();
                else
                    view->SetSel((INT_PTR)wParam, (INT_PTR)lParam);
            }
            result = 0;
            return true;
        case EM_GETSEL: {
            // Whether anything is selected (nonzero): the log view's offsets pass 64 KiB. The
            // DWORD* in wParam and lParam, when given, get the selection's start and end.
            auto* view = qobject_cast<LogView*>(w);
            result = view && view->HasSelection();
            if (auto* pe = qobject_cast<QPlainTextEdit*>(w))
                result = pe->textCursor().hasSelection();
            int64_t b = 0, e = 0;
            if (view) view->GetSel(b, e);
            if (wParam) *reinterpret_cast<DWORD*>(wParam) = (DWORD)b;
            if (lParam) *reinterpret_cast<DWORD*>(lParam) = (DWORD)e;
            return true;
        }
        case EM_SCROLLCARET:
            if (auto* view = qobject_cast<LogView*>(w)) view->ScrollCaret();
            result = TRUE;
            return true;
        default:
            return false;
    }
}

// ---- CButton ----

int CButton::GetCheck() const {
    auto* b = qobject_cast<QAbstractButton*>(WidgetOf(this));
    return b && b->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int nCheck) {
    // A change the program makes is not a click: the dialog is not told of it.
    if (auto* b = qobject_cast<QAbstractButton*>(WidgetOf(this))) {
        QSignalBlocker quiet(b);
        b->setChecked(nCheck == BST_CHECKED);
    }
}

// ---- CComboBox ----

namespace {
QComboBox* Combo(const CWnd* w) { return qobject_cast<QComboBox*>(WidgetOf(w)); }
COMBOITEMDESCRIBER g_describer = nullptr;  // set at start-up, before any dialog

void DescribeItem(QComboBox* cb, int index) {
    std::string tip;
    if (g_describer && g_describer(cb->itemText(index).toStdString(), tip))
        cb->setItemData(index, QString::fromStdString(tip), Qt::ToolTipRole);
}
}  // namespace

void SetComboItemDescriber(COMBOITEMDESCRIBER pfnDescriber) { g_describer = pfnDescriber; }

void CStatic::SetTellsChanges(BOOL bTell) {
    if (auto* lb = qobject_cast<QLabel*>(WidgetOf(this))) kvimpl::SetLabelTells(lb, bTell);
}

int CComboBox::AddString(LPCSTR s) { return AddString(s, CP_ACP); }

int CComboBox::AddString(LPCSTR s, UINT nCodePage) {
    QComboBox* cb = Combo(this);
    if (!cb) return CB_ERR;
    // A list with no selection keeps none when an item is added (after a reset, say), as the
    // platform's combo box does; Qt would select the first item added to an empty list.
    const bool noSelection = cb->currentIndex() < 0;
    const QString editText = cb->isEditable() ? cb->currentText() : QString();
    cb->addItem(nCodePage == CP_UTF8 ? QString::fromUtf8(s) : U(CString(s)));
    if (noSelection && cb->currentIndex() >= 0) {
        cb->setCurrentIndex(-1);
        if (cb->isEditable()) cb->setEditText(editText);
    }
    int index = cb->count() - 1;
    DescribeItem(cb, index);
    return index;
}

namespace {
// The first item from the one after nStartAfter, wrapping around, whose text matches.
int FindItem(const QComboBox* cb, int nStartAfter, const QString& text, bool bExact) {
    if (!cb || cb->count() == 0) return CB_ERR;
    int n = cb->count();
    int start = (nStartAfter < 0 || nStartAfter >= n) ? 0 : nStartAfter + 1;
    for (int k = 0; k < n; ++k) {
        int i = (start + k) % n;
        QString item = cb->itemText(i);
        if (bExact ? item.compare(text, Qt::CaseInsensitive) == 0
                   : item.startsWith(text, Qt::CaseInsensitive))
            return i;
    }
    return CB_ERR;
}
}  // namespace

int CComboBox::FindString(int nStartAfter, LPCSTR s) const {
    return FindItem(Combo(this), nStartAfter, U(CString(s)), false);
}

int CComboBox::FindStringExact(int nStartAfter, LPCSTR s) const {
    return FindItem(Combo(this), nStartAfter, U(CString(s)), true);
}

int CComboBox::SetCurSel(int nSelect) {
    QComboBox* cb = Combo(this);
    if (!cb) return CB_ERR;
    if (nSelect < 0 || nSelect >= cb->count()) {
        cb->setCurrentIndex(-1);
        return CB_ERR;
    }
    cb->setCurrentIndex(nSelect);
    return nSelect;
}

int CComboBox::GetCurSel() const {
    QComboBox* cb = Combo(this);
    return cb && cb->currentIndex() >= 0 ? cb->currentIndex() : CB_ERR;
}

void CComboBox::ResetContent() {
    if (QComboBox* cb = Combo(this)) {
        cb->clear();
        if (cb->isEditable()) cb->setEditText(QString());
    }
}

int CComboBox::GetCount() const {
    QComboBox* cb = Combo(this);
    return cb ? cb->count() : 0;
}

void CComboBox::GetLBText(int nIndex, CString& r) const {
    QComboBox* cb = Combo(this);
    r = cb && nIndex >= 0 && nIndex < cb->count() ? G(cb->itemText(nIndex)) : CString();
}

// ---- CEdit ----

int CEdit::GetLineCount() const { return EditLineCount(WidgetOf(this)); }

void CEdit::LineScroll(int nLines, int) { EditLineScroll(WidgetOf(this), nLines); }

int CEdit::GetFirstVisibleLine() const {
    QWidget* w = WidgetOf(this);
    if (auto* view = BoundView(w)) return (int)view->GetFirstVisibleLine();
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) return pe->verticalScrollBar()->value();
    return 0;
}

// ---- CMenu ----

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nID, LPCSTR text) {
    m_items.push_back(MenuItem{nFlags, nID, CString(text ? text : "")});
    return TRUE;
}

BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nID, LPCSTR text) {
    if (!(nFlags & MF_BYPOSITION)) return FALSE;
    size_t at = std::min((size_t)nPosition, m_items.size());
    m_items.insert(m_items.begin() + (ptrdiff_t)at,
                   MenuItem{nFlags & ~(UINT)MF_BYPOSITION, nID, CString(text ? text : "")});
    return TRUE;
}

BOOL CMenu::CreatePopupMenu() {
    m_items.clear();
    return TRUE;
}

UINT CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd) const {
    QMenu menu(WidgetOf(pWnd));
    UINT_PTR chosen = 0;
    kvimpl::FillMenu(*this, menu, [&chosen](UINT_PTR id) { chosen = id; });
    menu.exec(QPoint(x, y));
    if (!chosen) return 0;
    if (nFlags & TPM_RETURNCMD) return (UINT)chosen;
    if (pWnd) pWnd->PostMessage(WM_COMMAND, MAKEWPARAM((WORD)chosen, 0), 0);
    return TRUE;
}

void kvimpl::FillMenu(const CMenu& m, QMenu& menu, const std::function<void(UINT_PTR)>& onChoose) {
    for (int i = 0; i < m.GetMenuItemCount(); ++i) {
        const MenuItem& it = m.GetItem(i);
        if (it.flags & MF_SEPARATOR) {
            menu.addSeparator();
            continue;
        }
        QAction* a = menu.addAction(U(it.text));
        a->setEnabled(!(it.flags & MF_GRAYED));
        if (it.flags & MF_CHECKED) {
            a->setCheckable(true);
            a->setChecked(true);
        }
        UINT_PTR id = it.id;
        QObject::connect(a, &QAction::triggered, [onChoose, id] { onChoose(id); });
    }
}
