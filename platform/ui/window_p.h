// The private part of the window code (defined in messages.cpp, window.cpp and
// window_ops.cpp): the registry of live windows, dispatch between threads, the widget behind
// a handle, and values kept with a widget. For the layer's own sources, not for the application.
#pragma once
#include <QVariant>
#include <QWidget>

#include "platform/core/wintypes.h"

class CWnd;

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
// A window with a widget and no parent window (broadcasts go to these).
bool IsTopLevel(const CWnd* pWnd);
// The widget behind a handle, or nullptr.
QWidget* WidgetOf(const CWnd* pWnd);
void SetWidgetHandle(QWidget* w, HWND hWnd);
HWND OwnHandleOfWidget(const QWidget* w);  // the widget's own handle, or nullptr
HWND HandleOfWidget(const QWidget* w);     // its own or its nearest parent's
// A value of type T kept by an object, made on first use under the given name and deleted
// with the object (UI thread only).
template <class T>
class AttachedValue : public QObject {
public:
    explicit AttachedValue(QObject* owner) : QObject(owner) {}
    T value{};
};
template <class T>
T& Attached(QObject* o, const char* name) {
    auto* holder = static_cast<AttachedValue<T>*>(o->property(name).value<QObject*>());
    if (!holder) {
        holder = new AttachedValue<T>(o);
        o->setProperty(name, QVariant::fromValue<QObject*>(holder));
    }
    return holder->value;
}
}  // namespace kvimpl
