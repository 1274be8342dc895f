#pragma once

// While it lives, the calling thread works without CAP_SYS_ADMIN in its effective set, as a
// user's program does. The kernel lets a thread with it open a terminal that another holds
// for exclusive use (TIOCEXCL), so a test run as root meets a held device only without it.
// The capability stays permitted and is taken back at the end. Through Debian's libcap, so
// a test that includes this links it (PkgConfig::LIBCAP). Linux only.
#include <sys/capability.h>

class WithoutAdminCapability
{
public:
    WithoutAdminCapability()
        : m_saved(cap_get_proc())
    {
        if (!m_saved)
            return;
        cap_flag_value_t admin = CAP_CLEAR;
        if (cap_get_flag(m_saved, CAP_SYS_ADMIN, CAP_EFFECTIVE, &admin) != 0)
            return;
        if (admin == CAP_CLEAR) {
            m_without = true; // never had it
            return;
        }
        cap_t lowered = cap_dup(m_saved);
        const cap_value_t dropped[] = {CAP_SYS_ADMIN};
        m_lowered = lowered && cap_set_flag(lowered, CAP_EFFECTIVE, 1, dropped, CAP_CLEAR) == 0 &&
                    cap_set_proc(lowered) == 0;
        cap_free(lowered);
        m_without = m_lowered;
    }
    ~WithoutAdminCapability()
    {
        if (m_lowered)
            cap_set_proc(m_saved);
        cap_free(m_saved);
    }
    WithoutAdminCapability(const WithoutAdminCapability &) = delete;
    WithoutAdminCapability &operator=(const WithoutAdminCapability &) = delete;

    // True when the thread is without the capability now.
    bool isWithout() const { return m_without; }

private:
    cap_t m_saved = nullptr;
    bool m_lowered = false;
    bool m_without = false;
};
