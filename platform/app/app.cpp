#include "platform/app/app.h"

#include <malloc.h>

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/app/devnotify.h"
#include "platform/comm/comm_release.h"
#include "platform/core/appname.h"
#include "platform/core/except.h"
#include "platform/lang/lang.h"
#include "platform/ports/registry.h"
#include "platform/ui/font.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"

namespace {
CWinApp* g_app = nullptr;

// A port list shows "COMn" entries; the device node and description go beside each as its
// tooltip, so the user can tell the ports apart. A list filled from the serial device map
// is described from that key's own scan.
bool DescribePortItem(const std::string& item, std::string& tip) {
    std::string node, description;
    if (!DescribeListedPort(item.c_str(), node, description)) return false;
    tip = node;
    if (!description.empty()) tip += " \xC2\xB7 " + description;  // a middle dot
    return true;
}

// Errors the layer reports (a file that cannot be opened) are shown in a box under the
// application's name.
int ReportInBox(const std::string& textUtf8, UINT nType) {
    // An error without words of its own has the core's words, which know no language.
    if (textUtf8 == CException().GetErrorMessageUtf8())
        return MessageBoxUtf8(nullptr, AfxTrUtf8("Layer", "发生了未知错误。"), AfxGetAppName(),
                              nType);
    return MessageBoxUtf8(nullptr, textUtf8, AfxGetAppName(), nType);
}

// Qt's own texts (the standard buttons, the file dialog) in Chinese while the interface is
// Chinese; in English, Qt's own English.
class QtTexts : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override {
        if (AfxGetLanguage() != LANG_CHINESE) return QString();
        return QTranslator::translate(context, source, disambiguation, n);
    }
};
}  // namespace

void AfxInitFramework() {
    kvimpl::InstallFontSubstitutes();
    SetComboItemDescriber(&DescribePortItem);
    AfxSetErrorReporter(&ReportInBox);
}

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName) { g_app = this; }
CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}
BOOL CWinApp::InitInstance() { return TRUE; }

CWinApp* AfxGetApp() { return g_app; }

void AfxEnableControlContainer() {}

int AfxWinMain(int argc, char** argv, const AFX_RESOURCES* pResources) {
    // The receive text grows to hundreds of MiB and is emptied by the user: blocks that large
    // come from their own mappings, so that a cleared log gives its memory back to the system.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    QApplication qapp(argc, argv);
    if (g_app) {
        if (g_app->m_pszAppName) AfxSetAppName(g_app->m_pszAppName);
        if (g_app->m_pszExeName) QApplication::setApplicationName(g_app->m_pszExeName);
        if (g_app->m_pszAppID) QApplication::setDesktopFileName(g_app->m_pszAppID);
    }
    AfxInitFramework();
    // The standard dialogs and buttons Qt draws speak the interface's language.
    QtTexts qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    AfxSetResources(pResources);
    InstallCommReleaseOnSignals();
    StartDeviceNotifications();
    int code = 0;
    if (g_app && g_app->InitInstance()) code = QApplication::exec();
    StopDeviceNotifications();
    return code;
}
