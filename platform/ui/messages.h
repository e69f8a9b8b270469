// Window messages between threads. SendMessage from another thread blocks until the UI thread
// has run the handler; the UI thread runs such messages in its main loop, in every modal loop
// and in PeekMessage. A message to a window that is gone fails at once.
#pragma once
#include "platform/core/wintypes.h"

// Window-message API (callable from any thread unless noted).
LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
#define SendMessageA SendMessage
BOOL PostMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
// UI thread only: runs messages sent from other threads, then removes at most one posted
// message for hWnd (any window when hWnd is NULL) into *pMsg.
BOOL PeekMessage(MSG* pMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
#define PeekMessageA PeekMessage
BOOL TranslateMessage(const MSG* pMsg);
LRESULT DispatchMessage(const MSG* pMsg);
#define DispatchMessageA DispatchMessage
// Posts a message to every top-level window (device notifications use it).
void BroadcastToTopLevelWindows(UINT msg, WPARAM wParam, LPARAM lParam);
