// Control wrappers (buttons, combo boxes, edits, labels), fonts, menus and drawing contexts.
// A wrapper is bound to a dialog's control by DDX_Control; its calls act on that control.
#pragma once
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

class CFont {
public:
    CFont() = default;
    ~CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;
    // Creates the font by pixel height (a positive height is the cell height), weight,
    // character set and face. Faces missing on this system go through the layer's
    // substitution table.
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                    BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                    BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                    LPCSTR lpszFacename);
    BOOL CreateFontA(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                     BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                     BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                     LPCSTR lpszFacename) {
        return CreateFont(nHeight, nWidth, nEscapement, nOrientation, nWeight, bItalic, bUnderline,
                          cStrikeOut, nCharSet, nOutPrecision, nClipPrecision, nQuality,
                          nPitchAndFamily, lpszFacename);
    }
    BOOL IsCreated() const { return m_pFont != nullptr; }
    operator HFONT() const { return reinterpret_cast<HFONT>(m_pFont); }
    void* GetImpl() const { return m_pFont; }

private:
    void* m_pFont = nullptr;  // a QFont
};

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

// A drawing context: the colour a label's text is drawn in, and icons on a window.
class CDC {
public:
    COLORREF SetTextColor(COLORREF crColor);
    COLORREF GetTextColor() const { return m_textColor; }
    bool HasTextColor() const { return m_hasTextColor; }
    void* GetSafeHdc() const { return m_pPainter; }
    BOOL DrawIcon(int x, int y, HICON hIcon);

protected:
    COLORREF m_textColor = 0;
    bool m_hasTextColor = false;
    void* m_pPainter = nullptr;  // a QPainter while painting
};

// The context of a window's paint handler.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
};

#define BST_UNCHECKED 0
#define BST_CHECKED 1
#define DEFAULT_CHARSET 1
#define ANSI_CHARSET 0
#define GB2312_CHARSET 134
#define FW_NORMAL 400
#define FW_BOLD 700
