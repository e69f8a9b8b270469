// CFileDialog: the open/save-as dialog over Qt's own (non-native) file dialog, so it looks
// and behaves the same on every desktop.
//
// The filter is given in the framework's "Name|*.ext|Name|*.ext||" form; the first entry is
// selected. A name typed without an extension gets the default extension. Choosing an
// existing file in a save dialog with OFN_OVERWRITEPROMPT asks before the dialog closes.
// File names, the proposed one and the chosen path, are the file system's bytes (UTF-8), as
// CFile opens them; never GBK, which lacks many characters a name may hold. The other texts
// are GBK. The dialog does not move the process's current directory. Tests answer the dialog
// through a hook (ui_hooks.h).
#pragma once
#include <string>
#include <vector>

#include "platform/core/cstring.h"
#include "platform/core/wintypes.h"

class CWnd;

#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_EXPLORER 0x00080000
// An open dialog that picks an existing folder rather than a file.
#define OFN_PICKFOLDER 0x01000000

struct FileDialogFilter {
    CString strName;     // "TXT Files (*.txt)"
    CString strPattern;  // "*.txt" (several patterns separated by ';')
};

// What the dialog would have shown.
struct FileDialogRecord {
    BOOL bOpenFileDialog;
    CString strFileName;  // the proposed name, file-system bytes
    CString strDefExt;
    std::vector<FileDialogFilter> filters;
    DWORD dwFlags;
    HWND hOwner;
};

// Splits a "A|*.a|B|*.b||" filter into its entries.
std::vector<FileDialogFilter> ParseFileDialogFilter(LPCSTR lpszFilter);

class CFileDialog {
public:
    CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                CWnd* pParentWnd = nullptr);
    virtual ~CFileDialog() = default;

    // IDOK when a file was chosen, IDCANCEL otherwise.
    virtual INT_PTR DoModal();

    CString GetPathName() const { return m_strPathName; }  // full path, file-system bytes
    CString GetFileName() const;                           // name with extension

private:
    FileDialogRecord m_record;
    CWnd* m_pParentWnd;
    CString m_strPathName;
};
