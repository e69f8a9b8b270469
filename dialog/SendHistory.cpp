// The send history's list: order, duplicates, limits, and its lines in the drop-down list.
#include "dialog/SendHistory.h"

#include <algorithm>

bool CSendHistory::Push(const std::string& text, bool bHex) {
    if (text.empty() || text.size() > kMaxTextBytes) return false;
    Entry e(text, bHex);
    auto it = std::find(m_entries.begin(), m_entries.end(), e);
    if (it != m_entries.end()) m_entries.erase(it);
    m_entries.insert(m_entries.begin(), std::move(e));
    if (m_entries.size() > kMaxEntries) m_entries.resize(kMaxEntries);
    return true;
}

void CSendHistory::Assign(const std::vector<Entry>& entries) {
    m_entries.clear();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) Push(it->first, it->second);
}

std::vector<CSendHistory::Entry> CSendHistory::ForSaving() const {
    std::vector<Entry> saved;
    size_t total = 0;
    for (const Entry& e : m_entries) {
        // A control byte is written as \u00XX, a quote or backslash with a backslash.
        size_t n = 2;
        for (unsigned char c : e.first) n += c < 0x20 ? 6 : (c == '"' || c == '\\') ? 2 : 1;
        if (total + n > kMaxSavedBytes) break;
        total += n;
        saved.push_back(e);
    }
    return saved;
}

std::string CSendHistory::Label(const Entry& e, bool bUtf8) {
    std::string line = e.second ? "[HEX] " : "";
    const std::string& t = e.first;
    size_t i = 0;
    for (int nChars = 0; i < t.size() && nChars < kLabelChars; ++nChars) {
        unsigned char c = (unsigned char)t[i];
        if (c == '\r' || c == '\n') {
            line += "\xE2\x86\x99";  // ↙
            i += (c == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ? 2 : 1;
        } else if (c < 0x20 || c == 0x7F) {
            line += ' ';
            ++i;
        } else {
            // A whole character: its lead byte and continuation bytes.
            size_t j = i + 1;
            while (j < t.size() && ((unsigned char)t[j] & 0xC0) == 0x80) ++j;
            line.append(t, i, j - i);
            i = j;
        }
    }
    if (i < t.size()) line += "\xE2\x80\xA6";  // … : more than the line shows
    if (bUtf8 || e.second) return line;
    CString sent = ConvertCodePage(CString(line.c_str(), (INT_PTR)line.size()), CP_UTF8, CP_ACP);
    CString drawn = ConvertCodePage(sent, CP_ACP, CP_UTF8);
    return std::string(drawn.GetString(), (size_t)drawn.GetLength());
}
