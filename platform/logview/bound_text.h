// What a view that shows a string of the program in place offers the dialog layer: the string
// it is bound to, and an edit control's row operations over what it shows. The dialog layer
// binds and scrolls such a view through this interface, whatever widget it is.
#pragma once
#include "platform/core/cstring.h"
#include "platform/core/wintypes.h"

class BoundTextView {
public:
    // Shows the bytes of *pText as they are now (nullptr: nothing). The string must outlive
    // the view; a later call with the same string shows what it has become.
    virtual void SetText(const CString* pText) = 0;
    // Rows as the view shows them.
    virtual INT_PTR GetLineCount() const = 0;
    virtual void LineScroll(INT_PTR nLines) = 0;  // moves the first visible row, clamped
    virtual INT_PTR GetFirstVisibleLine() const = 0;

protected:
    ~BoundTextView() = default;
};
