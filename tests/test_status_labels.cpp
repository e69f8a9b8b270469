// The status line and the counters show their widest texts whole in the labels' sizes as
// the main dialog's template gives them.
#include <QImage>
#include <QWidget>
#include <cerrno>
#include <cstdarg>
#include <vector>

#include "dialog/LiveLog.h"
#include "dialog/SendFraming.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"
#include "support/app_env.h"
#include "support/ink.h"

namespace {
struct Case {
    int id;
    CString text;
};

// A status text as the program makes it in the chosen language.
CString Tr(const char* pszContext, const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    CString s;
    s.FormatV(AfxTr(pszContext, pszFormat), args);
    va_end(args);
    return s;
}

// The widest texts of each label: the designed ones, and their English forms.
std::vector<Case> WidestTexts(int nLanguage) {
    if (nLanguage == LANG_CHINESE)
        return {
            {IDC_STATUS_STATIC, "COM3 OPENED, 115200"},
            {IDC_STATUS_STATIC, "COM10 OPENED, 1000000"},
            {IDC_STATUS_STATIC, "Send Data Error"},
            {IDC_RX_COUNT_STATIC, "RX: 1382400 Bytes"},
            {IDC_RX_COUNT_STATIC, "RX: 9999999 Bytes"},
            {IDC_TX_COUNT_STATIC, "TX: 1413 Bytes"},
            {IDC_TX_COUNT_STATIC, "TX: 99999 Bytes"},
            {IDC_MODEM_STATIC, "CTS●  DSR●  DCD●  RI●"},
            {IDC_MODEM_STATIC, "控制线不可用"},
            {IDC_STATUS_STATIC, "记录停止:文件已删除"},
            {IDC_STATUS_STATIC, "COM10 OPENED, raw TCP"},
            {IDC_STATUS_STATIC, "第1024个字符0x07无效"},
            {IDC_STATUS_STATIC, "第1024个字符'5'不成对"},
            {IDC_STATUS_STATIC, "已复位 RTS 10000ms"},
            {IDC_STATUS_STATIC, "BREAK 10000ms 完成"},
            {IDC_STATUS_STATIC, "无控制线，不能复位"},
            {IDC_STATUS_STATIC, "端口不支持 BREAK"},
            {IDC_STATUS_STATIC, "100% 999M 999K/s 99:59"},
            {IDC_STATUS_STATIC, "传输中止：串口已关闭"},
        };
    const CString hex1024 = CString('0', 1023);
    return {
        {IDC_MODEM_STATIC, Tr("CModemLines", "控制线不可用")},
        {IDC_STATUS_STATIC,
         Tr("CKIVERNDlg", "记录停止:%s", (const char*)CLiveLog::DescribeFailure(ENOENT))},
        {IDC_STATUS_STATIC,
         Tr("CKIVERNDlg", "记录停止:%s", (const char*)CLiveLog::DescribeFailure(ENOSPC))},
        {IDC_STATUS_STATIC,
         Tr("CKIVERNDlg", "记录停止:%s", (const char*)CLiveLog::DescribeFailure(EIO))},
        {IDC_STATUS_STATIC, CSendFraming::BadHexText(hex1024 + "\x07", 1023, FALSE)},
        {IDC_STATUS_STATIC, CSendFraming::BadHexText(hex1024 + "5", 1023, TRUE)},
        {IDC_STATUS_STATIC, Tr("CKIVERNDlg", "%s 连接中...", "COM10")},
        {IDC_STATUS_STATIC, Tr("CReconnect", "%s 等待重连...", "COM10")},
        {IDC_STATUS_STATIC, Tr("CLineSignals", "串口未打开")},
        {IDC_STATUS_STATIC, Tr("CLineSignals", "上个信号未结束")},
        {IDC_STATUS_STATIC, Tr("CLineSignals", "端口不支持 BREAK")},
        {IDC_STATUS_STATIC, Tr("CLineSignals", "BREAK 失败:%lu", 4294967295ul)},
        {IDC_STATUS_STATIC, Tr("CLineSignals", "发送 BREAK %dms", 10000)},
        {IDC_STATUS_STATIC, Tr("CLineSignals", "无控制线，不能复位")},
        {IDC_STATUS_STATIC, Tr("CLineSignals", "RTS 由流控占用")},
        {IDC_STATUS_STATIC, Tr("CLineSignals", "复位失败:%s", "RTS")},
        {IDC_STATUS_STATIC, Tr("CLineSignals", "复位 %s %dms", "RTS", 10000)},
        {IDC_STATUS_STATIC, Tr("CLineSignals", "BREAK 未能结束")},
        {IDC_STATUS_STATIC, Tr("CLineSignals", "BREAK %dms 完成", 10000)},
        {IDC_STATUS_STATIC, Tr("CLineSignals", "控制线未能恢复")},
        {IDC_STATUS_STATIC, Tr("CLineSignals", "已复位 %s %dms", "RTS", 10000)},
        {IDC_STATUS_STATIC, Tr("CFileTransfer", "传输中止：串口已关闭")},
        {IDC_STATUS_STATIC, Tr("CFileTransfer", "文件传输完成")},
        {IDC_STATUS_STATIC, Tr("CFileTransfer", "文件传输已取消")},
        {IDC_STATUS_STATIC, Tr("CFileTransfer", "文件传输失败")},
    };
}
// Whether drawing `text` in the label, made larger, puts any ink outside the label's own
// size: ink there is what the label at its own size cuts off.
bool InkBeyond(QWidget* label, CWnd* wnd, const char* text, QRect* inkOut) {
    *inkOut = kvtest::InkOf(label, QMargins(0, 0, 80, 40),
                            [&](bool on) { wnd->SetWindowText(on ? text : ""); });
    return !QRect(QPoint(0, 0), label->size()).contains(*inkOut);
}
}  // namespace

TEST_F(DialogTest, StatusAndCounterTextsShowWholeInTheirDesignedLabels) {
    const DLGTEMPLATE_DATA* t = AfxFindTemplate(IDD_MAIN_DIALOG);
    ASSERT_NE(t, nullptr);
    for (int nLanguage : {LANG_CHINESE, LANG_ENGLISH}) {
        ASSERT_TRUE(AfxSetLanguage(nLanguage));
        CreateDialog();
        for (const Case& c : WidestTexts(nLanguage)) {
            // A text the translation lacks would be checked in Chinese.
            if (nLanguage == LANG_ENGLISH) {
                for (INT_PTR i = 0; i < c.text.GetLength(); ++i)
                    EXPECT_LT((unsigned char)c.text[i], 0x80) << c.text;
            }
            const DLGITEM* item = nullptr;
            for (int i = 0; i < t->itemCount; ++i)
                if (t->items[i].id == c.id) item = &t->items[i];
            ASSERT_NE(item, nullptr) << c.id;
            CWnd* wnd = m_dlg->GetDlgItem(c.id);
            QWidget* label = kvimpl::WidgetOf(wnd);
            EXPECT_EQ(label->size(),
                      QSize(m_dlg->DluToPixelX(item->cx), m_dlg->DluToPixelY(item->cy)))
                << c.text;
            QRect ink;
            EXPECT_FALSE(InkBeyond(label, wnd, c.text, &ink))
                << c.text << ": ink " << ink.width() << "x" << ink.height() << " at " << ink.x()
                << "," << ink.y() << " in a label of " << label->width() << "x" << label->height();
            // A comma is drawn as one, not cut to a full stop: it reaches below the baseline.
            if (strchr(c.text, ',')) {
                EXPECT_GT(ink.bottom(), label->fontMetrics().ascent()) << c.text;
            }
        }
        if (nLanguage == LANG_CHINESE) {
            // The modem lines in the same band are drawn in the status line's face and size.
            const QFont status = kvimpl::WidgetOf(m_dlg->GetDlgItem(IDC_STATUS_STATIC))->font();
            for (int id : {IDC_DTR_CHECK, IDC_RTS_CHECK, IDC_MODEM_STATIC})
                EXPECT_EQ(kvimpl::WidgetOf(m_dlg->GetDlgItem(id))->font(), status) << id;
        }
        m_dlg->DestroyWindow();
        m_dlg.reset();
    }
}
