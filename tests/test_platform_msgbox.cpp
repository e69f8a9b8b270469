// Message boxes: the test hook and recorder, the real QMessageBox on the offscreen platform,
// boxes asked for from another thread, and the exception report.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <thread>

#include "platform/core/appname.h"
#include "platform/files/file.h"
#include "platform/text/gbk.h"
#include "support/msgbox_recorder.h"
#include "support/testing.h"

namespace {
// Answers the next real message box: remembers what it showed and presses a button.
struct BoxAnswerer {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int nButtons = 0;
    bool bSeen = false;
    QTimer timer;
    explicit BoxAnswerer(QMessageBox::StandardButton press) {
        QObject::connect(&timer, &QTimer::timeout, [this, press] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || bSeen) return;
            bSeen = true;
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            nButtons = (int)box->buttons().size();
            box->button(press)->click();
        });
        timer.start(10);
    }
};
}  // namespace

TEST(MessageBoxHook, RecordsGbkTextsAndAnswers) {
    AfxSetAppName("KIVERN");
    MessageBoxRecorder recorder(IDCANCEL);
    EXPECT_EQ(AfxMessageBox("保存成功!"), IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "Port error", "Application Error", MB_ICONERROR), IDCANCEL);
    ASSERT_EQ(recorder.Count(), 2u);
    MessageBoxRecord first = recorder.Records()[0];
    EXPECT_EQ(first.strText, "保存成功!");  // GBK, as the application wrote it
    EXPECT_EQ(first.strText, CString("\xB1\xA3\xB4\xE6\xB3\xC9\xB9\xA6!"));
    EXPECT_EQ(first.strCaption, "KIVERN");
    EXPECT_EQ(first.nType, (UINT)MB_OK);
    EXPECT_EQ(first.hOwner, nullptr);
    EXPECT_EQ(recorder.Last().strCaption, "Application Error");
    EXPECT_EQ(recorder.Last().nType, (UINT)MB_ICONERROR);
}

TEST(MessageBoxHook, AnswersOnTheCallingThread) {
    MessageBoxRecorder recorder;
    int nResult = 0;
    std::thread worker([&] { nResult = AfxMessageBox("from a worker"); });
    worker.join();  // no UI event loop needed while the hook answers
    EXPECT_EQ(nResult, IDOK);
    EXPECT_EQ(recorder.Last().strText, "from a worker");
}

TEST(MessageBoxHook, ExceptionReportIsAnErrorBoxNamingTheFile) {
    AfxSetAppName("KIVERN");
    MessageBoxRecorder recorder;
    CFileException error(CFileException::accessDenied, EACCES, "/home/u/cmd.json");
    error.ReportError();
    ASSERT_EQ(recorder.Count(), 1u);
    EXPECT_EQ(recorder.Last().strText, "拒绝访问 /home/u/cmd.json。");
    EXPECT_EQ(recorder.Last().nType, (UINT)MB_ICONERROR);
    EXPECT_EQ(recorder.Last().strCaption, "KIVERN");
}

TEST(MessageBoxReal, ShowsConvertedTextCaptionAndIcon) {
    BoxAnswerer answerer(QMessageBox::Ok);
    EXPECT_EQ(MessageBoxA(nullptr, "串口3  已经被其他应用程序所占用!", nullptr, MB_ICONERROR),
              IDOK);
    ASSERT_TRUE(answerer.bSeen);
    EXPECT_EQ(answerer.text.toStdString(), u8"串口3  已经被其他应用程序所占用!");
    EXPECT_EQ(answerer.title.toStdString(), u8"错误");
    EXPECT_EQ(answerer.icon, QMessageBox::Critical);
    EXPECT_EQ(answerer.nButtons, 1);
}

TEST(MessageBoxReal, BoxFromAnotherThreadIsShownByTheUiThread) {
    BoxAnswerer answerer(QMessageBox::Ok);
    std::atomic<int> nResult{0};
    std::thread worker([&] { nResult = AfxMessageBox("Application Error from the port"); });
    EXPECT_TRUE(kvtest::PumpUntil([&] { return nResult.load() != 0; }, 5000));
    worker.join();
    EXPECT_EQ(nResult.load(), IDOK);
    EXPECT_EQ(answerer.text.toStdString(), "Application Error from the port");
}
