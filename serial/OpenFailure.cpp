// Why a port did not open, found out and put into words.
#include "serial/OpenFailure.h"

#include <cerrno>

namespace {
// Programs named in the box; more are summed up.
const size_t kNamedHolders = 3;

bool IsRefused(DWORD dwError) {
    return dwError == ERROR_PERMISSION_DENIED || dwError == ERROR_OPERATION_NOT_PERMITTED;
}

bool IsGone(DWORD dwError) {
    return dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_NO_SUCH_DEVICE ||
           dwError == ERROR_DEVICE_NOT_CONNECTED;
}

bool StatesCause(const CPortOpenFailure& f) { return f.bCommandLine || !f.strAddress.IsEmpty(); }

// The system's reason in the box's words; the system's own texts are English.
CString CauseOf(DWORD dwError, bool bNetwork) {
    switch (dwError) {
        case ECONNREFUSED:
            return AfxTr("OpenFailure", "连接被拒绝");
        case ETIMEDOUT:
            return AfxTr("OpenFailure", "连接超时");
        case ENOENT:  // a host name that does not resolve is reported as not found
            return bNetwork ? AfxTr("OpenFailure", "无法解析主机名")
                            : AfxTr("OpenFailure", "没有这个串口");
        case ENODEV:
        case ENXIO:
            return AfxTr("OpenFailure", "没有这个串口");
        case EHOSTUNREACH:
            return AfxTr("OpenFailure", "无法到达主机");
        case ENETUNREACH:
            return AfxTr("OpenFailure", "网络不可达");
        case ECONNRESET:
        case EPIPE:
            return AfxTr("OpenFailure", "连接被对方断开");
        case EIO:
            return bNetwork ? AfxTr("OpenFailure", "连接被对方断开")
                            : AfxTr("OpenFailure", "设备读写出错");
        case EACCES:
        case EPERM:
            return AfxTr("OpenFailure", "没有访问权限");
        case ENOTTY:
            return AfxTr("OpenFailure", "不是串口设备");
        case ERROR_OPERATION_ABORTED:
            return AfxTr("OpenFailure", "连接已取消");
        default: {
            CString strCode;
            strCode.Format(AfxTr("OpenFailure", "打开失败 (错误代码 %lu)"), (unsigned long)dwError);
            return strCode;
        }
    }
}

CString RefusedText(const CPortOpenFailure& f) {
    CString strText, strLine;
    strText.Format(AfxTr("OpenFailure", "串口%d  没有访问权限!"), (int)f.nPort);
    if (f.strDevice.IsEmpty()) return strText;
    if (f.strGroup.IsEmpty()) {
        strLine.Format(AfxTr("OpenFailure", "\n设备 %s 不允许当前用户读写"),
                       (const char*)f.strDevice);
    } else if (f.strGroup == "dialout") {
        strLine.Format(AfxTr("OpenFailure",
                             "\n设备 %s 属于 dialout 组\n请将当前用户加入 dialout 组后重新登录:"),
                       (const char*)f.strDevice);
        strLine += "\nsudo usermod -aG dialout $USER";
    } else {
        strLine.Format(AfxTr("OpenFailure", "\n设备 %s 属于 %s 组, 当前用户不能读写"),
                       (const char*)f.strDevice, (const char*)f.strGroup);
    }
    return strText + strLine;
}

// The in-use words, and who holds the port when it is held.
CString InUseText(const CPortOpenFailure& f) {
    CString strText, strLine;
    strText.Format(AfxTr("OpenFailure", "串口%d  已经被其他应用程序所占用!\n请选择其它的串口"),
                   (int)f.nPort);
    if (f.dwError != ERROR_BUSY) return strText;
    for (size_t i = 0; i < f.holders.size() && i < kNamedHolders; ++i) {
        strLine.Format(AfxTr("OpenFailure", "%s%s (进程 %lu)"),
                       i == 0 ? (const char*)AfxTr("OpenFailure", "\n占用程序: ") : ", ",
                       (const char*)f.holders[i].strName, (unsigned long)f.holders[i].dwProcessId);
        strText += strLine;
    }
    if (f.holders.size() > kNamedHolders) {
        strLine.Format(AfxTr("OpenFailure", " 等 %d 个"), (int)f.holders.size());
        strText += strLine;
    }
    if (f.holders.empty() && !f.strDevice.IsEmpty()) {
        strLine.Format(AfxTr("OpenFailure", "\n占用程序不明, 可用 sudo fuser -v %s 查看"),
                       (const char*)f.strDevice);
        strText += strLine;
    }
    return strText;
}
}  // namespace

CPortOpenFailure FindOpenFailure(UINT nPort, DWORD dwError, bool bCommandLine) {
    CPortOpenFailure f;
    f.nPort = nPort;
    f.dwError = dwError;
    f.bCommandLine = bCommandLine;
    CString strName;
    strName.Format("COM%u", nPort);
    std::string node, description;
    if (!DescribeListedPort(strName, node, description)) return f;
    if (NetPortKindOf(node) != NET_PORT_NONE) {
        f.strAddress = node.c_str();
        return f;
    }
    CString strReal, strGroup;
    if (GetCommDeviceOwner(node, strReal, strGroup)) {
        f.strDevice = strReal;
        f.strGroup = strGroup;
    }
    if (dwError == ERROR_BUSY) f.holders = FindCommHolders(node);
    return f;
}

CString FormatOpenFailure(const CPortOpenFailure& f) {
    const bool bNetwork = !f.strAddress.IsEmpty();
    if (IsRefused(f.dwError) && !bNetwork) return RefusedText(f);
    if (!StatesCause(f)) {
        CString strText = InUseText(f);
        if (IsGone(f.dwError)) strText += AfxTr("OpenFailure", "\n该串口的设备已不存在 (已拔出?)");
        return strText;
    }
    if (f.dwError == ERROR_BUSY) return InUseText(f);
    CString strText;
    if (bNetwork)
        strText.Format(AfxTr("OpenFailure", "串口%d  无法连接 %s"), (int)f.nPort,
                       (const char*)f.strAddress);
    else if (!f.strDevice.IsEmpty())
        strText.Format(AfxTr("OpenFailure", "串口%d  无法打开 %s"), (int)f.nPort,
                       (const char*)f.strDevice);
    else
        strText.Format(AfxTr("OpenFailure", "串口%d  无法打开"), (int)f.nPort);
    return strText + "\n" + CauseOf(f.dwError, bNetwork);
}

UINT OpenFailureBoxType(const CPortOpenFailure& f) {
    return StatesCause(f) ? MB_OK | MB_ICONWARNING : MB_OK;
}
