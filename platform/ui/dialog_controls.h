// The widgets a dialog template's controls become (layer internals, for building a dialog).
// A user's entry into an edit is limited, as a dialog's edit limits it until the program
// sets a limit; text the program sets is not limited.
#pragma once
#include <functional>

#include "platform/core/wintypes.h"
#include "platform/ui/resource_data.h"

class QWidget;

namespace kvimpl {
// Tells the dialog of a control's notification (BN_CLICKED, EN_CHANGE, ...) from widget src.
using ControlNotify = std::function<void(UINT code, QWidget* src)>;
// The widget of a template item, made a child of parent, with the focus policy its style asks.
QWidget* CreateTemplateControl(const DLGITEM& it, QWidget* parent, const ControlNotify& notify);
// An edit, combo box or log view: named by the text label before it in the template.
bool NamedByLabel(const DLGITEM& it);
// A text label, or a check box whose caption leads into the control after it.
bool IsTextLabel(const DLGITEM& it);
}  // namespace kvimpl
