// The graphics hardware and library as the show sees them: the mode calls, the retrace, the
// palette read-back, port output to the sequencer and the DAC, and the video window.
#pragma once

constexpr int TEXT = 0;
constexpr int G320x240x256 = 6;  // 320 x 240, 256 colours, four planes
constexpr int VGA_PLANE_SIZE = 65536;

// Video window: the plane that the Map Mask selects.
extern unsigned char* graph_mem;

int vga_init();
int vga_setmode(int mode);
int vga_getcurrentmode();
void vga_setdisplaystart(int address);  // in pixels (4 per plane byte)
void vga_waitretrace();
void vga_lockvc();
void vga_unlockvc();
int vga_getpalvec(int start, int num, int* pal);  // 6-bit red, green, blue per entry
void port_out(int port, int value);
