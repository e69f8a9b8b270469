// The script engine's stop: whatever an endless script is doing (looping, catching the stop
// with pcall, sleeping, waiting in expect or lines), Stop ends it and it reports "stopped".
#include <gtest/gtest.h>

#include <fstream>

#include "script/ScriptEngine.h"
#include "support/pty.h"

namespace {
class RecordingHost : public IScriptHost {
public:
    std::string Write(const std::string&) override { return ""; }
    std::string SetLine(const ScriptLineSettings&) override { return ""; }
    std::string SendBreak(int) override { return ""; }
    std::string Pulse(bool, int) override { return ""; }
    std::string SendFile(const std::string&, int) override { return ""; }
    void Log(const std::string& text) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_log += text;
    }
    void Print(const std::string&) override {}
    void Finished(int code, const std::string& error) override {
        m_code = code;
        m_error = error;
    }
    bool Logged(const std::string& word) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_log.find(word) != std::string::npos;
    }
    int m_code = -1;
    std::string m_error;

private:
    std::mutex m_mutex;
    std::string m_log;
};

TEST(ScriptEngine, StopEndsEveryKindOfEndlessScript) {
    kvtest::TempDir dir;
    const char* const scripts[] = {
        "log('running') while true do end",
        "log('running') while true do pcall(function() while true do end end) end",
        "log('running') while true do local ok = pcall(sleep, 1000) end",
        "log('running') while true do expect('never', 100000) end",
        "log('running') for l in lines() do end",
        "log('running') on_line(function() end)",  // serves lines after its end
        "log('running') local s = '' while true do s = s .. 'x' if #s > 4096 then s = '' end end",
    };
    for (const char* text : scripts) {
        SCOPED_TRACE(text);
        std::ofstream(dir / "s.lua") << text;
        RecordingHost host;
        CScriptEngine engine(&host);
        ASSERT_TRUE(engine.Start(dir / "s.lua", {}));
        // Stop once it is under way (a bound against a hang, not a time claim).
        for (int i = 0; i < 2000 && !host.Logged("running"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_TRUE(host.Logged("running"));
        engine.Stop();
        ASSERT_TRUE(engine.Wait(60000)) << "the script did not end";
        EXPECT_EQ(host.m_code, 1);
        EXPECT_EQ(host.m_error, "stopped");
    }
}
}  // namespace
