// The widgets a dialog template's controls become: buttons, check boxes, edits with the
// user's entry limited, labels, combo boxes and the log view.
#include "platform/ui/dialog_controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QTextOption>
#include <QValidator>
#include <limits>

#include "platform/logview/logview.h"
#include "platform/logview/logview_access.h"
#include "platform/ui/dc.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/font.h"
#include "platform/ui/qtext.h"
#include "platform/ui/window_p.h"

namespace {

using kvimpl::ControlNotify;

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

QWidget* CreateButton(const DLGITEM& it, QWidget* parent, const ControlNotify& notify) {
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

QWidget* CreateEdit(const DLGITEM& it, QWidget* parent, const ControlNotify& notify) {
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
        // Its context menu is the dialog's to give (WM_CONTEXTMENU); a dialog that gives none
        // leaves the edit's own.
        pe->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(pe, &QWidget::customContextMenuRequested, pe, [pe](const QPoint& at) {
            CWnd* owner = DialogWidget::OwnerOf(pe);
            QPoint g = pe->viewport()->mapToGlobal(at);
            if (owner)
                kvimpl::Dispatch(owner, WM_CONTEXTMENU, (WPARAM)kvimpl::HandleOfWidget(pe),
                                 MAKELPARAM(g.x(), g.y()));
        });
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

}  // namespace

namespace kvimpl {

QWidget* CreateTemplateControl(const DLGITEM& it, QWidget* parent, const ControlNotify& notify) {
    const QString cls = QString::fromLatin1(it.className);
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
        // Ctrl+wheel is the dialog's to take (WM_MOUSEWHEEL), as a zoom.
        QObject::connect(view, &LogView::ZoomWheel, view, [view](int delta) {
            if (CWnd* owner = DialogWidget::OwnerOf(view))
                kvimpl::Dispatch(owner, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, (short)delta),
                                 (LPARAM)kvimpl::HandleOfWidget(view));
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

bool IsTextLabel(const DLGITEM& it) {
    const QString cls = QString::fromLatin1(it.className);
    bool bLabel = cls == QLatin1String(WC_STATIC) && (it.style & 0x1F) != SS_ICON;
    bool bCheck = cls == QLatin1String(WC_BUTTON) && (it.style & 0xF) == BS_AUTOCHECKBOX;
    return (bLabel || bCheck) && it.text && it.text[0];
}

}  // namespace kvimpl
