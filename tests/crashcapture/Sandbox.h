#pragma once

namespace tqcrash::test {

// Puts the calling process under a seccomp filter that answers process_vm_readv with EPERM, as
// sandboxes that refuse cross-process reads do; every other call stays allowed. For a child
// process: the filter cannot be lifted. False when the filter cannot be installed.
bool refuseProcessVmReadv();

// Puts the calling process under a filter that answers the system call `number` with `error`, or
// (trap) ends the call with SIGSYS. For a child process, as above.
bool refuseSystemCall(long number, int error);
bool trapSystemCall(long number);

// True when process_vm_readv on our own process is refused with EPERM.
bool processVmReadvIsRefused();

} // namespace tqcrash::test
