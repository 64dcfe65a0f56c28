// Stand-ins for the scheduling calls. A run under the virtual clock keeps no pace with the wall
// clock, so it asks for no priority: the calls change nothing there and report success. A page
// has no process scheduler to ask: the request is refused, as an unprivileged process's is.
#include <sched.h>
#include <unistd.h>

#include <cerrno>

#include "console/internal.h"

using con::settings;

int con_sched_get_priority_min(int policy) {
#ifdef __EMSCRIPTEN__
    (void)policy;
    return 0;
#else
    return sched_get_priority_min(policy);
#endif
}

int con_sched_setscheduler(pid_t pid, int policy, const struct sched_param* param) {
    if (settings.virtual_clock) return 0;
#ifdef __EMSCRIPTEN__
    (void)pid, (void)policy, (void)param;
    errno = EPERM;
    return -1;
#else
    return sched_setscheduler(pid, policy, param);
#endif
}

int con_nice(int increment) {
    if (settings.virtual_clock) return 0;
    return nice(increment);
}
