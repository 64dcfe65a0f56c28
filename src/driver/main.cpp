#include "console/console.h"
#include "driver/demo.h"

int main() {
    console_start();
    return demo_main();
}
