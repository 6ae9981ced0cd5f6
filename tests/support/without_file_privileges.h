#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <initializer_list>

// While alive, the calling thread, and every thread it starts meanwhile, is
// held to file permissions as an ordinary user is: root's capabilities to
// pass over them (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER) leave
// its effective set, so that a folder without write permission refuses it.
// Threads started before keep theirs. Nothing changes for a user who never
// had them.
class WithoutFilePrivileges
{
public:
    WithoutFilePrivileges()
    {
        syscall(SYS_capget, &m_header, m_saved);
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[capability / 32].effective &= ~(1u << (capability % 32));
        // Per thread: the raw call, not libc's process-wide wrappers.
        syscall(SYS_capset, &m_header, reduced);
    }
    ~WithoutFilePrivileges() { syscall(SYS_capset, &m_header, m_saved); }
    WithoutFilePrivileges(const WithoutFilePrivileges &) = delete;
    WithoutFilePrivileges &operator=(const WithoutFilePrivileges &) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
};
