// Labels that name controls, for assistive technology (layer internals). Below the window
// code, which names a control by its label when the program gives the control a name.
#pragma once
#include <QString>

class QWidget;

namespace kvimpl {
// A label's text as the name of the control it labels: without '&', a closing colon and the
// runs of spaces that align short labels ("串  口：" names "串口").
QString LabelAsName(QString text);
// Makes the sibling label that names pControl its buddy, which assistive technology reads as
// the control's label (on Linux a list box's name is its current text, its label tells what
// it is); another label that was its buddy lets go of it. False when no sibling label gives
// that name.
bool LabelByName(QWidget* pControl, const QString& name);
}  // namespace kvimpl
