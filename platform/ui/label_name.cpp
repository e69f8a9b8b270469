// Labels that name controls.
#include "platform/ui/label_name.h"

#include <QLabel>
#include <QRegularExpression>
#include <QWidget>

namespace kvimpl {

QString LabelAsName(QString text) {
    text = text.remove(QLatin1Char('&')).trimmed();
    while (text.endsWith(QChar(0xFF1A)) || text.endsWith(QLatin1Char(':'))) text.chop(1);
    return text.replace(QRegularExpression(QStringLiteral(" {2,}")), QString()).trimmed();
}

bool LabelByName(QWidget* pControl, const QString& name) {
    QWidget* parent = pControl->parentWidget();
    if (!parent) return false;
    bool bFound = false;
    for (QObject* o : parent->children()) {
        auto* label = qobject_cast<QLabel*>(o);
        if (!label || label == pControl) continue;
        if (!bFound && !name.isEmpty() && LabelAsName(label->text()) == name) {
            label->setBuddy(pControl);
            bFound = true;
        } else if (label->buddy() == pControl) {
            label->setBuddy(nullptr);  // a label that says something else labels it no more
        }
    }
    return bFound;
}

}  // namespace kvimpl
