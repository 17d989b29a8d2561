#pragma once

// A chain of calls built with -O2 -fomit-frame-pointer, so that only call-frame tables can step
// through it: unwind_chain_run(depth, bottom, context) calls itself through two alternating
// functions `depth` times and then returns bottom(context) + the depth.

extern "C" int unwind_chain_run(int depth, int (*bottom)(void*), void* context);
