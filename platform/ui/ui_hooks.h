// The dialog layer's test seams, all in one place (the form is core/hook.h's): each replaces
// one piece of real behaviour while installed, and nullptr restores it.
#pragma once
#include <functional>
#include <string>

struct MessageBoxRecord;
struct FileDialogRecord;
class Clock;

// Message boxes (msgbox.h): every box goes to the hook, on the calling thread, instead of the
// screen; the hook's answer is the box's result.
void SetMessageBoxHook(std::function<int(const MessageBoxRecord&)> hook);

// File dialogs (filedlg.h): DoModal passes the dialog to the hook instead of showing it. The
// hook returns true for OK and sets the chosen path (file-system bytes; a relative one counts
// from the current directory, and the default extension is added as for a typed name).
void SetFileDialogHook(
    std::function<bool(const FileDialogRecord&, std::string& chosenPathUtf8)> hook);

// The clock behind timers and local time (clock.h), an interface rather than a hook: it is
// asked for the time and to wake the UI thread. Timers that run are dropped when it changes:
// they were timed on the other clock.
void SetClock(Clock* pClock);
