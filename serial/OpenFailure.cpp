// Why a port did not open, found out and put into words.
#include "serial/OpenFailure.h"

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
}  // namespace

CPortOpenFailure FindOpenFailure(UINT nPort, DWORD dwError) {
    CPortOpenFailure f;
    f.nPort = nPort;
    f.dwError = dwError;
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
    CString strText, strLine;
    if (!f.strAddress.IsEmpty()) {
        char* pszReason = nullptr;
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                       f.dwError, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (char*)&pszReason, 0,
                       nullptr);
        strText.Format("串口%d  已经被其他应用程序所占用!\n请选择其它的串口\n无法连接 %s: %s",
                       (int)f.nPort, (const char*)f.strAddress, pszReason ? pszReason : "");
        LocalFree(pszReason);
        return strText;
    }
    if (IsRefused(f.dwError)) {
        strText.Format("串口%d  没有访问权限!", (int)f.nPort);
        if (f.strDevice.IsEmpty()) return strText;
        if (f.strGroup.IsEmpty()) {
            strLine.Format("\n设备 %s 不允许当前用户读写", (const char*)f.strDevice);
        } else if (f.strGroup == "dialout") {
            strLine.Format(
                "\n设备 %s 属于 dialout 组\n请将当前用户加入 dialout 组后重新登录:\n"
                "sudo usermod -aG dialout $USER",
                (const char*)f.strDevice);
        } else {
            strLine.Format("\n设备 %s 属于 %s 组, 当前用户不能读写", (const char*)f.strDevice,
                           (const char*)f.strGroup);
        }
        return strText + strLine;
    }
    strText.Format("串口%d  已经被其他应用程序所占用!\n请选择其它的串口", (int)f.nPort);
    if (f.dwError == ERROR_BUSY) {
        for (size_t i = 0; i < f.holders.size() && i < kNamedHolders; ++i) {
            strLine.Format("%s%s (进程 %lu)", i == 0 ? "\n占用程序: " : ", ",
                           (const char*)f.holders[i].strName,
                           (unsigned long)f.holders[i].dwProcessId);
            strText += strLine;
        }
        if (f.holders.size() > kNamedHolders) {
            strLine.Format(" 等 %d 个", (int)f.holders.size());
            strText += strLine;
        }
        if (f.holders.empty() && !f.strDevice.IsEmpty()) {
            strLine.Format("\n占用程序不明, 可用 sudo fuser -v %s 查看", (const char*)f.strDevice);
            strText += strLine;
        }
    } else if (IsGone(f.dwError)) {
        strText += "\n该串口的设备已不存在 (已拔出?)";
    }
    return strText;
}
