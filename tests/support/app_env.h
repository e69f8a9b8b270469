// A scratch environment for tests of the whole program: a temporary working folder (for
// cmd.json), an empty sysfs tree and ports folder (so the machine's own ports stay out), and
// a state folder for remembered port numbers. The program's resources are handed to the layer.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "dialog/KIVERNDlg.h"
#include "res/resources.h"
#include "testing.h"

class AppEnv : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kivern-test-XXXXXX";
        m_dir = mkdtemp(tmpl);
        m_oldCwd = std::filesystem::current_path();
        std::filesystem::create_directories(m_dir + "/sys/class/tty");
        std::filesystem::create_directories(m_dir + "/ports");
        std::filesystem::create_directories(m_dir + "/state");
        std::filesystem::create_directories(m_dir + "/work");
        setenv("KIVERN_SYSFS_ROOT", (m_dir + "/sys").c_str(), 1);
        setenv("KIVERN_PORTS_DIR", (m_dir + "/ports").c_str(), 1);
        setenv("XDG_STATE_HOME", (m_dir + "/state").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_dir + "/config").c_str(), 1);
        std::filesystem::current_path(m_dir + "/work");
        AfxSetResources(&g_KivernResources);
    }
    void TearDown() override {
        std::filesystem::current_path(m_oldCwd);
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    std::string WorkFile(const char* name) const { return m_dir + "/work/" + name; }

    std::string m_dir;
    std::filesystem::path m_oldCwd;
};

// The main dialog created modeless for a test, destroyed at the end.
class DialogTest : public AppEnv {
protected:
    void CreateDialog() {
        m_dlg = std::make_unique<CKIVERNDlg>();
        ASSERT_TRUE(m_dlg->Create(IDD_MAIN_DIALOG));
    }
    void TearDown() override {
        if (m_dlg) m_dlg->DestroyWindow();
        m_dlg.reset();
        AfxSetLanguage(LANG_CHINESE);  // a test in English leaves the next one in Chinese
        AppEnv::TearDown();
    }
    CString Text(int id) const {
        CString s;
        m_dlg->GetDlgItem(id)->GetWindowText(s);
        return s;
    }
    bool Enabled(int id) const { return m_dlg->GetDlgItem(id)->IsWindowEnabled() != FALSE; }
    RECT ClientRectOf(int id) const {
        RECT r;
        m_dlg->GetDlgItem(id)->GetWindowRect(&r);
        m_dlg->ScreenToClient(&r);
        return r;
    }
    std::unique_ptr<CKIVERNDlg> m_dlg;
};
