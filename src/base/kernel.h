// Definitions every layer may use. PIXEL_KERNEL: full-frame pixel loops are compiled three times
// on x86-64, for AVX-512, AVX2 and the baseline, and the program picks the form its processor runs
// when it starts; elsewhere they are compiled once. The loops themselves stay plain C++: the
// compiler vectorises them for each target.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__) && defined(__ELF__)
#define PIXEL_KERNEL __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define PIXEL_KERNEL
#endif
