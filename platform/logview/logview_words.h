// Reading the receive display's text through its row index: bytes as UTF-8 for copying, and
// the word around a byte (double-click selection, assistive technology). No Qt here.
#pragma once
#include <cstdint>
#include <string>

#include "platform/logview/logview_index.h"

// The bytes [begin, end) of what index shows, as UTF-8 text (see logview::AppendUtf8).
std::string LogTextUtf8(const LogIndex& index, int64_t begin, int64_t end);
// The word around off: a run of letters, digits and '_', of wide characters or of other
// characters beyond ASCII; any other glyph alone. Looks no further than 8 rows either way.
void LogWordAt(const LogIndex& index, int64_t off, int64_t& begin, int64_t& end);
