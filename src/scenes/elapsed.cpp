#include "scenes/elapsed.h"

#include "console/system.h"

long seconds_since(const timeval& start) {
    timeval now;
    con_gettimeofday(&now);
    return now.tv_sec - start.tv_sec;
}
