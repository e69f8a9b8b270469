#include "platform/ui/except.h"

#include "platform/ui/msgbox.h"

int CException::ReportError(UINT nType) {
    // An error box: the error icon unless the caller chose another.
    if ((nType & MB_ICONMASK) == 0) nType |= MB_ICONERROR;
    return MessageBoxUtf8(nullptr, GetErrorMessageUtf8(), KIVERN_APP_TITLE, nType);
}

std::string CException::GetErrorMessageUtf8() const { return "发生了未知错误。"; }
