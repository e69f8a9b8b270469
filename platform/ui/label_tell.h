// Labels that tell assistive technology when their text changes: a status line a screen
// reader should speak although it never has the focus. Each change raises a NameChanged
// event on the label (its name is its text), at most once per kEveryMs; the text a burst of
// changes ends with is always told.
#pragma once
class QLabel;

namespace kvimpl {
constexpr int kLabelTellEveryMs = 250;
void SetLabelTells(QLabel* label, bool bTell);
void LabelTextChanged(QLabel* label);  // after the label's text was set to another
}  // namespace kvimpl
