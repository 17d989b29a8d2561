#include "UnwindChain.h"
#include "crashcapture/TQCrashDwarfFrameReader.h"
#include "crashcapture/TQCrashFrameCursor.h"
#include "crashcapture/TQCrashFramePointerReader.h"
#include "crashcapture/TQCrashImageList.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unwind.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <vector>

namespace tqcrash::async {
namespace {

using pcs = std::vector<std::uint64_t>;

image_list& images() {
    static image_list* list = [] {
        image_list_follow_process_images(&process_image_list());
        return &process_image_list();
    }();
    return *list;
}

// Every pc a walk from `state` yields with `readers`.
pcs walk(const tqcrash_async_thread_state* state, const frame_reader* readers, std::size_t count,
         frame_status* last = nullptr) {
    frame_cursor cursor;
    image_list_set_reading(&images(), true);
    frame_cursor_init(&cursor, state, &images());
    pcs result;
    frame_status status;
    while ((status = frame_cursor_next_with_readers(&cursor, readers, count)) == FRAME_ESUCCESS && result.size() < 512) {
        std::uint64_t pc = 0;
        frame_cursor_get_register(&cursor, TQCRASH_REG_IP, &pc);
        result.push_back(pc);
    }
    image_list_set_reading(&images(), false);
    if (last != nullptr) {
        *last = status;
    }
    return result;
}

constexpr frame_reader kDwarfOnly[] = {dwarf_frame_read};
constexpr frame_reader kFramePointerOnly[] = {frame_pointer_frame_read};

// libgcc's own unwinder, from the frame that calls this on.
pcs libgccBacktrace() {
    pcs result;
    _Unwind_Backtrace(
        [](_Unwind_Context* context, void* out) {
            static_cast<pcs*>(out)->push_back(_Unwind_GetIP(context));
            return _URC_NO_REASON;
        },
        &result);
    return result;
}

struct Comparison {
    pcs ours;
    pcs libgcc;
};

int compareAtTheBottom(void* context) {
    auto* comparison = static_cast<Comparison*>(context);
    return thread_state_capture_current(
        [](tqcrash_async_thread_state* state, void* out) {
            auto* c = static_cast<Comparison*>(out);
            c->ours = walk(state, kDwarfOnly, 1);
            c->libgcc = libgccBacktrace();
            return TQCRASH_ESUCCESS;
        },
        comparison);
}

TEST(TQCrashFrameCursorTest, DwarfWalkOfAnOptimisedChainWithoutFramePointersEqualsLibgcc) {
    Comparison comparison;
    unwind_chain_run(9, compareAtTheBottom, &comparison);
    ASSERT_GE(comparison.ours.size(), 12u) << "the chain's eleven frames and its caller";
    // libgcc starts inside the capture and ends with a pc of 0 past the outermost frame; from our
    // first frame on, both must agree frame for frame down to the last one.
    while (!comparison.libgcc.empty() && comparison.libgcc.back() == 0) {
        comparison.libgcc.pop_back();
    }
    const auto start = std::find(comparison.libgcc.begin(), comparison.libgcc.end(), comparison.ours.front());
    ASSERT_NE(start, comparison.libgcc.end());
    EXPECT_EQ(pcs(start, comparison.libgcc.end()), comparison.ours);
}

// The library has no unwind tables: only its frame-pointer chain leads through it.
struct LibraryWalk {
    pcs withDwarf;
    pcs framePointers;
    std::uint64_t returnIntoTest = 0;
};

[[gnu::noinline]] int walkFromInsideTheLibrary(void* context) {
    return thread_state_capture_current(
        [](tqcrash_async_thread_state* state, void* out) {
            auto* result = static_cast<LibraryWalk*>(out);
            static constexpr frame_reader kAll[] = {dwarf_frame_read, frame_pointer_frame_read};
            result->withDwarf = walk(state, kAll, 2);
            result->framePointers = walk(state, kFramePointerOnly, 1);
            return TQCRASH_ESUCCESS;
        },
        context);
}

[[gnu::noinline]] int callIntoTheLibrary(int (*call)(int (*)(void*), void*), LibraryWalk* result) {
    result->returnIntoTest = 0;
    const int value = call(walkFromInsideTheLibrary, result);
    __asm__ volatile("" ::: "memory");
    return value;
}

TEST(TQCrashFrameCursorTest, FramePointersCarryTheWalkThroughALibraryWithoutUnwindTables) {
    void* library = dlopen(TQCRASH_TEST_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    images();
    auto call = reinterpret_cast<int (*)(int (*)(void*), void*)>(dlsym(library, "tqcrash_test_library_call"));
    ASSERT_NE(call, nullptr);
    LibraryWalk result;
    callIntoTheLibrary(call, &result);

    image_list_set_reading(&images(), true);
    const image_node* libraryImage = image_list_find_containing(&images(), reinterpret_cast<std::uintptr_t>(call));
    ASSERT_NE(libraryImage, nullptr);
    auto framesInLibrary = [&](const pcs& frames) {
        return std::count_if(frames.begin(), frames.end(),
                             [&](std::uint64_t pc) { return elf_image_contains_address(&libraryImage->value, pc - 1); });
    };
    EXPECT_EQ(framesInLibrary(result.withDwarf), 2) << "its two frames";
    EXPECT_EQ(framesInLibrary(result.framePointers), 2);
    image_list_set_reading(&images(), false);
    // Past the library the walk goes on to this test's own frames and further up.
    EXPECT_GE(result.withDwarf.size(), 6u);
    dlclose(library);
}

// A signal handler's stack: through the signal trampoline back into the interrupted function.
std::uint64_t gInterruptedCaller = 0;
pcs gHandlerWalk;

void walkInHandler(int) {
    thread_state_capture_current(
        [](tqcrash_async_thread_state* state, void*) {
            gHandlerWalk = walk(state, kDwarfOnly, 1);
            return TQCRASH_ESUCCESS;
        },
        nullptr);
}

[[gnu::noinline]] void raiseFromHere() {
    gInterruptedCaller = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
    raise(SIGUSR2);
    __asm__ volatile("" ::: "memory");
}

TEST(TQCrashFrameCursorTest, DwarfWalkContinuesThroughASignalFrame) {
    images();
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = walkInHandler;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(sigaction(SIGUSR2, &action, &previous), 0);
    raiseFromHere();
    sigaction(SIGUSR2, &previous, nullptr);
    EXPECT_NE(std::find(gHandlerWalk.begin(), gHandlerWalk.end(), gInterruptedCaller), gHandlerWalk.end())
        << "the caller of the interrupted function is among " << gHandlerWalk.size() << " frames";
}

// Frame-pointer chains laid out in memory: {saved frame pointer, return address} pairs.
struct ChainCase {
    const char* name;
    frame_status end;
    std::size_t frames; // the first frame included
};

TEST(TQCrashFrameCursorTest, AFramePointerChainEndsAtItsEndAndAtEveryBrokenLink) {
    const std::uint64_t code = reinterpret_cast<std::uintptr_t>(&raiseFromHere) + 4;
    alignas(16) std::uint64_t stack[16] = {};
    auto at = [&](int i) { return reinterpret_cast<std::uintptr_t>(&stack[i]); };
    auto state = [&](std::uint64_t fp) {
        tqcrash_async_thread_state s{};
        s.stack_direction = TQCRASH_STACK_GROWS_DOWN;
        s.gpr_width = 8;
        s.exact_ip = true;
        thread_state_set_register(&s, TQCRASH_REG_IP, code);
        thread_state_set_register(&s, TQCRASH_REG_FP, fp);
        return s;
    };
    auto run = [&](const char* name, frame_status end, std::size_t frames) {
        const tqcrash_async_thread_state s = state(at(0));
        frame_status last;
        const pcs result = walk(&s, kFramePointerOnly, 1, &last);
        EXPECT_EQ(last, end) << name;
        EXPECT_EQ(result.size(), frames) << name;
    };

    // A sound chain of three frames, then the end marker.
    stack[0] = at(4); stack[1] = code;
    stack[4] = at(8); stack[5] = code;
    stack[8] = 0;     stack[9] = code;
    run("sound chain", FRAME_ENOFRAME, 4);

    // A frame pointer that points at itself: one real frame, then a stop, not 511 copies.
    stack[4] = at(4);
    run("loop", FRAME_EBADFRAME, 2);

    // A chain that goes down the stack.
    stack[0] = at(8); stack[8] = at(4); stack[4] = 0;
    run("downwards", FRAME_EBADFRAME, 2);

    // A return address in the lowest page ends the walk.
    stack[0] = at(4); stack[1] = 0x1000; stack[4] = 0;
    run("return address 0x1000", FRAME_ENOFRAME, 1);

    // A frame pointer into unmapped memory.
    const tqcrash_async_thread_state wild = state(8);
    frame_status last;
    EXPECT_EQ(walk(&wild, kFramePointerOnly, 1, &last).size(), 1u);
    EXPECT_EQ(last, FRAME_EBADFRAME);
}

} // namespace
} // namespace tqcrash::async
