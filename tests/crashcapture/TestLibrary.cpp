// A library that the tests load and unload at run time. It is built without unwind tables and
// with frame pointers, so only the frame-pointer chain can step through it.

extern "C" {

// Calls `inner(context)` two frames deep and returns its result.
[[gnu::visibility("default"), gnu::noinline]] int tqcrash_test_library_call(int (*inner)(void*), void* context);

[[gnu::noinline]] static int tqcrash_test_library_middle(int (*inner)(void*), void* context) {
    const int result = inner(context);
    __asm__ volatile("" ::: "memory"); // keeps the call from becoming a tail call
    return result + 1;
}

int tqcrash_test_library_call(int (*inner)(void*), void* context) {
    const int result = tqcrash_test_library_middle(inner, context);
    __asm__ volatile("" ::: "memory");
    return result + 1;
}

} // extern "C"
