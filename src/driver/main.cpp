#include <cstdlib>

#include "console/run.h"
#include "driver/demo.h"

int main() {
    console_start();
    // exit, not return: in the browser a main that has slept (Asyncify) returns to nobody.
    exit(demo_main());
}
