// The main dialog with a pseudo-terminal registered as a virtual port: the test plays the
// device on the master side. Timers run on a virtual clock; messages from the port's thread
// are run by Pump.
#pragma once
#include "app_env.h"
#include "clock.h"
#include "msgbox_recorder.h"
#include "pty.h"

class PortDialogTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        SYSTEMTIME st{2024, 3, 2, 5, 14, 7, 9, 42};
        kvtest::UseVirtualClock(st);
    }
    void TearDown() override {
        DialogTest::TearDown();
        m_devices.clear();
        kvtest::UseRealClock();
    }
    kvtest::FakeDevice& AddDevice(unsigned n) {
        m_devices.push_back(std::make_unique<kvtest::FakeDevice>(m_dir + "/ports", n));
        EXPECT_TRUE(m_devices.back()->ok());
        return *m_devices.back();
    }
    // Selects a port by its name and presses the open button.
    void OpenPort(const char* name, const char* baud = nullptr) {
        int i = m_dlg->m_cbPort.FindStringExact(-1, name);
        ASSERT_GE(i, 0) << name;
        m_dlg->m_cbPort.SetCurSel(i);
        if (baud) m_dlg->m_cbBaud.SetWindowText(baud);
        kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
        // Gives the port's thread time to arm its first wait.
        kvtest::Pump(50);
    }
    // A device on COMn, the dialog created and that port opened.
    kvtest::FakeDevice& OpenDevicePort(unsigned n) {
        kvtest::FakeDevice& dev = AddDevice(n);
        CreateDialog();
        OpenPort(("COM" + std::to_string(n)).c_str());
        return dev;
    }
    // Lets the port's thread deliver, then runs the refresh timer once.
    void Deliver(int ms = 100) {
        kvtest::Pump(ms);
        kvtest::AdvanceClock(30);
    }
    // Runs the UI thread until the receive text holds n bytes.
    bool WaitReceived(INT_PTR n, int timeoutMs = 3000) {
        return kvtest::PumpUntil([&] { return m_dlg->m_strReceive.GetLength() >= n; }, timeoutMs);
    }
    std::vector<std::unique_ptr<kvtest::FakeDevice>> m_devices;
};
