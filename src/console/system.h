// The system calls the show makes go through the console: the time of day, sleeping, scheduling
// and writing files. Under the virtual clock time is made of audio samples and the scheduling
// calls change nothing and succeed (errno left as it was).
#pragma once

#include <sys/time.h>
#include <sys/types.h>

#include <cstddef>

int con_gettimeofday(struct timeval* tv);
void con_usleep(unsigned microseconds);

struct sched_param;
int con_sched_get_priority_min(int policy);
int con_sched_setscheduler(pid_t pid, int policy, const struct sched_param* param);
int con_nice(int increment);

// Writes all n bytes to fd: again after an interrupted call, and on a descriptor that does not
// block, again once it takes more. Returns 1, or 0 on an error. Safe in a signal handler.
int con_write_all(int fd, const void* buf, size_t n);
