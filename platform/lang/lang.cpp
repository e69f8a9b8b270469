#include "platform/lang/lang.h"

#include <QString>
#include <QTranslator>
#include <memory>

#include "platform/text/gbk.h"

namespace {
// Loaded once and only read after that, from any thread.
std::unique_ptr<QTranslator> g_english;
int g_nLanguage = LANG_CHINESE;

QString Translate(const char* pszContext, const char* pszUtf8) {
    if (g_nLanguage != LANG_ENGLISH || !pszUtf8 || !*pszUtf8) return QString();
    return g_english->translate(pszContext, pszUtf8);
}
}  // namespace

BOOL AfxSetLanguage(int nLanguage) {
    if (nLanguage == LANG_ENGLISH && !g_english) {
        auto tr = std::make_unique<QTranslator>();
        if (!tr->load(QStringLiteral(":/i18n/kivern_en.qm"))) {
            g_nLanguage = LANG_CHINESE;
            return FALSE;
        }
        g_english = std::move(tr);
    }
    g_nLanguage = nLanguage == LANG_ENGLISH ? LANG_ENGLISH : LANG_CHINESE;
    return TRUE;
}

int AfxGetLanguage() { return g_nLanguage; }

CString AfxTr(const char* pszContext, const char* pszText) {
    if (g_nLanguage != LANG_ENGLISH || !pszText) return CString(pszText ? pszText : "");
    const QString s = Translate(pszContext, GbkToUtf8(CString(pszText)).c_str());
    return s.isEmpty() ? CString(pszText) : Utf8ToGbk(s.toStdString());
}

std::string AfxTrUtf8(const char* pszContext, const char* pszText) {
    const QString s = Translate(pszContext, pszText);
    return s.isEmpty() ? std::string(pszText ? pszText : "") : s.toStdString();
}
