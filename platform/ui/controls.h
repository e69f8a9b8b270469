// Control wrappers (buttons, combo boxes, edits, labels) and menus. A wrapper is bound to a
// dialog's control by DDX_Control; its calls act on that control. What a control does itself
// with its messages (its text, the edit messages) is its procedure, which the window's
// default handling calls whoever wraps it.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/window.h"

class QMenu;

class CButton : public CWnd {
public:
    int GetCheck() const;  // BST_UNCHECKED 0, BST_CHECKED 1
    void SetCheck(int nCheck);
};

class CComboBox : public CWnd {
public:
    int AddString(LPCSTR lpszString);                  // appended: the lists are never sorted
    int AddString(LPCSTR lpszString, UINT nCodePage);  // CP_ACP as above, or CP_UTF8
    // Index of the first item that begins with the text (case-insensitive), searching from
    // the item after nStartAfter and wrapping around; CB_ERR when none.
    int FindString(int nStartAfter, LPCSTR lpszString) const;
    int FindStringExact(int nStartAfter, LPCSTR lpszString) const;
    int SetCurSel(int nSelect);
    int GetCurSel() const;
    void ResetContent();
    int GetCount() const;
    void GetLBText(int nIndex, CString& rString) const;
};

class CEdit : public CWnd {
public:
    int GetLineCount() const;
    void LineScroll(int nLines, int nChars = 0);
    int GetFirstVisibleLine() const;
};

class CStatic : public CWnd {
public:
    // Whether assistive technology is told each new text of this label (a few times a second
    // at most, the last text always), as a status line that never has the focus needs.
    void SetTellsChanges(BOOL bTell);
};

struct MenuItem {
    UINT flags;
    UINT_PTR id;
    CString text;  // GBK
};

// A menu: the system menu, or a pop-up the program fills and tracks. Items take MF_STRING,
// MF_SEPARATOR, MF_GRAYED and MF_CHECKED.
class CMenu {
public:
    BOOL CreatePopupMenu();  // starts an empty pop-up menu
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr);
    // Inserts before the item at nPosition (with MF_BYPOSITION; past the end: appends).
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0,
                    LPCSTR lpszNewItem = nullptr);
    // Shows the menu at a screen point until the user chooses or dismisses it. With
    // TPM_RETURNCMD: the chosen id, 0 for none; otherwise the choice is posted to pWnd as
    // WM_COMMAND.
    UINT TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd) const;
    int GetMenuItemCount() const { return (int)m_items.size(); }
    const MenuItem& GetItem(int i) const { return m_items[(size_t)i]; }

private:
    std::vector<MenuItem> m_items;
};

#define BST_UNCHECKED 0
#define BST_CHECKED 1

// A combo box item may tell more than its text: the describer, when one is set, gives the
// tooltip of each item added (UTF-8 in, UTF-8 out; false: none). The application layer sets
// it at start-up.
typedef bool (*COMBOITEMDESCRIBER)(const std::string& itemUtf8, std::string& tooltipUtf8);
void SetComboItemDescriber(COMBOITEMDESCRIBER pfnDescriber);

namespace kvimpl {
// The text of a control, GBK, as the platform's window text (layer internals).
void SetControlText(QWidget* w, const CString& text);
CString GetControlText(QWidget* w);
CString GetControlTextUtf8(QWidget* w);  // the same as UTF-8, every character kept
// Fills a Qt menu with a menu's items; onChoose gets the id of the item triggered.
void FillMenu(const CMenu& m, QMenu& menu, const std::function<void(UINT_PTR)>& onChoose);
// The procedure of the layer's controls: their text and the edit messages.
bool ControlProc(CWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
}  // namespace kvimpl
