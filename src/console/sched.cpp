// Stand-ins for the scheduling calls. A run under the virtual clock keeps no pace with the wall
// clock, so it asks for no priority: the calls change nothing there and report success.
#include <sched.h>
#include <unistd.h>

#include "console/console.h"

int con_sched_setscheduler(pid_t pid, int policy, const struct sched_param* param) {
    if (con_virtual_clock()) return 0;
    return sched_setscheduler(pid, policy, param);
}

int con_nice(int increment) {
    if (con_virtual_clock()) return 0;
    return nice(increment);
}
