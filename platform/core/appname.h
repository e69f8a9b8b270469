// The application's name, as the application object gives it (CWinApp::m_pszAppName): the
// caption of the boxes the program shows without one of its own.
#pragma once
#include "platform/core/wintypes.h"

// "" until the application has set its name.
LPCSTR AfxGetAppName();
// The text is kept as it is; it must live as long as the program (a literal).
void AfxSetAppName(LPCSTR lpszAppName);
