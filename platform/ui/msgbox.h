// Message boxes: AfxMessageBox and MessageBoxA over QMessageBox.
//
// Texts and captions are GBK, as the application holds them; the layer's own texts can use
// MessageBoxUtf8. A box is modal over its owner (or the active window when there is none)
// and runs a nested event loop, in which messages sent from other threads are still
// delivered. A box asked for from another thread is shown by the UI thread while the caller
// waits. Tests answer boxes through a hook (ui_hooks.h).
#pragma once
#include <string>

#include "platform/core/cstring.h"
#include "platform/core/wintypes.h"

#ifndef MB_OKCANCEL
#define MB_OKCANCEL 0x0001
#define MB_YESNOCANCEL 0x0003
#define MB_YESNO 0x0004
#define MB_ICONQUESTION 0x0020
#define MB_ICONWARNING 0x0030
#define MB_ICONEXCLAMATION MB_ICONWARNING
#define MB_ICONINFORMATION 0x0040
#define MB_TYPEMASK 0x000F
#endif
#ifndef IDYES
#define IDYES 6
#define IDNO 7
#endif

// The caption is the application's name (AfxGetAppName).
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK);
// A NULL caption shows "错误", as the system's own boxes do.
int MessageBoxA(HWND hOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType);
int MessageBoxUtf8(HWND hOwner, const std::string& text, const std::string& caption, UINT nType);

// What a box would have shown; text and caption are GBK.
struct MessageBoxRecord {
    HWND hOwner;
    CString strText;
    CString strCaption;
    UINT nType;
};