// The proportional layout: how the controls follow the window's size, the minimum window
// size while dragging, and minimising, maximising and restoring.
#include <map>

#include "dialog/CommandSlots.h"
#include "support/app_env.h"
#include "support/layout_classes.h"

namespace {

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const RECT& r) {
    char sz[64];
    snprintf(sz, sizeof sz, "(%ld,%ld)-(%ld,%ld)", (long)r.left, (long)r.top, (long)r.right,
             (long)r.bottom);
    return sz;
}

class LayoutTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        CreateDialog();
    }
    std::map<int, RECT> Rects() const {
        std::map<int, RECT> rects;
        for (int id : kvtest::ChildControlIds(m_dlg.get())) rects[id] = ClientRectOf(id);
        return rects;
    }
    RECT Window() const {
        RECT r;
        m_dlg->GetWindowRect(&r);
        return r;
    }
    void Resize(int nWidth, int nHeight) {
        RECT w = Window();
        m_dlg->MoveWindow(w.left, w.top, nWidth, nHeight);
    }
    void Grow(int dx, int dy) {
        RECT w = Window();
        Resize(w.right - w.left + dx, w.bottom - w.top + dy);
    }
    void SysCommand(UINT nCmd) {
        m_dlg->SendMessage(WM_SYSCOMMAND, nCmd, 0);
        kvtest::Pump(20);
    }
    void ExpectLayout(const std::map<int, RECT>& expected) {
        std::map<int, RECT> now = Rects();
        ASSERT_EQ(now.size(), expected.size());
        for (const auto& [id, rect] : expected)
            EXPECT_TRUE(Same(now[id], rect))
                << id << ": " << Show(now[id]) << " not " << Show(rect);
    }
    RECT Sizing(UINT nSide, RECT proposed) {
        m_dlg->SendMessage(WM_SIZING, nSide, (LPARAM)&proposed);
        return proposed;
    }
};

}  // namespace

TEST_F(LayoutTest, EnlargingMovesAndGrowsEachClass) {
    const std::map<int, RECT> before = Rects();
    ASSERT_EQ(before.size(), 80u);
    RECT c0;
    m_dlg->GetClientRect(&c0);
    const int dx = 130, dy = 70;
    Grow(dx, dy);
    RECT c1;
    m_dlg->GetClientRect(&c1);
    ASSERT_EQ(c1.right - c0.right, dx);
    ASSERT_EQ(c1.bottom - c0.bottom, dy);

    std::map<int, RECT> after = Rects();
    int nLaidOut = 0;
    for (const auto& [id, b] : before) {
        const RECT& a = after[id];
        const char cls = ClassOf(id);
        nLaidOut += cls != 'F';
        // The offsets each edge is expected to move by: left, top, right, bottom.
        int e[4] = {0, 0, 0, 0};
        switch (cls) {
            case 'S':
                e[2] = dx, e[3] = dy;
                break;
            case 'B':
                e[1] = dy, e[2] = dx, e[3] = dy;
                break;
            case 'L':
                e[1] = dy, e[3] = dy;
                break;
            case 'R':
                e[0] = dx, e[1] = dy, e[2] = dx, e[3] = dy;
                break;
            case 'P':
                e[0] = dx, e[2] = dx;
                break;
        }
        RECT want{b.left + e[0], b.top + e[1], b.right + e[2], b.bottom + e[3]};
        EXPECT_TRUE(Same(a, want))
            << id << " class " << cls << ": " << Show(a) << " not " << Show(want);
    }
    EXPECT_EQ(nLaidOut, 55);

    // Back to the first size: every control is exactly where it was.
    Grow(-dx, -dy);
    ExpectLayout(before);
}

TEST_F(LayoutTest, WindowCannotBeDraggedSmallerThan520By616) {
    struct Case {
        UINT side;
        RECT proposed, expected;
    };
    const Case cases[] = {
        // The left edges pin the right edge, the top edges the bottom edge.
        {WMSZ_LEFT, {300, 100, 700, 800}, {180, 100, 700, 800}},
        {WMSZ_TOPLEFT, {300, 300, 700, 800}, {180, 184, 700, 800}},
        {WMSZ_BOTTOMLEFT, {300, 100, 700, 500}, {180, 100, 700, 716}},
        {WMSZ_TOP, {100, 300, 700, 800}, {100, 184, 700, 800}},
        {WMSZ_TOPRIGHT, {100, 300, 400, 800}, {100, 184, 620, 800}},
        // The others keep the left and top edges.
        {WMSZ_RIGHT, {100, 100, 400, 800}, {100, 100, 620, 800}},
        {WMSZ_BOTTOM, {100, 100, 700, 500}, {100, 100, 700, 716}},
        {WMSZ_BOTTOMRIGHT, {100, 100, 619, 715}, {100, 100, 620, 716}},
        {WMSZ_BOTTOMRIGHT, {-50, -60, 0, 0}, {-50, -60, 470, 556}},
        // Exactly the minimum, or larger, is left as proposed.
        {WMSZ_LEFT, {100, 100, 620, 716}, {100, 100, 620, 716}},
        {WMSZ_TOPLEFT, {100, 100, 620, 716}, {100, 100, 620, 716}},
        {WMSZ_BOTTOMRIGHT, {100, 100, 620, 716}, {100, 100, 620, 716}},
        {WMSZ_TOP, {0, 0, 1500, 900}, {0, 0, 1500, 900}},
    };
    for (const Case& c : cases) {
        RECT got = Sizing(c.side, c.proposed);
        EXPECT_TRUE(Same(got, c.expected))
            << "side " << c.side << " " << Show(c.proposed) << " gave " << Show(got);
    }
    // The window system is told the same minimum: resizing to less stops at 520 x 616.
    Resize(300, 200);
    RECT w = Window();
    EXPECT_EQ(w.right - w.left, 520);
    EXPECT_EQ(w.bottom - w.top, 616);
}

TEST_F(LayoutTest, MinimisingAndRestoringBringTheLayoutBack) {
    Grow(60, 30);
    const std::map<int, RECT> before = Rects();
    RECT c0;
    m_dlg->GetClientRect(&c0);

    SysCommand(SC_MINIMIZE);
    ASSERT_TRUE(m_dlg->IsIconic());
    RECT c;
    m_dlg->GetClientRect(&c);
    EXPECT_EQ(c.right, 0);
    // The layout still ran for the empty client area.
    RECT r = ClientRectOf(IDC_RECEIVE_EDIT);
    EXPECT_EQ(r.right - r.left, 0);
    SysCommand(SC_RESTORE);
    ASSERT_FALSE(m_dlg->IsIconic());
    ExpectLayout(before);

    SysCommand(SC_MAXIMIZE);
    ASSERT_TRUE(m_dlg->IsZoomed());
    m_dlg->GetClientRect(&c);
    r = ClientRectOf(IDC_RECEIVE_EDIT);
    // Maximised, the edges keep their margins from the right and bottom.
    EXPECT_EQ(c.right - r.right, c0.right - before.at(IDC_RECEIVE_EDIT).right);
    EXPECT_EQ(c.bottom - r.bottom, c0.bottom - before.at(IDC_RECEIVE_EDIT).bottom);
    EXPECT_EQ(c.right - ClientRectOf(IDC_CMD_GROUP).right,
              c0.right - before.at(IDC_CMD_GROUP).right);
    SysCommand(SC_RESTORE);
    ExpectLayout(before);
}
