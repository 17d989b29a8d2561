#pragma once

// An input copied to the start of fresh pages followed by one inaccessible page. The image readers
// read wherever an image's headers point, within memory the process has mapped; a heap copy would
// let them wander into the allocator's neighbouring blocks, where the sanitizer sees an overflow
// that no real image could cause. Here the bytes past the input read as zeros up to the guard page,
// and the readers' own checks must stop them there.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

class GuardedCopy {
public:
    GuardedCopy(const std::uint8_t* data, std::size_t size) {
        const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        dataLength_ = (size + page - 1) / page * page + page;
        length_ = dataLength_ + page;
        void* pages = mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (pages == MAP_FAILED) {
            return;
        }
        base_ = static_cast<std::uint8_t*>(pages);
        std::memcpy(base_, data, size);
        mprotect(base_ + dataLength_, page, PROT_NONE);
    }
    ~GuardedCopy() {
        if (base_ != nullptr) {
            munmap(base_, length_);
        }
    }
    GuardedCopy(const GuardedCopy&) = delete;
    GuardedCopy& operator=(const GuardedCopy&) = delete;

    // Zero when the pages could not be had.
    std::uintptr_t address() const { return reinterpret_cast<std::uintptr_t>(base_); }

private:
    std::uint8_t* base_ = nullptr;
    std::size_t dataLength_ = 0;
    std::size_t length_ = 0;
};
