// Resources a program hands to the layer as data: dialog templates (with the platform's
// window and control styles), strings and icons, looked up by id.
#pragma once
#include "platform/core/cstring.h"
#include "platform/core/wintypes.h"

// Window and control styles, with the platform's values.
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_VSCROLL 0x00200000u
#define WS_HSCROLL 0x00100000u
#define WS_SYSMENU 0x00080000u
#define WS_THICKFRAME 0x00040000u
#define WS_GROUP 0x00020000u
#define WS_TABSTOP 0x00010000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_MAXIMIZEBOX 0x00010000u
#define DS_SETFONT 0x40u
#define DS_MODALFRAME 0x80u
#define DS_FIXEDSYS 0x0008u
#define WS_EX_CLIENTEDGE 0x00000200u
#define WS_EX_STATICEDGE 0x00020000u
#define WS_EX_APPWINDOW 0x00040000u
#define BS_PUSHBUTTON 0x0u
#define BS_DEFPUSHBUTTON 0x1u
#define BS_AUTOCHECKBOX 0x3u
#define BS_GROUPBOX 0x7u
#define ES_LEFT 0x0u
#define ES_MULTILINE 0x4u
#define ES_AUTOVSCROLL 0x40u
#define ES_AUTOHSCROLL 0x80u
#define ES_READONLY 0x800u
#define ES_WANTRETURN 0x1000u
#define SS_LEFT 0x0u
#define SS_RIGHT 0x2u
#define SS_ICON 0x3u
#define SS_NOPREFIX 0x80u
#define CBS_DROPDOWN 0x2u
#define CBS_DROPDOWNLIST 0x3u
#define CBS_SORT 0x100u

// Control classes of a template. "LOGEDIT" is the layer's multi-line edit for a large,
// append-only byte log: it shows its bound text without copying it and keeps typing out.
// An edit, list or log right after a text label (or a check box that leads into it) in the
// template takes that text, without its colon and aligning spaces, as its accessible name, as
// a screen reader would name it; CWnd::SetAccessibleName gives another.
#define WC_BUTTON "BUTTON"
#define WC_EDIT "EDIT"
#define WC_STATIC "STATIC"
#define WC_COMBOBOX "COMBOBOX"
#define WC_LOGEDIT "LOGEDIT"

struct DLGITEM {
    const char* className;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;  // dialog units
    int id;
    const char* text;  // GBK; for an icon static, the icon's resource id as "#128"
};

struct DLGTEMPLATE_DATA {
    UINT id;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    const char* caption;  // GBK
    int pointSize;
    int weight;
    int charSet;
    const char* faceName;  // GBK
    const DLGITEM* items;
    int itemCount;
};

struct STRINGRES {
    UINT id;
    const char* text;  // GBK
};

struct ICONRES {
    UINT id;
    const unsigned char* png;  // PNG images of the icon, several sizes
    const unsigned int* pngSizes;
    int imageCount;
};

struct AFX_RESOURCES {
    const DLGTEMPLATE_DATA* const* dialogs;
    int dialogCount;
    const STRINGRES* strings;
    int stringCount;
    const ICONRES* icons;
    int iconCount;
};

void AfxSetResources(const AFX_RESOURCES* pResources);
const DLGTEMPLATE_DATA* AfxFindTemplate(UINT nID);
BOOL AfxLoadString(UINT nID, CString& rString);
HICON AfxLoadIcon(UINT nID);
