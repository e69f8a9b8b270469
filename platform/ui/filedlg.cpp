#include "platform/ui/filedlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStringList>

#include "platform/core/hook.h"
#include "platform/files/file_util.h"
#include "platform/lang/lang.h"
#include "platform/text/gbk.h"
#include "platform/ui/qtext.h"
#include "platform/ui/ui_hooks.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"

namespace {
Hook<bool(const FileDialogRecord&, std::string&)> g_hook;

// Qt reads a filter's patterns from the parentheses at its end; entries whose name already
// ends in them ("TXT Files (*.txt)") are used as they are.
QString QtFilter(const FileDialogFilter& filter) {
    QString name = kvimpl::FromGbk(filter.strName);
    QString patterns = kvimpl::FromGbk(filter.strPattern);
    QString spaced = QString(patterns).replace(';', ' ');
    if (name.endsWith("(" + patterns + ")") || name.endsWith("(" + spaced + ")")) return name;
    return name + " (" + spaced + ")";
}

// A name typed without an extension gets the default one.
std::string WithDefaultExtension(const std::string& path, const std::string& ext) {
    if (ext.empty()) return path;
    size_t slash = path.rfind('/');
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (name.empty() || name.find('.') != std::string::npos) return path;
    return path + "." + ext;
}
}  // namespace

void SetFileDialogHook(std::function<bool(const FileDialogRecord&, std::string&)> hook) {
    g_hook.Install(std::move(hook));
}

std::vector<FileDialogFilter> ParseFileDialogFilter(LPCSTR lpszFilter) {
    std::vector<FileDialogFilter> filters;
    if (!lpszFilter) return filters;
    std::vector<CString> parts;
    CString part;
    for (const char* p = lpszFilter; *p; p++) {
        if (*p == '|') {
            parts.push_back(part);
            part.Empty();
        } else {
            part += *p;
        }
    }
    if (!part.IsEmpty()) parts.push_back(part);
    // Pairs of name and pattern; the empty name of the closing "||" ends the list.
    for (size_t i = 0; i + 1 < parts.size() && !parts[i].IsEmpty(); i += 2)
        filters.push_back(FileDialogFilter{parts[i], parts[i + 1]});
    return filters;
}

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName,
                         DWORD dwFlags, LPCSTR lpszFilter, CWnd* pParentWnd)
    : m_pParentWnd(pParentWnd) {
    m_record.bOpenFileDialog = bOpenFileDialog;
    m_record.strDefExt = lpszDefExt;
    m_record.strFileName = lpszFileName;
    m_record.filters = ParseFileDialogFilter(lpszFilter);
    m_record.dwFlags = dwFlags;
    m_record.hOwner = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
}

INT_PTR CFileDialog::DoModal() {
    std::string ext = GbkToUtf8(m_record.strDefExt);
    std::string chosen;
    if (auto hook = g_hook.Get()) {
        if (!hook(m_record, chosen) || chosen.empty()) return IDCANCEL;
    } else {
        QWidget* pParent = m_pParentWnd ? static_cast<QWidget*>(m_pParentWnd->GetWidget())
                                        : QApplication::activeWindow();
        QFileDialog dlg(pParent);
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
        dlg.setWindowTitle(QString::fromStdString(
            m_record.bOpenFileDialog ? AfxTrUtf8("Layer", "打开") : AfxTrUtf8("Layer", "另存为")));
        dlg.setAcceptMode(m_record.bOpenFileDialog ? QFileDialog::AcceptOpen
                                                   : QFileDialog::AcceptSave);
        dlg.setFileMode(m_record.bOpenFileDialog && (m_record.dwFlags & OFN_FILEMUSTEXIST)
                            ? QFileDialog::ExistingFile
                            : QFileDialog::AnyFile);
        if (m_record.bOpenFileDialog && (m_record.dwFlags & OFN_PICKFOLDER)) {
            dlg.setFileMode(QFileDialog::Directory);
            dlg.setOption(QFileDialog::ShowDirsOnly, true);
        }
        dlg.setOption(QFileDialog::DontConfirmOverwrite, !(m_record.dwFlags & OFN_OVERWRITEPROMPT));
        dlg.setOption(QFileDialog::ReadOnly, false);
        QStringList filters;
        for (const FileDialogFilter& f : m_record.filters) filters << QtFilter(f);
        if (!filters.isEmpty()) {
            dlg.setNameFilters(filters);
            dlg.selectNameFilter(filters.first());
        }
        dlg.setDefaultSuffix(QString::fromStdString(ext));
        dlg.setDirectory(QDir::currentPath());
        if (!m_record.strFileName.IsEmpty())
            dlg.selectFile(QFile::decodeName(m_record.strFileName.GetString()));
        dlg.setWindowModality(Qt::ApplicationModal);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return IDCANCEL;
        chosen = QFile::encodeName(dlg.selectedFiles().first()).toStdString();
    }
    // The file system's bytes as they are: the text code page may lack characters of the name.
    m_strPathName = CString((m_record.dwFlags & OFN_PICKFOLDER)
                                ? kvfile::FullPath(chosen).c_str()
                                : WithDefaultExtension(kvfile::FullPath(chosen), ext).c_str());
    return IDOK;
}

CString CFileDialog::GetFileName() const {
    INT_PTR slash = -1;
    for (INT_PTR i = 0; i < m_strPathName.GetLength(); i++) {
        if (m_strPathName[i] == '/') slash = i;
    }
    return m_strPathName.Mid(slash + 1);
}
