// Internals shared by the layer's window sources (not for the application).
#pragma once
#include <QVariant>
#include <QWidget>
#include <string>

#include "platform/ui/window.h"

namespace kvimpl {
bool IsUiThread();
// Registry of live windows. Lookups are thread-safe; the CWnd* is only used on the UI thread.
HWND RegisterWindow(CWnd* pWnd);
void ReassignWindow(HWND hWnd, CWnd* pWnd);
void UnregisterWindow(HWND hWnd);
CWnd* LookupWindow(HWND hWnd);
// Runs messages sent to the UI thread from other threads: those waiting now, or with a
// budget, as many as arrive within that many milliseconds.
void ProcessSentMessages(int nBudgetMs = -1);
// Dispatches one message to a window, reporting framework exceptions a handler let through.
LRESULT Dispatch(CWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The widget behind a handle, or nullptr.
QWidget* WidgetOf(const CWnd* pWnd);
void SetWidgetHandle(QWidget* w, HWND hWnd);
HWND OwnHandleOfWidget(const QWidget* w);  // the widget's own handle, or nullptr
HWND HandleOfWidget(const QWidget* w);     // its own or its nearest parent's
// An object of type T that lives as long as o, made on first use under the given name (UI
// thread only).
template <class T>
T& Attached(QObject* o, const char* name) {
    auto* p = static_cast<T*>(o->property(name).template value<void*>());
    if (!p) {
        p = new T();
        o->setProperty(name, QVariant::fromValue<void*>(p));
        QObject::connect(o, &QObject::destroyed, [p] { delete p; });
    }
    return *p;
}
QString FromGbk(const char* p, size_t n);
QString FromGbk(const CString& s);
CString ToGbk(const QString& s);
}  // namespace kvimpl

class QFont;
class CDialog;
namespace kvimpl {
// Text of a control or window, GBK, as the framework's window text.
void SetControlText(QWidget* w, const CString& text);
CString GetControlText(QWidget* w);
// Messages a control handles itself (edit and combo messages, fonts).
bool ControlDefProc(CWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
const QFont* QFontOf(const CFont* pFont);
// The dialog a control belongs to, or nullptr.
CDialog* DialogOf(QWidget* control);
// Substitutes faces missing on Linux and gives the layer's font for a template face.
QFont TemplateFont(const char* faceGbk, int pixelHeight, int weight);
void InstallFontSubstitutes();
}  // namespace kvimpl
