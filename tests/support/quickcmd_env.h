// Test support for the quick-command store: the default document, file helpers and a
// fixture with the main dialog and its twelve slots.
#pragma once
#include <fstream>
#include <sstream>
#include <string>

#include "app_env.h"
#include "default_cmd_document.h"
#include "dialog/CommandSlots.h"
#include "files.h"

class QuickCmdTest : public DialogTest {
protected:
    std::string CmdFile() const { return WorkFile("cmd.json"); }
    void Restart() {
        if (m_dlg) m_dlg->DestroyWindow();
        m_dlg.reset();
        CreateDialog();
    }
    CButton* Box(int nSlot) { return static_cast<CButton*>(m_dlg->GetDlgItem(g_CmdHexIds[nSlot])); }
    void SetEdit(int nSlot, const char* pszGbk) {
        m_dlg->GetDlgItem(g_CmdEditIds[nSlot])->SetWindowText(pszGbk);
    }
    void ExpectSlots(const char* const texts[12]) {
        for (int i = 0; i < 12; ++i) {
            EXPECT_STREQ(Text(g_CmdEditIds[i]), texts[i]) << "slot " << i + 1;
            EXPECT_STREQ(m_dlg->m_strCmd[i], texts[i]) << "slot " << i + 1;
            EXPECT_EQ(Box(i)->GetCheck(), BST_UNCHECKED) << "slot " << i + 1;
        }
    }
    void ExpectEmptySlots() {
        const char* const empty[12] = {"", "", "", "", "", "", "", "", "", "", "", ""};
        ExpectSlots(empty);
    }
    void Click(int id) { kvtest::Click(m_dlg->GetDlgItem(id)); }
};
