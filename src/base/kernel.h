// Definitions every layer may use.
//
// Pixel kernels: full-frame loops, kept plain so that the compiler vectorises them. On x86-64 each
// is compiled in three forms, for AVX-512 (x86-64-v4), for AVX2 and for the baseline, and runs in
// the form in use (kernel_form); elsewhere there is only the plain form. A kernel is an internal
// function marked PIXEL_KERNEL and called as pixel_kernel<name>(arguments): each form inlines the
// loop under its own target, so the loop is written once. (Called directly, it runs plain.)
#pragma once

#include <cstdint>

enum class KernelForm : uint8_t { plain, avx2, avx512 };

// The form in use: the best one the processor runs, chosen at start. TENFOLD_KERNELS=avx2 or
// plain in the environment holds it to that form at most, so that one machine can run and
// measure what a processor without AVX-512 (or without AVX2) runs.
extern KernelForm kernel_form;
// True if this processor runs the form (plain: everywhere).
bool processor_runs(KernelForm form);
// The form for a value of TENFOLD_KERNELS (null: unset) on this processor: the best one it runs up
// to the one named. A value other than auto, avx2 or plain is named on standard error and taken
// as auto.
KernelForm kernel_form_for(const char* setting);

#define PIXEL_KERNEL __attribute__((always_inline)) inline

#if defined(__x86_64__) && defined(__GNUC__)
#define KERNEL_FORMS 1
// No fma: contracted floating-point products would round differently from the plain form.
#define AVX512_FORM __attribute__((target("avx512f,avx512bw,avx512cd,avx512dq,avx512vl,avx2,bmi,bmi2")))
#define AVX2_FORM __attribute__((target("avx2,bmi,bmi2")))
#endif

template <auto Loop>
struct KernelForms;

template <typename... P, void (*Loop)(P...)>
struct KernelForms<Loop> {
#ifdef KERNEL_FORMS
    AVX512_FORM static void avx512(P... p) { Loop(p...); }
    AVX2_FORM static void avx2(P... p) { Loop(p...); }
#endif
    static void run(P... p) {
#ifdef KERNEL_FORMS
        if (kernel_form == KernelForm::avx512) return avx512(p...);
        if (kernel_form == KernelForm::avx2) return avx2(p...);
#endif
        Loop(p...);
    }
};

template <auto Loop>
constexpr auto pixel_kernel = KernelForms<Loop>::run;
