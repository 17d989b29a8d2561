#pragma once

namespace tqcrash::test {

// Puts the calling process under a seccomp filter that answers process_vm_readv with EPERM, as
// sandboxes that refuse cross-process reads do; every other call stays allowed. For a child
// process: the filter cannot be lifted. False when the filter cannot be installed.
bool refuseProcessVmReadv();

// True when process_vm_readv on our own process is refused with EPERM.
bool processVmReadvIsRefused();

} // namespace tqcrash::test
