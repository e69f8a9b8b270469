// Basic types, constants and small structures that the application code shares with the
// framework layer. Only plain C++ here: no Qt, no POSIX.
#pragma once
#include <cstddef>
#include <cstdint>

typedef int BOOL;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
typedef unsigned int UINT;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef unsigned char BYTE;
typedef long LONG;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef void* LPVOID;
typedef const char* LPCSTR;
typedef const char* LPCTSTR;

// A window handle: an opaque number that stays invalid once its window is gone.
typedef struct HWND__* HWND;
// A kernel object handle (event, port). NULL means none.
typedef void* HANDLE;
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
typedef struct HICON__* HICON;
typedef HICON HCURSOR;
typedef struct HBRUSH__* HBRUSH;
typedef struct HFONT__* HFONT;
typedef DWORD COLORREF;
#define RGB(r, g, b) \
    ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)((c) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))

struct POINT {
    LONG x, y;
};
struct SIZE {
    LONG cx, cy;
};
struct RECT {
    LONG left, top, right, bottom;
};
typedef RECT* LPRECT;
typedef const RECT* LPCRECT;

struct SYSTEMTIME {
    WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};

#define LOWORD(l) ((WORD)(((uintptr_t)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((uintptr_t)(l)) >> 16) & 0xffff))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)(((WORD)(l)) | (((DWORD)(WORD)(h)) << 16)))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)(((WORD)(l)) | (((DWORD)(WORD)(h)) << 16)))

// Code pages of 8-bit text: the program's own (GBK, 936) and UTF-8.
#define CP_ACP 0
#define CP_UTF8 65001

// Window messages the application and the layer use.
#define WM_NULL 0x0000
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_SETFOCUS 0x0007
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUERYDRAGICON 0x0037
#define WM_ICONERASEBKGND 0x0027
#define WM_SETFONT 0x0030
#define WM_SETICON 0x0080
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_CTLCOLOR 0x0019
#define WM_CTLCOLORSTATIC 0x0138
#define WM_SIZING 0x0214
// A wheel turned with Ctrl held over the receive display: wParam is MAKEWPARAM(MK_CONTROL,
// delta), delta in eighths of a degree (120 a notch, positive away from the user); lParam
// is the display's handle.
#define WM_MOUSEWHEEL 0x020A
#define MK_CONTROL 0x0008
#define WM_CONTEXTMENU 0x007B
#define WM_CUT 0x0300
#define WM_COPY 0x0301
#define WM_PASTE 0x0302
#define WM_DEVICECHANGE 0x0219
#define WM_USER 0x0400

// WM_SIZE types
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

// WM_SIZING edges
#define WMSZ_LEFT 1
#define WMSZ_RIGHT 2
#define WMSZ_TOP 3
#define WMSZ_TOPLEFT 4
#define WMSZ_TOPRIGHT 5
#define WMSZ_BOTTOM 6
#define WMSZ_BOTTOMLEFT 7
#define WMSZ_BOTTOMRIGHT 8

// WM_CTLCOLOR kinds
#define CTLCOLOR_STATIC 6

// Notification codes
#define BN_CLICKED 0
#define EN_CHANGE 0x0300
#define CBN_SELCHANGE 1  // the user chose an item of a combo box's list
// The layer's own: Enter in a one-line edit (which then goes on to the dialog as before), or
// Ctrl+Enter in a multi-line edit that keeps Enter for line breaks (ES_WANTRETURN).
#define EN_KV_RETURN 0x0F01

// System commands
#define SC_CLOSE 0xF060
#define SC_MINIMIZE 0xF020
#define SC_MAXIMIZE 0xF030
#define SC_RESTORE 0xF120

// Menu flags
#define MF_STRING 0x0000
#define MF_SEPARATOR 0x0800
#define MF_GRAYED 0x0001
#define MF_CHECKED 0x0008
#define MF_BYPOSITION 0x0400

// TrackPopupMenu flags
#define TPM_LEFTALIGN 0x0000
#define TPM_RETURNCMD 0x0100

// ShowWindow
#define SW_HIDE 0
#define SW_SHOW 5

// Dialog results
#define IDOK 1
#define IDCANCEL 2

// Message boxes
#define MB_OK 0x0000
#define MB_ICONERROR 0x0010
#define MB_ICONMASK 0x00F0

// Scroll bars and edit messages used by the application
#define SB_VERT 1
#define EM_GETLINECOUNT 0x00BA
#define EM_LINESCROLL 0x00B6
#define EM_SETSEL 0x00B1
#define EM_GETSEL 0x00B0
#define EM_SCROLLCARET 0x00B7

// ComboBox messages
#define CB_ERR (-1)

// Icon metrics
#define SM_CXICON 11
#define SM_CYICON 12

// Device notifications
#define DBT_DEVICEARRIVAL 0x8000
#define DBT_DEVICEQUERYREMOVE 0x8001
#define DBT_DEVICEREMOVECOMPLETE 0x8004

// PeekMessage
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
