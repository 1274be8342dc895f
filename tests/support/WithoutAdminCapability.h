#pragma once

// While it lives, the calling thread works without CAP_SYS_ADMIN in its effective set, as a
// user's program does. The kernel lets a thread with it open a terminal that another holds
// for exclusive use (TIOCEXCL), so a test run as root meets a held device only without it.
// The capability stays permitted and is taken back at the end. Linux only.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class WithoutAdminCapability
{
public:
    WithoutAdminCapability()
    {
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        const unsigned bit = 1u << (CAP_SYS_ADMIN % 32);
        if (!(lowered[CAP_SYS_ADMIN / 32].effective & bit)) {
            m_without = true; // never had it
            return;
        }
        lowered[CAP_SYS_ADMIN / 32].effective &= ~bit;
        m_lowered = ::syscall(SYS_capset, &m_header, lowered) == 0;
        m_without = m_lowered;
    }
    ~WithoutAdminCapability()
    {
        if (m_lowered)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    WithoutAdminCapability(const WithoutAdminCapability &) = delete;
    WithoutAdminCapability &operator=(const WithoutAdminCapability &) = delete;

    // True when the thread is without the capability now.
    bool isWithout() const { return m_without; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
    bool m_without = false;
};
