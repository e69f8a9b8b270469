// Test support for the layer: a QApplication on the offscreen platform, and ways to let the
// UI thread run for a while. Tests only; the terminal never calls these.
#pragma once
#include <functional>
#include <string>
#include <vector>

class CWnd;

namespace kvtest {
// Creates the application object (once per process) on Qt's offscreen platform.
void StartTestApplication(int& argc, char** argv);
// Runs the UI thread's event loop for about ms real milliseconds.
void Pump(int ms);
// Runs the event loop until pred() is true or timeoutMs passes; returns pred().
bool PumpUntil(const std::function<bool()>& pred, int timeoutMs);
// The ids of a window's child controls in Z (creation) order.
std::vector<int> ChildControlIds(CWnd* pWnd);
// What kind of control a window is: "pushbutton", "checkbox", "groupbox", "edit",
// "multiedit", "logedit", "dropdown" (with an edit field), "droplist", "label", "icon".
std::string ControlKind(CWnd* pCtrl);
// Whether a control takes the focus with Tab.
bool IsTabStop(CWnd* pCtrl);
// Sends a key press (Qt key code) to the focused widget of a window, as a user would.
void PressKey(CWnd* pWnd, int qtKey, int qtModifiers = 0);
// Types text into a control as a user would (notifications are sent).
void TypeText(CWnd* pCtrl, const std::string& utf8);
// Clicks a button as a user would.
void Click(CWnd* pCtrl);
// The pixel size and weight of the font a control draws with.
int FontPixelSize(CWnd* pCtrl);
int FontWeight(CWnd* pCtrl);
// Whether a dialog's window is still shown (a modal run has not ended).
bool IsDialogVisible(CWnd* pDlg);
}  // namespace kvtest
