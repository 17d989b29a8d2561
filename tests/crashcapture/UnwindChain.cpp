#include "UnwindChain.h"

extern "C" {

[[gnu::noinline]] int unwind_chain_odd(int depth, int (*bottom)(void*), void* context);

[[gnu::noinline]] int unwind_chain_even(int depth, int (*bottom)(void*), void* context) {
    // A local array and a few live values make each frame a different size.
    volatile int scratch[5] = {depth, 1, 2, 3, 4};
    const int result = depth == 0 ? bottom(context) : unwind_chain_odd(depth - 1, bottom, context);
    return result + scratch[depth % 5];
}

[[gnu::noinline]] int unwind_chain_odd(int depth, int (*bottom)(void*), void* context) {
    volatile long scratch[3] = {depth, 7, 9};
    const int result = depth == 0 ? bottom(context) : unwind_chain_even(depth - 1, bottom, context);
    return result + static_cast<int>(scratch[depth % 3]);
}

int unwind_chain_run(int depth, int (*bottom)(void*), void* context) {
    return unwind_chain_even(depth, bottom, context) + 1;
}

} // extern "C"
