#include "platform/ui/msgbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include "platform/core/appname.h"
#include "platform/core/hook.h"
#include "platform/lang/lang.h"
#include "platform/text/gbk.h"
#include "platform/ui/ui_hooks.h"
#include "platform/ui/window.h"

namespace {
Hook<int(const MessageBoxRecord&)> g_hook;

QWidget* OwnerWidget(HWND hOwner) {
    if (hOwner) {
        if (CWnd* pWnd = CWnd::FromHandle(hOwner)) return static_cast<QWidget*>(pWnd->GetWidget());
    }
    if (QWidget* pModal = QApplication::activeModalWidget()) return pModal;
    return QApplication::activeWindow();
}

QMessageBox::StandardButtons ButtonsFor(UINT nType) {
    switch (nType & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MB_YESNOCANCEL:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MB_YESNO:
            return QMessageBox::Yes | QMessageBox::No;
        default:
            return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconFor(UINT nType) {
    switch (nType & MB_ICONMASK) {
        case MB_ICONERROR:
            return QMessageBox::Critical;
        case MB_ICONQUESTION:
            return QMessageBox::Question;
        case MB_ICONWARNING:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int ResultFor(int button, UINT nType) {
    switch (button) {
        case QMessageBox::Ok:
            return IDOK;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        case QMessageBox::Cancel:
            return IDCANCEL;
        default:  // closed with Escape or the close box
            return (nType & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
    }
}

// UI thread only.
int ShowBox(HWND hOwner, const std::string& text, const std::string& caption, UINT nType) {
    QMessageBox box(IconFor(nType), QString::fromStdString(caption), QString::fromStdString(text),
                    ButtonsFor(nType), OwnerWidget(hOwner));
    box.setWindowModality(Qt::ApplicationModal);
    int button = box.exec();
    return ResultFor(button, nType);
}
}  // namespace

void SetMessageBoxHook(std::function<int(const MessageBoxRecord&)> hook) {
    g_hook.Install(std::move(hook));
}

int MessageBoxUtf8(HWND hOwner, const std::string& text, const std::string& caption, UINT nType) {
    if (auto hook = g_hook.Get())
        return hook(MessageBoxRecord{hOwner, Utf8ToGbk(text), Utf8ToGbk(caption), nType});

    QCoreApplication* pApp = QCoreApplication::instance();
    if (!pApp) return IDCANCEL;
    if (QThread::currentThread() == pApp->thread()) return ShowBox(hOwner, text, caption, nType);
    int nResult = IDCANCEL;
    QMetaObject::invokeMethod(
        pApp, [&] { nResult = ShowBox(hOwner, text, caption, nType); },
        Qt::BlockingQueuedConnection);
    return nResult;
}

int MessageBoxA(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) {
    std::string caption =
        lpszCaption ? GbkToUtf8(CString(lpszCaption)) : AfxTrUtf8("Layer", "错误");
    return MessageBoxUtf8(hOwner, GbkToUtf8(CString(lpszText)), caption, nType);
}

int AfxMessageBox(LPCSTR lpszText, UINT nType) {
    return MessageBoxUtf8(nullptr, GbkToUtf8(CString(lpszText)), AfxGetAppName(), nType);
}
