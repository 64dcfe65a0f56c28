#include "base/kernel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

bool processor_runs(KernelForm form) {
#ifdef KERNEL_FORMS
    __builtin_cpu_init();
    bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
    switch (form) {
    case KernelForm::plain: return true;
    case KernelForm::avx2: return avx2;
    case KernelForm::avx512:
        return avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512cd") && __builtin_cpu_supports("avx512dq") &&
               __builtin_cpu_supports("avx512vl");
    }
#endif
    return form == KernelForm::plain;
}

KernelForm kernel_form_for(const char* setting) {
    KernelForm limit = KernelForm::avx512;
    if (setting && *setting && strcmp(setting, "auto") != 0) {
        if (strcmp(setting, "avx2") == 0)
            limit = KernelForm::avx2;
        else if (strcmp(setting, "plain") == 0)
            limit = KernelForm::plain;
        else
            fprintf(stderr, "tenfold: TENFOLD_KERNELS is auto, avx2 or plain, not \"%s\": taken as auto\n", setting);
    }
    for (KernelForm f : {KernelForm::avx512, KernelForm::avx2})
        if (f <= limit && processor_runs(f)) return f;
    return KernelForm::plain;
}

KernelForm kernel_form = kernel_form_for(getenv("TENFOLD_KERNELS"));
