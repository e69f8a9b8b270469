// Root may open any file; while a FilePermissionsEnforced lives, the calling (UI) thread
// obeys the permission bits like everybody else. Tests only.
#pragma once
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>

class FilePermissionsEnforced {
public:
    FilePermissionsEnforced() {
        if (geteuid() != 0) return;
        if (syscall(SYS_capget, &m_hdr, m_saved) != 0) return;
        __user_cap_data_struct data[2];
        memcpy(data, m_saved, sizeof data);
        data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_bActive = syscall(SYS_capset, &m_hdr, data) == 0;
    }
    ~FilePermissionsEnforced() {
        if (m_bActive) syscall(SYS_capset, &m_hdr, m_saved);
    }
    bool Ok() const { return geteuid() != 0 || m_bActive; }

private:
    __user_cap_header_struct m_hdr{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_bActive = false;
};
