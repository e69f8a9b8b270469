// The save dialog: the test hook, and Qt's own dialog driven on the offscreen platform.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <fstream>

#include "platform/text/gbk.h"
#include "platform/ui/filedlg.h"
#include "platform/ui/ui_hooks.h"

namespace {
const char g_szFilter[] = "TXT Files (*.txt)|*.txt|Excel Files (*.xls)|*.xls||";
const DWORD g_dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

std::string TempDir() {
    char tmpl[] = "/tmp/kvdlgXXXXXX";
    return mkdtemp(tmpl) ? tmpl : "/tmp";
}

struct HookScope {
    explicit HookScope(std::function<bool(const FileDialogRecord&, std::string&)> hook) {
        SetFileDialogHook(std::move(hook));
    }
    ~HookScope() { SetFileDialogHook(nullptr); }
};

// Types a name into the dialog's file name field, as the user would.
void TypeName(QFileDialog* d, const std::string& name) {
    auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText(QString::fromStdString(name));
}

// Calls step(dialog) whenever a file dialog is the active modal window; step returns true
// when it is done with that dialog.
struct DialogDriver {
    QTimer timer;
    bool bDone = false;
    explicit DialogDriver(std::function<bool(QFileDialog*)> step) {
        QObject::connect(&timer, &QTimer::timeout, [this, step] {
            if (bDone) return;
            if (auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
                bDone = step(dlg);
        });
        timer.start(10);
    }
};
}  // namespace

TEST(FileDialogHook, SeesTheSettingsAndAddsTheDefaultExtension) {
    FileDialogRecord seen{};
    HookScope hook([&](const FileDialogRecord& r, std::string& path) {
        seen = r;
        path = "/tmp/kivern-saved";
        return true;
    });
    CFileDialog dlg(FALSE, "txt", "log_20240305140709042.txt", g_dwFlags, g_szFilter);
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetPathName(), "/tmp/kivern-saved.txt");
    EXPECT_EQ(dlg.GetFileName(), "kivern-saved.txt");
    EXPECT_FALSE(seen.bOpenFileDialog);
    EXPECT_EQ(seen.strFileName, "log_20240305140709042.txt");
    EXPECT_EQ(seen.strDefExt, "txt");
    EXPECT_EQ(seen.dwFlags, g_dwFlags);
    ASSERT_EQ(seen.filters.size(), 2u);
    EXPECT_EQ(seen.filters[0].strName, "TXT Files (*.txt)");
    EXPECT_EQ(seen.filters[0].strPattern, "*.txt");
    EXPECT_EQ(seen.filters[1].strName, "Excel Files (*.xls)");
    EXPECT_EQ(seen.filters[1].strPattern, "*.xls");
}

TEST(FileDialogHook, KeepsExtensionsResolvesRelativeNamesAndKeepsTheBytes) {
    std::string answer;
    HookScope hook([&](const FileDialogRecord&, std::string& path) {
        path = answer;
        return true;
    });
    CFileDialog dlg(FALSE, "txt", nullptr, g_dwFlags, g_szFilter);
    answer = "/tmp/data.xls";
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetPathName(), "/tmp/data.xls");

    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    answer = "sub/../rel";
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetPathName(), CString((std::string(cwd) + "/rel.txt").c_str()));

    // The file system's bytes, not GBK: GBK has no 'ö', and 接收 would change its bytes.
    for (const char* path : {u8"/tmp/接收日志.txt", u8"/tmp/björn.txt", "/tmp/latin1-\xF6.txt"}) {
        answer = path;
        ASSERT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.GetPathName(), CString(path));
    }
}

TEST(FileDialogHook, FilterEndsAtTheEmptyEntry) {
    auto filters = ParseFileDialogFilter("All (*.*)|*.*|Logs|*.log;*.txt||ignored|*.x||");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[1].strName, "Logs");
    EXPECT_EQ(filters[1].strPattern, "*.log;*.txt");
}

TEST(FileDialogReal, QtDialogGetsTheSettingsAndTheTypedName) {
    std::string dir = TempDir();
    QStringList filters;
    QString selected, suffix, proposed;
    bool bNonNative = false, bConfirm = false, bSave = false;
    DialogDriver driver([&](QFileDialog* d) {
        if (auto* edit = d->findChild<QLineEdit*>("fileNameEdit")) proposed = edit->text();
        filters = d->nameFilters();
        selected = d->selectedNameFilter();
        suffix = d->defaultSuffix();
        bNonNative = d->testOption(QFileDialog::DontUseNativeDialog);
        bConfirm = !d->testOption(QFileDialog::DontConfirmOverwrite);
        bSave = d->acceptMode() == QFileDialog::AcceptSave;
        TypeName(d, dir + u8"/typed-björn");  // no extension typed, a name GBK cannot hold
        static_cast<QDialog*>(d)->accept();   // QFileDialog::accept, as the Save button does
        return true;
    });
    CFileDialog dlg(FALSE, "txt", "log_1.txt", g_dwFlags, g_szFilter);
    ASSERT_EQ(dlg.DoModal(), IDOK);
    const std::string expected = dir + u8"/typed-björn.txt";  // kept out of the macro's text
    EXPECT_EQ(dlg.GetPathName(), CString(expected.c_str()));
    EXPECT_EQ(filters, QStringList({"TXT Files (*.txt)", "Excel Files (*.xls)"}));
    EXPECT_EQ(selected, "TXT Files (*.txt)");
    EXPECT_EQ(proposed, "log_1.txt");
    EXPECT_EQ(suffix, "txt");
    EXPECT_TRUE(bNonNative);
    EXPECT_TRUE(bConfirm);
    EXPECT_TRUE(bSave);
}

TEST(FileDialogReal, ExistingFileAsksBeforeReplacing) {
    std::string dir = TempDir();
    std::string existing = dir + "/old.txt";
    std::ofstream(existing) << "old";
    int nPrompts = 0;
    QTimer answerPrompt;  // says No to the first question and Yes to the second
    QObject::connect(&answerPrompt, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++nPrompts;
            box->button(nPrompts == 1 ? QMessageBox::No : QMessageBox::Yes)->click();
        }
    });
    answerPrompt.start(10);
    int nAccepts = 0;
    DialogDriver driver([&](QFileDialog* d) {
        if (nAccepts == nPrompts) {  // each accept waits for its question to be answered
            ++nAccepts;
            TypeName(d, existing);
            static_cast<QDialog*>(d)->accept();  // QFileDialog::accept, as the Save button does
        }
        return false;
    });
    CFileDialog dlg(FALSE, "txt", "x.txt", g_dwFlags, g_szFilter);
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(nPrompts, 2);  // after No the dialog stayed open
    EXPECT_EQ(dlg.GetPathName(), CString(existing.c_str()));
}
