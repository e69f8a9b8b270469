// Events that tell assistive technology of the receive display's new text and selection.
#include "platform/logview/logview_tell.h"

#include <QTimer>
#include <algorithm>
#include <climits>

#include "platform/core/hook.h"
#include "platform/logview/logview_hooks.h"

namespace {
Hook<void(QAccessibleEvent*)> g_hook;

int Clamp(int64_t v) { return (int)std::clamp<int64_t>(v, 0, INT_MAX); }
}  // namespace

void SetLogViewEventHook(std::function<void(QAccessibleEvent*)> hook) {
    g_hook.Install(std::move(hook));
}

bool LogTextTeller::Listening() { return g_hook || QAccessible::isActive(); }

void LogTextTeller::Tell(QAccessibleEvent* ev) {
    if (auto hook = g_hook.Get())
        hook(ev);
    else
        QAccessible::updateAccessibility(ev);
}

void LogTextTeller::Forget() { m_toldLen = 0; }

void LogTextTeller::Grew(QObject* view, const LogIndex& index, LogTextMap& map) {
    if (m_bPosted) return;
    if (!Listening()) {
        m_toldLen = index.Length();
        return;
    }
    m_bPosted = true;
    QTimer::singleShot(kEveryMs, view, [this, view, &index, &map] {
        m_bPosted = false;
        if (index.IsStale()) return;  // the view's next refresh tells
        int64_t len = index.Length();
        if (len > m_toldLen && Listening()) {
            int64_t from =
                std::max(map.UnitOfOffset(index, m_toldLen), map.Units(index) - kMaxUnits);
            int64_t b = map.OffsetOfUnit(index, from);
            std::u16string s = LogTextMap::Text(index, b, len, kMaxUnits);
            QAccessibleTextInsertEvent ev(
                view, Clamp(map.UnitOfOffset(index, b)),
                QString(reinterpret_cast<const QChar*>(s.data()), (qsizetype)s.size()));
            Tell(&ev);
        }
        m_toldLen = len;
        if (index.Behind()) Grew(view, index, map);  // bytes still being indexed: next time
    });
}

void LogTextTeller::Selected(QObject* view, const LogIndex& index, LogTextMap& map, int64_t anchor,
                             int64_t caret) {
    if (!Listening()) return;
    QAccessibleTextSelectionEvent ev(view, Clamp(map.UnitOfOffset(index, std::min(anchor, caret))),
                                     Clamp(map.UnitOfOffset(index, std::max(anchor, caret))));
    ev.setCursorPosition(Clamp(map.UnitOfOffset(index, caret)));
    Tell(&ev);
}
