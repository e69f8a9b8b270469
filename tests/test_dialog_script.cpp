// Scripts and 自动应答 in the window, against a pseudo-terminal: the window takes a click while a
// script waits in expect; a script's end (done, error, stop) is told in the status line; a
// 自动应答 row answers a matching line (and only an enabled one does).
#include <fstream>

#include "support/port_dialog.h"

namespace {

// What the device got so far, read without blocking while the window runs.
class DeviceReader {
public:
    explicit DeviceReader(kvtest::FakeDevice& dev) : m_dev(dev) {}
    bool Await(const std::string& word, int timeoutMs = 10000) {
        return kvtest::PumpUntil(
            [&] {
                m_got += m_dev.Receive(4096, 1);
                return m_got.find(word) != std::string::npos;
            },
            timeoutMs);
    }
    const std::string& Got() const { return m_got; }

private:
    kvtest::FakeDevice& m_dev;
    std::string m_got;
};

class ScriptInWindow : public PortDialogTest {
protected:
    std::string Script(const char* text) {
        const std::string path = m_dir + "/work/s.lua";
        std::ofstream(path) << text;
        return path;
    }
    bool AwaitEnd() {
        return kvtest::PumpUntil([&] { return !m_dlg->m_script.IsBusy(); }, 60000);
    }
};

TEST_F(ScriptInWindow, WindowTakesAClickWhileAScriptWaitsInExpect) {
    kvtest::FakeDevice& dev = OpenDevicePort(5);
    DeviceReader reader(dev);
    m_dlg->m_script.Run(
        Script("send('ready\\n') local m = expect('g(o)', 600000) log('got ' .. m)"));
    ASSERT_TRUE(reader.Await("ready"));
    EXPECT_NE(m_dlg->m_strStatus.Find("s.lua"), -1) << m_dlg->m_strStatus.GetString();
    // The script waits; the window handles a click meanwhile.
    const BOOL bHidden = m_dlg->m_bPanelHidden;
    kvtest::Click(m_dlg->GetDlgItem(IDC_HIDE_PANEL_BUTTON));
    EXPECT_NE(m_dlg->m_bPanelHidden, bHidden);
    EXPECT_TRUE(m_dlg->m_script.IsBusy());
    dev.Send("go\r\n");
    ASSERT_TRUE(AwaitEnd());
    EXPECT_NE(m_dlg->m_strReceive.Find("LUA> got go"), -1);
    EXPECT_NE(m_dlg->m_strStatus.Find("(0)"), -1) << m_dlg->m_strStatus.GetString();
    // Every received byte still reached the display and the counter.
    EXPECT_NE(m_dlg->m_strReceive.Find("go\r\n"), -1);
    EXPECT_EQ(m_dlg->m_nRxBytes, 4);
}

TEST_F(ScriptInWindow, AScriptsEndIsToldAndOnlyThatScriptEnds) {
    kvtest::FakeDevice& dev = OpenDevicePort(5);
    struct {
        const char* script;
        bool stop;           // stopped by 停止脚本 once it runs
        const char* status;  // part of the status line at the end (GBK)
    } const cases[] = {
        {"exit(3)", false, "(3)"},
        {"log('x')\nlocal t\nt.x = 1", false, "s.lua:3: attempt to index"},
        {"on_line(function(l) error('bad line') end) send('ready\\n')", false, "s.lua:1: bad line"},
        {"send('ready\\n') while true do end", true, "脚本已停止"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        DeviceReader reader(dev);
        m_dlg->m_script.Run(Script(c.script));
        if (strstr(c.script, "ready")) {
            ASSERT_TRUE(reader.Await("ready"));
            dev.Send("line\n");
        }
        if (c.stop) m_dlg->OnStopScript();
        ASSERT_TRUE(AwaitEnd());
        EXPECT_NE(m_dlg->m_strStatus.Find(c.status), -1) << m_dlg->m_strStatus.GetString();
        EXPECT_EQ(m_dlg->m_strPortState, CString("打开"));  // the port stays open
    }
}

TEST_F(ScriptInWindow, AutoReplyRowAnswersAMatchingLine) {
    kvtest::FakeDevice& dev = OpenDevicePort(5);
    struct {
        CAutoReplyRule rule;
        BOOL bOn;              // the group's switch
        const char* received;  // what the device sends
        const char* reply;     // what it gets back ("" for nothing)
    } const cases[] = {
        {{"login:", false, "root", false, 0, true}, TRUE, "board login: ", "root\r\n"},
        {{"^temp=(%d+)$", true, "ok", false, 10, true}, TRUE, "temp=42\r\n", "ok\r\n"},
        {{"PING", false, "50 4F 4E 47", true, 0, true}, TRUE, "<PING>\n", "PONG"},
        {{"login:", false, "root", false, 0, false}, TRUE, "login:\n", ""},  // row off
        {{"login:", false, "root", false, 0, true}, FALSE, "login:\n", ""},  // group off
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.received);
        m_dlg->m_settings.m_bAutoReply = c.bOn;
        m_dlg->m_settings.m_autoReplies = {c.rule};
        m_dlg->m_settings.m_nLineEnding = KV_EOL_CRLF;
        m_dlg->m_settings.m_bShowSent = TRUE;
        m_dlg->ApplySettings();
        DeviceReader reader(dev);
        dev.Send(c.received);
        if (*c.reply) {
            ASSERT_TRUE(reader.Await(c.reply));
            EXPECT_EQ(reader.Got(), c.reply);
            ASSERT_TRUE(
                kvtest::PumpUntil([&] { return m_dlg->m_strReceive.Find("TX> ") != -1; }, 5000));
        } else {
            // A marker row answers once the quiet one had its chance: nothing came before it.
            m_dlg->m_settings.m_bAutoReply = TRUE;
            m_dlg->m_settings.m_autoReplies = {{"MARK", false, "m", false, 0, true}};
            Deliver();
            m_dlg->ApplySettings();
            dev.Send("MARK\n");
            ASSERT_TRUE(reader.Await("m\r\n"));
            EXPECT_EQ(reader.Got(), "m\r\n");
        }
        m_dlg->OnBnClickedClearRx();
    }
}

}  // namespace
