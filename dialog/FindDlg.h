// CFindDlg: the modeless find box over the receive display. It looks for the typed text, in
// the display's encoding, or for hex bytes, in the receive text; the search runs in short
// steps posted to the box, so the window stays responsive over hundreds of MiB. A match is
// selected in the display and scrolled into sight; the outcome is told in the box.
#pragma once
#include <memory>

#include "options/Settings.h"
#include "platform/afx.h"

#define UM_FIND_STEP (WM_USER + 40)

class CFindDlg : public CDialog {
public:
    // pText: the receive text; pView: the display that shows it; pSettings: its encoding.
    CFindDlg(const CString* pText, CWnd* pView, const CKivernSettings* pSettings, CWnd* pParent);

    // Shows the box, created the first time (the hex option then follows bHexDisplay), with
    // the focus in its text field; the last text stays.
    void Open(BOOL bHexDisplay);
    // Finds again with the box's text and options; opens the box while it has no text.
    void FindAgain(BOOL bForward, BOOL bHexDisplay);
    BOOL IsSearching() const { return m_pSearch != nullptr; }

    // A step searches for about this long before the event loop gets a turn.
    static constexpr int kStepBudgetMs = 8;
    static constexpr int64_t kSliceBytes = 1 << 20;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;      // Enter: the next match
    void OnCancel() override;  // Escape, the close button: the box hides, the search stops

public:
    void OnFindNext();
    void OnFindPrev();
    void OnFocusText();
    LRESULT OnFindStep(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void Start(BOOL bForward);
    BOOL MakePattern(std::vector<LogPattern::Alternative>& alts, CString& strError);
    void Stop(const CString& strStatus);
    void Show(const CString& strStatus);
    void PostStep();

    const CString* m_pText;
    CWnd* m_pView;
    const CKivernSettings* m_pSettings;
    std::unique_ptr<LogSearch> m_pSearch;
    unsigned long m_nEpoch = 0;  // of the receive text the search reads
    int64_t m_nSeen = 0;         // its length at the last step
    CString m_strWhat;           // what is searched for, as the status names it
    bool m_bStepPosted = false;
};
