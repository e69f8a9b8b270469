// Control wrappers (buttons, combo boxes, edits, labels) and menus. A wrapper is bound to a
// dialog's control by DDX_Control; its calls act on that control. What a control does itself
// with its messages (its text, the edit messages) is its procedure, which the window's
// default handling calls whoever wraps it.
#pragma once
#include <string>
#include <vector>

#include "platform/ui/window.h"

class CButton : public CWnd {
public:
    int GetCheck() const;  // BST_UNCHECKED 0, BST_CHECKED 1
    void SetCheck(int nCheck);
};

class CComboBox : public CWnd {
public:
    int AddString(LPCSTR lpszString);  // appended: the lists are never sorted
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

class CStatic : public CWnd {};

struct MenuItem {
    UINT flags;
    UINT_PTR id;
    CString text;  // GBK
};

class CMenu {
public:
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr);
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
// The procedure of the layer's controls: their text and the edit messages.
bool ControlProc(CWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
}  // namespace kvimpl
