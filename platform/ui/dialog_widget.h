// The widgets behind a dialog and its labels (layer internals).
#pragma once
#include <QDialog>
#include <QLabel>
#include <QStaticText>
#include <functional>
#include <vector>

#include "platform/ui/window.h"

// A label whose text colour its dialog chooses (WM_CTLCOLOR) each time it is drawn. Like a
// static control it fills its rectangle with the dialog's background, so a new text repaints
// the label alone, not the widgets behind it.
class KvLabel : public QLabel {
public:
    explicit KvLabel(QWidget* parent) : QLabel(parent) { setAutoFillBackground(true); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    // Draws a left-aligned one-line plain text as QLabel would: ASCII text (a counter, drawn 33
    // times a second while data streams) shaped directly, other text from a layout kept while
    // the text and font stay the same; false for anything else, which QLabel draws.
    bool PaintPlainText();
    QStaticText m_static;
    QString m_staticText;
    QFont m_staticFont;
};

// The top-level widget of a CDialog: routes keys, closing, resizing and painting to it.
class DialogWidget : public QDialog {
public:
    DialogWidget(CWnd* owner, QWidget* parent);
    CWnd* Owner() const { return m_owner; }
    // The window whose dialog widget holds a control, or nullptr.
    static CWnd* OwnerOf(QWidget* control);
    // Opens the owner's system menu at a screen point (at the window's corner for 0, 0).
    void ShowSystemMenu(int x, int y);
    // Shift+F10 or the Menu key: the focused receive view's context menu, else the system menu.
    void ShowKeyboardMenu();
    bool m_bSizeMessages = false;  // WM_SIZE is sent once the dialog is initialised
    // The command of a key press (Qt key, modifiers) by the owner's accelerators, or 0.
    std::function<WORD(int, int)> m_accelerator;
    int m_nResult = IDCANCEL;

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void changeEvent(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void SendSize();
    void ApplyMinimumSize();
    // A resizable window larger than the free area of its screen is made to fit it, and moved
    // so that its frame lies on it; the window manager's frame counts once it is known.
    void FitToScreen();
    QMargins FrameMargins() const;  // the frame around the client area, or none while unknown
    QMargins FrameRoom() const;     // the same, or room for one while the frame is not known
    void CheckFrameLater();         // ApplyMinimumSize again shortly, while the frame is not known
    CWnd* m_owner;
    QMargins m_fittedFrame{-1, -1, -1, -1};  // the frame the last fit counted with
    int m_nFrameChecks = 0;
};
