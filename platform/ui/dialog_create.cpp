// Building a dialog's window and its controls from a template, in template order (which is
// also the tab and Z order), with dialog units converted from the template font.
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QString>

#include "platform/lang/lang.h"
#include "platform/text/gbk.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_controls.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/font.h"
#include "platform/ui/label_name.h"
#include "platform/ui/qtext.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"

namespace {

// A template's text in the interface language.
QString Tr(const char* gbk) { return kvimpl::FromGbk(AfxTr("Dialog", gbk)); }

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
    w->setWindowTitle(Tr(t->caption));
    w->resize(DluToPixelX(t->cx), DluToPixelY(t->cy));
    if (!(t->style & WS_THICKFRAME)) w->setFixedSize(w->size());
    w->setSizeGripEnabled(false);

    if (t->style & WS_SYSMENU) {
        m_sysMenu = std::make_unique<CMenu>();
        m_sysMenu->AppendMenu(MF_STRING, SC_RESTORE, Utf8ToGbk(AfxTrUtf8("Dialog", "还原(&R)")));
        m_sysMenu->AppendMenu(MF_STRING, SC_MINIMIZE, Utf8ToGbk(AfxTrUtf8("Dialog", "最小化(&N)")));
        m_sysMenu->AppendMenu(MF_STRING, SC_MAXIMIZE, Utf8ToGbk(AfxTrUtf8("Dialog", "最大化(&X)")));
        m_sysMenu->AppendMenu(MF_SEPARATOR);
        m_sysMenu->AppendMenu(MF_STRING, SC_CLOSE,
                              Utf8ToGbk(AfxTrUtf8("Dialog", "关闭(&C)\tAlt+F4")));
    }

    for (int i = 0; i < t->itemCount; ++i) {
        // The control is made from a copy that holds its text in the interface language.
        DLGITEM it = t->items[i];
        const CString text = AfxTr("Dialog", it.text);
        it.text = text;
        const int id = it.id;
        QWidget* c = kvimpl::CreateTemplateControl(it, w, [this, id](UINT code, QWidget* src) {
            NotifyFromControl(id, code, kvimpl::HandleOfWidget(src));
        });
        c->setFont(font);
        if (i > 0 && kvimpl::NamedByLabel(it) && kvimpl::IsTextLabel(t->items[i - 1])) {
            c->setAccessibleName(kvimpl::LabelAsName(Tr(t->items[i - 1].text)));
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
