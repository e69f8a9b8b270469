// Telling assistive technology what changes in the receive display: appended text at most
// once per kEveryMs, and at most kMaxUnits characters of it (a flood tells its last ones,
// where they are); the selection and caret. The events go to assistive technology while one
// listens, or to the hook a test installs instead (logview_hooks.h).
#pragma once
#include <QAccessible>
#include <cstdint>

#include "platform/logview/logview_index.h"
#include "platform/logview/logview_text.h"

class LogTextTeller {
public:
    static constexpr int kEveryMs = 250;
    static constexpr int kMaxUnits = 16384;
    static bool Listening();
    static void Tell(QAccessibleEvent* ev);

    void Forget();  // the view shows another text from now on
    // The view shows what index holds now: what was appended is told a while later. index
    // and map belong to the view and live as long as it does.
    void Grew(QObject* view, const LogIndex& index, LogTextMap& map);
    void Selected(QObject* view, const LogIndex& index, LogTextMap& map, int64_t anchor,
                  int64_t caret);

private:
    int64_t m_toldLen = 0;  // bytes told as inserted so far
    bool m_bPosted = false;
};
