// The interface language. The program's texts are written in Chinese; with English chosen,
// AfxTr gives each marked text from the English translation built into the program
// (":/i18n/kivern_en.qm"). In Chinese, and for a text the translation lacks, it gives the text
// as written, byte for byte.
//
// The translation tools read the marks: AfxTr("Context", "text") where a text is shown,
// AfxTrUtf8 for the layer's own UTF-8 texts, and TR_NOOP("Context", "text") for a text kept in a
// table and translated where it is shown (lupdate -tr-function-alias
// translate+=AfxTr,translate+=AfxTrUtf8,QT_TRANSLATE_NOOP+=TR_NOOP). Dialog templates are
// translated as they are created, in the context "Dialog".
#pragma once
#include <string>

#include "platform/core/cstring.h"
#include "platform/core/wintypes.h"

#define LANG_CHINESE 0
#define LANG_ENGLISH 1

#define TR_NOOP(context, text) text

// Chooses the language of the texts shown from now on. FALSE (and Chinese) when the English
// translation cannot be loaded. Call it before any window is made.
BOOL AfxSetLanguage(int nLanguage);
int AfxGetLanguage();

// A GBK text in the chosen language (GBK).
CString AfxTr(const char* pszContext, const char* pszText);
// A UTF-8 text in the chosen language (UTF-8).
std::string AfxTrUtf8(const char* pszContext, const char* pszText);
