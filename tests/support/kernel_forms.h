// The pixel kernels' forms this processor runs, and a scope that runs the kernels in one of them.
#pragma once

#include <initializer_list>
#include <vector>

#include "base/kernel.h"

inline std::vector<KernelForm> runnable_kernel_forms() {
    std::vector<KernelForm> forms;
    for (KernelForm f : {KernelForm::plain, KernelForm::avx2, KernelForm::avx512})
        if (processor_runs(f)) forms.push_back(f);
    return forms;
}

inline const char* kernel_form_name(KernelForm form) {
    return form == KernelForm::avx512 ? "AVX-512" : form == KernelForm::avx2 ? "AVX2" : "plain";
}

struct KernelFormScope {
    KernelForm saved = kernel_form;
    explicit KernelFormScope(KernelForm form) { kernel_form = form; }
    ~KernelFormScope() { kernel_form = saved; }
};
