// Popup menus opened by the code under test: whatever opens while a MenuWatcher lives is
// handed to its function and then closed, however long the menu takes to come up.
#pragma once
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <functional>

class MenuWatcher {
public:
    explicit MenuWatcher(std::function<void(QMenu*)> fn = nullptr) : m_fn(std::move(fn)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            ++m_nMenus;
            if (m_fn) m_fn(menu);
            menu->close();
        });
        m_timer.start(10);
    }
    int m_nMenus = 0;

private:
    std::function<void(QMenu*)> m_fn;
    QTimer m_timer;
};

inline QAction* ActionStartingWith(QMenu* menu, const QString& text) {
    for (QAction* a : menu->actions())
        if (a->text().startsWith(text)) return a;
    return nullptr;
}
