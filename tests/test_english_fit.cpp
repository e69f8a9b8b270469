// In English, every translated text of every dialog box shows whole in its control at the
// size its template gives it: labels, captions of buttons, check boxes and group boxes, and
// the items of the lists whose items are translated. Built twice, at scale 1 and
// (KVTEST_SCALE=2) at scale 2, since text does not grow exactly with the scale.
#include <sys/stat.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>

#include "dialog/AboutDlg.h"
#include "options/AutoReplyDlg.h"
#include "options/Colors.h"
#include "options/HighlightDlg.h"
#include "options/SettingsDlg.h"
#include "platform/ui/window_p.h"
#include "support/app_env.h"
#include "support/ink.h"
#include "support/permissions.h"

#ifndef KVTEST_SCALE
#define KVTEST_SCALE 1
#endif

namespace {
// Before the test application starts: its scale, on a screen where the main window has its
// designed size.
const bool g_bScale =
    setenv("QT_SCALE_FACTOR", KVTEST_SCALE == 2 ? "2" : "1", 1) == 0 &&
    setenv("KVTEST_SCREEN", KVTEST_SCALE == 2 ? "3840x2400" : "1920x1200", 1) == 0;

// Where a control's text may put ink, and how the control is made larger so that the text
// stays where it is (away from the edges it is aligned to).
struct Room {
    QMargins grow;  // left, top, right, bottom
    QRect allowed;  // in the control's own coordinates
};

::testing::AssertionResult InkInside(QWidget* w, const Room& room,
                                     const std::function<void(bool)>& show) {
    const QRect ink = kvtest::InkOf(w, room.grow, show);
    const qreal dpr = w->devicePixelRatioF();
    const QRectF allowed = QRectF(room.allowed.translated(room.grow.left(), room.grow.top()));
    const QRect inDevice(
        QPoint(qRound(allowed.left() * dpr), qRound(allowed.top() * dpr)),
        QPoint(qRound(allowed.right() * dpr + dpr - 1), qRound(allowed.bottom() * dpr + dpr - 1)));
    if (ink.isEmpty()) return ::testing::AssertionFailure() << "no ink at all";
    if (inDevice.contains(ink)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "ink " << ink.width() << "x" << ink.height() << " at " << ink.x() << "," << ink.y()
           << " beyond " << inDevice.width() << "x" << inDevice.height() << " at " << inDevice.x()
           << "," << inDevice.y() << " (device pixels, scale " << dpr << ")";
}

// The room of a label, a group box's title, a push button's or a check box's caption.
Room RoomOf(QWidget* w, DWORD style) {
    const QRect own(QPoint(0, 0), w->size());
    const int gx = std::max(80, own.width()), gy = std::max(20, own.height());
    if (auto* pb = qobject_cast<QPushButton*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(pb);
        opt.rect = own;
        if (pb->isDefault()) opt.features |= QStyleOptionButton::DefaultButton;
        if (pb->autoDefault()) opt.features |= QStyleOptionButton::AutoDefaultButton;
        return {QMargins(gx, gy, gx, gy),
                pb->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, pb)};
    }
    if (auto* cb = qobject_cast<QCheckBox*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(cb);
        opt.rect = own;
        return {QMargins(0, gy, gx, gy),
                cb->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, cb)};
    }
    if (qobject_cast<QGroupBox*>(w)) return {QMargins(0, 0, gx, gy), own};
    // A static: at the top, on the left or the right.
    if ((style & 0x1F) == SS_RIGHT) return {QMargins(gx, 0, 0, gy), own};
    return {QMargins(0, 0, gx, gy), own};
}

void SetText(QWidget* w, const QString& s) {
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(s);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(s);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(s);
}

QString TextOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->pixmap().isNull() ? l->text() : QString();
    return QString();
}

// Each item of a list drawn in its closed box, made wider, against an empty item.
void ExpectItemsFit(QComboBox* cb, const std::string& where) {
    QStyleOptionComboBox opt;
    opt.initFrom(cb);
    opt.rect = QRect(QPoint(0, 0), cb->size());
    opt.editable = cb->isEditable();
    opt.frame = cb->hasFrame();
    const QRect field =
        cb->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, cb);
    const int current = cb->currentIndex(), count = cb->count();
    cb->addItem(QString());
    for (int i = 0; i < count; ++i) {
        const QString item = cb->itemText(i);
        EXPECT_TRUE(InkInside(cb, {QMargins(0, 0, std::max(80, cb->width()), 0), field},
                              [&](bool on) { cb->setCurrentIndex(on ? i : count); }))
            << where << " item \"" << item.toStdString() << "\"";
    }
    cb->removeItem(count);
    cb->setCurrentIndex(current);
}

// The variants of a box: texts it shows only in some states.
enum Variant { PLAIN, SETTINGS_UNUSABLE, SETTINGS_READ_ONLY };

struct BoxRow {
    UINT idd;
    Variant variant;
    const char* name;
};
const BoxRow kBoxes[] = {
    {IDD_MAIN_DIALOG, PLAIN, "main window"},
    {IDD_ABOUTBOX, PLAIN, "about box"},
    {IDD_SETTINGS, PLAIN, "settings box"},
    {IDD_SETTINGS, SETTINGS_UNUSABLE, "settings box, file unusable"},
    {IDD_SETTINGS, SETTINGS_READ_ONLY, "settings box, folder read-only"},
    {IDD_FIND, PLAIN, "find box"},
    {IDD_HIGHLIGHTS, PLAIN, "highlight box"},
    {IDD_AUTO_REPLY, PLAIN, "auto-reply box"},
};

class EnglishFitTest : public DialogTest {
protected:
    void TearDown() override {
        CloseBox();
        AfxSetLanguage(LANG_CHINESE);
        DialogTest::TearDown();
    }
    // The box of a row over a new main window, made and initialised as it is shown, but
    // without a modal run.
    CDialog* OpenBox(const BoxRow& row) {
        CreateDialog();
        CWnd* parent = m_dlg.get();
        const std::string folder = m_dir + "/config/kivern";
        std::filesystem::create_directories(folder);
        CKivernSettings settings;
        if (row.variant == SETTINGS_UNUSABLE) {
            std::ofstream(folder + "/settings.json") << "{ not json";
            settings.Load();
        }
        settings.m_highlights = KvExampleHighlights();
        // The longest colour name, both marks.
        settings.m_highlights.push_back({"^E.*", true, true, g_kvColors[6].rgb});
        switch (row.idd) {
            case IDD_MAIN_DIALOG:
                return m_dlg.get();
            case IDD_FIND:
                m_dlg->m_findDlg.Open(FALSE);
                return &m_dlg->m_findDlg;
            case IDD_ABOUTBOX:
                m_box = std::make_unique<CAboutDlg>();
                break;
            case IDD_SETTINGS:
                if (row.variant == SETTINGS_READ_ONLY) {
                    chmod(folder.c_str(), 0555);
                    m_enforced = std::make_unique<FilePermissionsEnforced>();
                }
                m_box = std::make_unique<CSettingsDlg>(settings, parent);
                break;
            case IDD_HIGHLIGHTS:
                m_box = std::make_unique<CHighlightDlg>(settings.m_highlights, parent);
                break;
            case IDD_AUTO_REPLY:
                m_box = std::make_unique<CAutoReplyDlg>(settings.m_autoReplies, parent);
                break;
            default:
                return nullptr;
        }
        if (!m_box->Create(row.idd, parent)) return nullptr;
        return m_box.get();
    }
    void CloseBox() {
        if (m_box) m_box->DestroyWindow();
        m_box.reset();
        m_enforced.reset();
        chmod((m_dir + "/config/kivern").c_str(), 0755);
        std::filesystem::remove(m_dir + "/config/kivern/settings.json");
        if (m_dlg) m_dlg->DestroyWindow();
        m_dlg.reset();
    }
    // The controls of a box in template order, beside their template items.
    static std::vector<std::pair<const DLGITEM*, QWidget*>> Controls(CDialog* box, UINT idd) {
        std::vector<std::pair<const DLGITEM*, QWidget*>> out;
        const DLGTEMPLATE_DATA* t = AfxFindTemplate(idd);
        CWnd* c = box->GetWindow(GW_CHILD);
        for (int i = 0; t && i < t->itemCount && c; ++i, c = c->GetWindow(GW_HWNDNEXT)) {
            EXPECT_EQ(c->GetDlgCtrlID(), t->items[i].id) << "item " << i;
            out.emplace_back(&t->items[i], kvimpl::WidgetOf(c));
        }
        EXPECT_EQ((int)out.size(), t ? t->itemCount : -1);
        return out;
    }
    std::unique_ptr<CDialog> m_box;
    std::unique_ptr<FilePermissionsEnforced> m_enforced;
};

TEST_F(EnglishFitTest, EveryTextOfEveryBoxShowsWholeInItsDesignedControl) {
    ASSERT_TRUE(g_bScale);
    // Every template is one of the rows.
    for (int i = 0; i < g_KivernResources.dialogCount; ++i) {
        const UINT idd = g_KivernResources.dialogs[i]->id;
        EXPECT_TRUE(std::any_of(std::begin(kBoxes), std::end(kBoxes),
                                [idd](const BoxRow& r) { return r.idd == idd; }))
            << "template " << idd << " has no row";
    }
    // The lists as they are in Chinese. Every text is checked in English, and every list but
    // the main window's that English leaves as designed (its flow list's "XON/XOFF" meets the
    // designed combo's edge).
    std::map<std::pair<int, int>, QStringList> chinese;
    for (int r = 0; r < (int)std::size(kBoxes); ++r) {
        CDialog* box = OpenBox(kBoxes[r]);
        ASSERT_NE(box, nullptr) << kBoxes[r].name;
        int i = 0;
        for (const auto& [item, w] : Controls(box, kBoxes[r].idd)) {
            if (auto* cb = qobject_cast<QComboBox*>(w))
                for (int k = 0; k < cb->count(); ++k) chinese[{r, i}] << cb->itemText(k);
            else
                chinese[{r, i}] << TextOf(w);
            ++i;
        }
        CloseBox();
    }

    ASSERT_TRUE(AfxSetLanguage(LANG_ENGLISH));
    int nTexts = 0, nLists = 0;
    for (int r = 0; r < (int)std::size(kBoxes); ++r) {
        const BoxRow& row = kBoxes[r];
        if (row.variant == SETTINGS_READ_ONLY && !FilePermissionsEnforced().Ok()) continue;
        CDialog* box = OpenBox(row);
        ASSERT_NE(box, nullptr) << row.name;
        int i = 0;
        for (const auto& [item, w] : Controls(box, row.idd)) {
            const std::string where = std::string(row.name) + ", item " + std::to_string(i);
            if (auto* cb = qobject_cast<QComboBox*>(w)) {
                QStringList items;
                for (int k = 0; k < cb->count(); ++k) items << cb->itemText(k);
                if (items != chinese[{r, i}] || row.idd != IDD_MAIN_DIALOG) {
                    ExpectItemsFit(cb, where);
                    ++nLists;
                }
            } else if (const QString text = TextOf(w); !text.isEmpty()) {
                const QSize designed(box->DluToPixelX(item->cx), box->DluToPixelY(item->cy));
                EXPECT_EQ(w->size(), designed) << where;
                EXPECT_TRUE(InkInside(w, RoomOf(w, item->style),
                                      [&](bool on) { SetText(w, on ? text : QString()); }))
                    << where << " \"" << text.toStdString() << "\" in " << w->width() << "x"
                    << w->height();
                ++nTexts;
            }
            ++i;
        }
        CloseBox();
    }
    // Not vacuous: the boxes' texts and translated lists were all reached.
    EXPECT_GT(nTexts, 100);
    EXPECT_GE(nLists, 10);
}

}  // namespace
