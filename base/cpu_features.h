#pragma once

// Vector instructions the decoders use where the processor has them. SSSE3 (byte shuffles) is on every x86
// processor of the last fifteen years; where it is missing, or on other architectures, the plain loops run.
#if defined(__i386__) || defined(__x86_64__)
#define QV_HAVE_X86_VECTORS 1
#define QV_TARGET_SSSE3 __attribute__((target("ssse3")))
#else
#define QV_HAVE_X86_VECTORS 0
#define QV_TARGET_SSSE3
#endif

namespace base {

inline bool processorHasSsse3() {
#if QV_HAVE_X86_VECTORS
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
#else
    return false;
#endif
}

}  // namespace base
