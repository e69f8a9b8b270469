// Building a dialog's window and its controls from a template, in template order (which is
// also the tab and Z order), with dialog units converted from the template font.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QTextOption>
#include <QValidator>
#include <functional>
#include <limits>

#include "platform/logview/logview.h"
#include "platform/logview/logview_access.h"
#include "platform/ui/dc.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/font.h"
#include "platform/ui/qtext.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"

namespace {

QString U(const char* gbk) { return kvimpl::FromGbk(CString(gbk)); }

// What the user types, pastes or drops into an edit is limited, as a dialog's edit limits the
// user's entry until the program sets a limit; text the program sets is not limited. The text
// layout takes about a second a megabyte for one long line, on every change, so a bigger entry
// would hold the window. A one-line edit takes 32767 characters, the platform's default; the
// send edit takes a megabyte of data. An entry that does not fit is refused whole, so that no
// part of a paste is sent as if it were all of it; the send edit beeps.
const int kLineEditUserLimit = 32767;
const int kMultiEditUserLimit = 1 << 20;

bool FitsUserLimit(qsizetype nNow, qsizetype nReplaced, qsizetype nInserted, int nLimit) {
    qsizetype nAfter = nNow - nReplaced + nInserted;
    return nAfter <= nLimit || nAfter <= nNow;
}

// Refuses a user's change that makes a one-line edit longer than its limit.
class UserLimitValidator : public QValidator {
public:
    explicit UserLimitValidator(QLineEdit* le) : QValidator(le) {
        connect(le, &QLineEdit::textChanged, this,
                [this](const QString& t) { m_nLength = t.size(); });
    }
    State validate(QString& input, int&) const override {
        // Called with the changed text, before textChanged. A text the program sets leaves the
        // edit unmodified and is taken whole.
        auto* le = static_cast<const QLineEdit*>(parent());
        if (!le->isModified()) return Acceptable;
        return FitsUserLimit(m_nLength, 0, input.size() - m_nLength, kLineEditUserLimit)
                   ? Acceptable
                   : Invalid;
    }

private:
    qsizetype m_nLength = 0;
};

// Return in the send edit inserts a line break; without ES_WANTRETURN it goes to the dialog.
// With ES_WANTRETURN, Ctrl+Return tells the dialog (EN_KV_RETURN) and inserts nothing.
class KvPlainEdit : public QPlainTextEdit {
public:
    KvPlainEdit(bool wantReturn, QWidget* parent, std::function<void(QWidget*)> onCtrlReturn)
        : QPlainTextEdit(parent), m_wantReturn(wantReturn), m_onCtrlReturn(onCtrlReturn) {}

protected:
    void keyPressEvent(QKeyEvent* e) override {
        const bool isReturn = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
        if (!m_wantReturn && isReturn) {
            e->ignore();
            return;
        }
        if (isReturn && (e->modifiers() & Qt::ControlModifier)) {
            m_onCtrlReturn(this);
            return;
        }
        if (e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) {
            e->ignore();  // Tab moves the focus, as in a dialog's edit
            return;
        }
        const QString typed = e->text();  // control keys carry no printable text
        if (!typed.isEmpty() && (typed.at(0).isPrint() || typed.at(0) == u'\r') &&
            !Fits(typed.size()))
            return;
        QPlainTextEdit::keyPressEvent(e);
    }
    // Pastes, drops and the selection's middle-click paste all come here.
    void insertFromMimeData(const QMimeData* source) override {
        if (source->hasText() && !Fits(source->text().size())) return;
        QPlainTextEdit::insertFromMimeData(source);
    }
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }

private:
    bool Fits(qsizetype nInserted) const {
        QTextCursor c = textCursor();
        if (FitsUserLimit(document()->characterCount() - 1, c.selectionEnd() - c.selectionStart(),
                          nInserted, kMultiEditUserLimit))
            return true;
        QApplication::beep();
        return false;
    }
    bool m_wantReturn;
    std::function<void(QWidget*)> m_onCtrlReturn;
};

// A check box tells its dialog of every change the user makes (BN_CLICKED), also one made
// through assistive technology, which toggles it without a click. A click's change is told
// once, by the click; a change the program makes (SetCheck, data exchange) is not told.
class KvCheckBox : public QCheckBox {
public:
    KvCheckBox(const QString& text, QWidget* parent, std::function<void(QWidget*)> notify)
        : QCheckBox(text, parent) {
        connect(this, &QCheckBox::clicked, this, [this, notify] { notify(this); });
        connect(this, &QCheckBox::toggled, this, [this, notify] {
            if (!m_bInClick) notify(this);
        });
    }

protected:
    void nextCheckState() override {
        m_bInClick = true;
        QCheckBox::nextCheckState();
        m_bInClick = false;
    }

private:
    bool m_bInClick = false;
};

// Tells the dialog of a control's notification.
using Notify = std::function<void(UINT code, QWidget* src)>;

QWidget* CreateButton(const DLGITEM& it, QWidget* parent, const Notify& notify) {
    DWORD kind = it.style & 0xF;
    if (kind == BS_GROUPBOX) {
        // The caption sits on the frame's top line, as a dialog's group boxes have it.
        auto* gb = new QGroupBox(U(it.text), parent);
        gb->setStyleSheet(QStringLiteral(
            "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: "
            "0.5em; }"
            "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
        return gb;
    }
    if (kind == BS_AUTOCHECKBOX)
        return new KvCheckBox(U(it.text), parent,
                              [notify](QWidget* box) { notify(BN_CLICKED, box); });
    auto* pb = new QPushButton(U(it.text), parent);
    pb->setAutoDefault(false);
    pb->setDefault(kind == BS_DEFPUSHBUTTON);
    QObject::connect(pb, &QPushButton::clicked, [notify, pb] { notify(BN_CLICKED, pb); });
    return pb;
}

QWidget* CreateEdit(const DLGITEM& it, QWidget* parent, const Notify& notify) {
    const DWORD style = it.style;
    if (style & ES_MULTILINE) {
        auto* pe = new KvPlainEdit((style & ES_WANTRETURN) != 0, parent,
                                   [notify](QWidget* src) { notify(EN_KV_RETURN, src); });
        pe->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        // Long lines break anywhere: a hex text of megabytes is one word, which word
        // wrapping lays out in quadratic time.
        pe->setWordWrapMode(QTextOption::WrapAnywhere);
        pe->setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn
                                                            : Qt::ScrollBarAsNeeded);
        pe->setReadOnly(style & ES_READONLY);
        QObject::connect(pe, &QPlainTextEdit::textChanged, [notify, pe] { notify(EN_CHANGE, pe); });
        return pe;
    }
    auto* le = new QLineEdit(parent);
    // Enter is told to the dialog, and then still reaches it (its default button, its OK).
    QObject::connect(le, &QLineEdit::returnPressed, [notify, le] { notify(EN_KV_RETURN, le); });
    // The program may set any length of text (QLineEdit's own maximum would cut it at
    // 32767 characters); the user's entry has its limit.
    le->setMaxLength(std::numeric_limits<int>::max());
    le->setValidator(new UserLimitValidator(le));
    le->setReadOnly(style & ES_READONLY);
    le->setFrame((style & WS_BORDER) || (it.exStyle & WS_EX_CLIENTEDGE));
    QObject::connect(le, &QLineEdit::textChanged, [notify, le] { notify(EN_CHANGE, le); });
    return le;
}

QWidget* CreateStatic(const DLGITEM& it, QWidget* parent) {
    auto* lb = new KvLabel(parent);
    DWORD kind = it.style & 0x1F;
    if (kind == SS_ICON) {
        if (it.text && it.text[0] == '#') {
            if (const QIcon* icon = kvimpl::QIconOf(AfxLoadIcon((UINT)atoi(it.text + 1))))
                lb->setPixmap(icon->pixmap(32, 32));
        }
    } else {
        lb->setText(U(it.text));
        lb->setAlignment((kind == SS_RIGHT ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
        lb->setTextFormat(Qt::PlainText);
    }
    return lb;
}

QWidget* CreateControl(const DLGITEM& it, QWidget* parent, CDialog* dlg) {
    const QString cls = QString::fromLatin1(it.className);
    const int id = it.id;
    Notify notify = [dlg, id](UINT code, QWidget* src) {
        dlg->NotifyFromControl(id, code, kvimpl::HandleOfWidget(src));
    };
    QWidget* w = nullptr;
    if (cls == QLatin1String(WC_BUTTON)) {
        w = CreateButton(it, parent, notify);
    } else if (cls == QLatin1String(WC_EDIT)) {
        w = CreateEdit(it, parent, notify);
    } else if (cls == QLatin1String(WC_LOGEDIT)) {
        LogViewAccessible::Install();
        auto* view = new LogView(parent);
        // Its context menu is the dialog's to give (WM_CONTEXTMENU); a dialog that gives none
        // leaves the view's own.
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(
            view, &QWidget::customContextMenuRequested, view, [view](const QPoint& at) {
                CWnd* owner = DialogWidget::OwnerOf(view);
                QPoint g = view->viewport()->mapToGlobal(at);
                if (owner)
                    kvimpl::Dispatch(owner, WM_CONTEXTMENU, (WPARAM)kvimpl::HandleOfWidget(view),
                                     MAKELPARAM(g.x(), g.y()));
            });
        w = view;
    } else if (cls == QLatin1String(WC_COMBOBOX)) {
        auto* cb = new QComboBox(parent);
        cb->setEditable((it.style & 0x3) == CBS_DROPDOWN);
        cb->setInsertPolicy(QComboBox::NoInsert);
        cb->setMaxVisibleItems(std::max(4, it.cy / 10));
        // Only the user's choice is told, not a selection the program makes.
        QObject::connect(cb, &QComboBox::activated, [notify, cb] { notify(CBN_SELCHANGE, cb); });
        w = cb;
    } else {  // STATIC
        w = CreateStatic(it, parent);
    }
    if (!(it.style & WS_TABSTOP) || qobject_cast<QLabel*>(w) || qobject_cast<QGroupBox*>(w))
        w->setFocusPolicy(qobject_cast<QPlainTextEdit*>(w) || qobject_cast<LogView*>(w)
                              ? Qt::ClickFocus
                              : Qt::NoFocus);
    else if (qobject_cast<QAbstractButton*>(w))
        w->setFocusPolicy(Qt::StrongFocus);
    return w;
}

bool NamedByLabel(const DLGITEM& it) {
    const QString cls = QString::fromLatin1(it.className);
    return cls == QLatin1String(WC_EDIT) || cls == QLatin1String(WC_COMBOBOX) ||
           cls == QLatin1String(WC_LOGEDIT);
}

// A text label, or a check box whose caption leads into the control after it.
bool IsTextLabel(const DLGITEM& it) {
    const QString cls = QString::fromLatin1(it.className);
    bool bLabel = cls == QLatin1String(WC_STATIC) && (it.style & 0x1F) != SS_ICON;
    bool bCheck = cls == QLatin1String(WC_BUTTON) && (it.style & 0xF) == BS_AUTOCHECKBOX;
    return (bLabel || bCheck) && it.text && it.text[0];
}

// Average character width and height of a font, measured as the platform does for dialog units.
void DialogBaseUnits(const QFont& f, int& baseX, int& baseY) {
    QFontMetrics fm(f);
    int width52 = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX = (width52 / 26 + 1) / 2;
    baseY = fm.height();
    if (baseX <= 0) baseX = 6;
    if (baseY <= 0) baseY = 12;
}

}  // namespace

BOOL CDialog::CreateFromTemplate() {
    const DLGTEMPLATE_DATA* t = AfxFindTemplate(m_nIDTemplate);
    if (!t || m_hWnd) return FALSE;
    QWidget* parent = m_pParentWnd ? kvimpl::WidgetOf(m_pParentWnd) : QApplication::activeWindow();
    auto* w = new DialogWidget(this, parent);
    Attach(w, 0);
    w->m_accelerator = [this](int key, int mods) { return FindAccelerator(key, mods); };

    // 9 points at 96 dots per inch is 12 pixels.
    QFont font = kvimpl::TemplateFont(t->faceName, (t->pointSize * 96 + 36) / 72, t->weight);
    w->setFont(font);
    DialogBaseUnits(font, m_baseX, m_baseY);

    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (t->style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t->style & WS_THICKFRAME) {
        if (t->style & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
        if (t->style & WS_MAXIMIZEBOX) flags |= Qt::WindowMaximizeButtonHint;
    }
    if (t->exStyle & WS_EX_APPWINDOW) flags = (flags & ~Qt::Dialog) | Qt::Window;
    w->setWindowFlags(flags);
    w->setWindowTitle(U(t->caption));
    w->resize(DluToPixelX(t->cx), DluToPixelY(t->cy));
    if (!(t->style & WS_THICKFRAME)) w->setFixedSize(w->size());
    w->setSizeGripEnabled(false);

    if (t->style & WS_SYSMENU) {
        m_sysMenu = std::make_unique<CMenu>();
        m_sysMenu->AppendMenu(MF_STRING, SC_RESTORE, "\xBB\xB9\xD4\xAD(&R)");           // 还原
        m_sysMenu->AppendMenu(MF_STRING, SC_MINIMIZE, "\xD7\xEE\xD0\xA1\xBB\xAF(&N)");  // 最小化
        m_sysMenu->AppendMenu(MF_STRING, SC_MAXIMIZE, "\xD7\xEE\xB4\xF3\xBB\xAF(&X)");  // 最大化
        m_sysMenu->AppendMenu(MF_SEPARATOR);
        m_sysMenu->AppendMenu(MF_STRING, SC_CLOSE, "\xB9\xD8\xB1\xD5(&C)\tAlt+F4");  // 关闭
    }

    for (int i = 0; i < t->itemCount; ++i) {
        const DLGITEM& it = t->items[i];
        QWidget* c = CreateControl(it, w, this);
        c->setFont(font);
        if (i > 0 && NamedByLabel(it) && IsTextLabel(t->items[i - 1])) {
            c->setAccessibleName(KvLabel::AsName(U(t->items[i - 1].text)));
            if (auto* label = qobject_cast<QLabel*>(m_controls.back()->GetWidget()))
                label->setBuddy(c);
        }
        // The window's object is the wrapper of its kind, so that a program may treat
        // GetDlgItem's answer as a CButton, CEdit, CComboBox or CStatic, as the platform allows.
        std::unique_ptr<CWnd> cw;
        const QString cls = QString::fromLatin1(it.className);
        if (cls == QLatin1String(WC_BUTTON))
            cw = std::make_unique<CButton>();
        else if (cls == QLatin1String(WC_COMBOBOX))
            cw = std::make_unique<CComboBox>();
        else if (cls == QLatin1String(WC_STATIC))
            cw = std::make_unique<CStatic>();
        else
            cw = std::make_unique<CEdit>();
        cw->Attach(c, it.id, &kvimpl::ControlProc);
        int x = DluToPixelX(it.x), y = DluToPixelY(it.y);
        int cx = DluToPixelX(it.cx), cy = DluToPixelY(it.cy);
        cw->MoveWindow(x, y, cx, cy, FALSE);
        if (it.style & WS_DISABLED) c->setEnabled(false);
        c->setVisible((it.style & WS_VISIBLE) != 0);
        m_controls.push_back(std::move(cw));
    }
    return TRUE;
}

CMenu* CDialog::GetSystemMenu(BOOL) { return m_sysMenu.get(); }
