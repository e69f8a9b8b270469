// CSendHistory: the texts sent with the send button, newest first. A text sent again with the
// same HEX state moves to the top instead of being listed twice; the list keeps at most
// kMaxEntries, dropping the oldest. Empty texts and texts longer than kMaxTextBytes are not
// kept: the list is for commands, not for files sent whole.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "platform/afx.h"

class CSendHistory {
public:
    typedef std::pair<std::string, bool> Entry;  // UTF-8 text (CR LF line breaks), HEX state
    static constexpr size_t kMaxEntries = 100;
    static constexpr size_t kMaxTextBytes = 16 << 10;
    // What a saved history may take in the settings file, counted as its JSON strings.
    static constexpr size_t kMaxSavedBytes = 256 << 10;

    // Puts a text at the top; false when it is not kept.
    bool Push(const std::string& text, bool bHex);
    void Clear() { m_entries.clear(); }
    // Replaces the list by saved entries (newest first), under the same rules as Push.
    void Assign(const std::vector<Entry>& entries);
    const std::vector<Entry>& Entries() const { return m_entries; }
    // The newest entries whose JSON strings fit in kMaxSavedBytes together.
    std::vector<Entry> ForSaving() const;
    // An entry as one line of the drop-down list (UTF-8): line breaks as "↙", at most
    // kLabelChars characters, hex entries marked. A text is drawn as it goes out: in GBK
    // (bUtf8 false) the characters GBK lacks become '?'; hex digits are drawn as typed.
    static constexpr int kLabelChars = 80;
    static std::string Label(const Entry& e, bool bUtf8);

private:
    std::vector<Entry> m_entries;
};
