// The colours of the receive display's cells beyond its plain text colour: those its escape
// sequences set (when the view reads them) and those of highlights. Both are worked out per
// row at paint time, for the rows drawn only; a line's highlight matches are kept until the
// line changes, so a repaint does not match again. With neither on, nothing is styled and
// rows are drawn as they always are.
#pragma once
#include <QRegularExpression>
#include <unordered_map>
#include <vector>

#include "platform/logview/logview_ansi.h"
#include "platform/logview/logview_highlight.h"
#include "platform/logview/logview_index.h"

class LogStyler {
public:
    // Lines up to this many bytes are matched whole; a longer one row by row.
    static constexpr int64_t kMaxMatchedLine = 4096;

    void SetAnsi(bool bAnsi) { m_bAnsi = bAnsi; }
    // Rules in order of precedence; a pattern that is not a valid expression is left out.
    void SetHighlights(const LogHighlights& rules);
    bool Active() const { return m_bAnsi || !m_rules.empty(); }
    // Forgets what was worked out: the index shows another text, or the same afresh.
    void Reset();

    // The colours of a row's cells (as LayoutRow gives them), one per cell.
    void StyleRow(const LogIndex& index, int64_t row, const std::vector<LogIndex::Cell>& cells,
                  std::vector<logview::SgrState>& out);

    // The matches of the rules in the shown text of bytes [begin, end): byte ranges and their
    // colour (0xFFRRGGBB), the first rule's first.
    struct Match {
        int64_t b, e;
        uint32_t rgb;
    };
    std::vector<Match> MatchRange(const LogIndex& index, int64_t begin, int64_t end) const;

private:
    struct Rule {
        QRegularExpression re;
        bool bWholeLine;
        uint32_t rgb;
    };
    struct LineMatches {
        int64_t end;
        std::vector<Match> m;
    };
    const std::vector<Match>& MatchesFor(const LogIndex& index, int64_t row);

    bool m_bAnsi = false;
    std::vector<Rule> m_rules;
    LogAnsiStyles m_ansi;
    std::unordered_map<int64_t, LineMatches> m_cache;  // by first byte of the matched range
};
