// Telling assistive technology of a label's new text, throttled.
#include "platform/ui/label_tell.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include "platform/logview/logview_tell.h"

namespace {

// What a telling label keeps: when it last told, what it told, whether a telling waits.
class LabelTeller : public QObject {
public:
    explicit LabelTeller(QLabel* label) : QObject(label), m_label(label) {}

    void Changed() {
        if (m_bPosted) return;  // the waiting telling takes the text as it is then
        const qint64 since = m_told.isValid() ? m_told.elapsed() : kvimpl::kLabelTellEveryMs;
        if (since >= kvimpl::kLabelTellEveryMs) {
            Tell();
            return;
        }
        m_bPosted = true;
        QTimer::singleShot(kvimpl::kLabelTellEveryMs - (int)since, this, [this] {
            m_bPosted = false;
            Tell();
        });
    }

private:
    void Tell() {
        const QString text = m_label->text();
        if (m_told.isValid() && text == m_toldText) return;  // changed and back again
        m_told.start();
        m_toldText = text;
        if (!LogTextTeller::Listening()) return;
        QAccessibleEvent ev(m_label, QAccessible::NameChanged);
        LogTextTeller::Tell(&ev);
    }

    QLabel* m_label;
    QElapsedTimer m_told;
    QString m_toldText;
    bool m_bPosted = false;
};

LabelTeller* TellerOf(QLabel* label) {
    return label->findChild<LabelTeller*>(QString(), Qt::FindDirectChildrenOnly);
}

}  // namespace

void kvimpl::SetLabelTells(QLabel* label, bool bTell) {
    LabelTeller* teller = TellerOf(label);
    if (bTell && !teller) new LabelTeller(label);
    if (!bTell) delete teller;
}

void kvimpl::LabelTextChanged(QLabel* label) {
    if (LabelTeller* teller = TellerOf(label)) teller->Changed();
}
