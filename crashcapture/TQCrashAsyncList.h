#pragma once

// A doubly linked list that writers change under a spin lock and that a signal handler may walk at
// any moment without a lock.
//
// Writers (normal threads only: they may allocate) publish a node by compare-and-swap after a full
// fence, so a reader always sees a consistent chain. Readers bracket every walk with
// set_reading(true/false); while any reader is active a removed node is parked on a free list for
// reuse instead of being freed. Reading (set_reading, next) is safe in a signal handler.

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <type_traits>

namespace tqcrash::async {

template <typename T>
class async_list final {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                  "payloads are copied into recycled nodes");

public:
    struct node {
        T value;
        node* prev;
        std::atomic<node*> next;
        node* next_free; // free-list link; `next` keeps pointing into the list for readers
    };

    constexpr async_list() = default;
    ~async_list() {
        for (node* each = head_.load(); each != nullptr;) {
            node* following = each->next.load();
            std::free(each);
            each = following;
        }
        for (node* each = free_; each != nullptr;) {
            node* following = each->next_free;
            std::free(each);
            each = following;
        }
    }
    async_list(const async_list&) = delete;
    async_list& operator=(const async_list&) = delete;

    // Adds at the end / the front. False when no node could be allocated. Normal threads only.
    bool append(const T& value) { return insert(value, /*atEnd=*/true); }
    bool prepend(const T& value) { return insert(value, /*atEnd=*/false); }

    // Unlinks the first node whose value satisfies `match`; false when none does. Normal threads
    // only.
    template <typename Match>
    bool remove_first(Match match) {
        lock();
        node* found = head_.load();
        while (found != nullptr && !match(found->value)) {
            found = found->next.load();
        }
        if (found != nullptr) {
            unlink(found);
        }
        unlock();
        return found != nullptr;
    }

    // Unlinks every node. Normal threads only.
    void remove_all() {
        while (remove_first([](const T&) { return true; })) {
        }
    }

    // Brackets a walk. Safe in a signal handler.
    void set_reading(bool reading) const {
        if (reading) {
            readers_.fetch_add(1);
        } else {
            readers_.fetch_sub(1);
        }
    }

    // The first node for null, else the node after `current`. Safe in a signal handler, between
    // set_reading(true) and set_reading(false).
    node* next(const node* current) const {
        return current == nullptr ? head_.load() : current->next.load();
    }

private:
    void lock() {
        while (lock_.test_and_set(std::memory_order_acquire)) {
        }
    }
    void unlock() { lock_.clear(std::memory_order_release); }

    bool insert(const T& value, bool atEnd) {
        lock();
        node* fresh = free_;
        if (fresh != nullptr) {
            free_ = fresh->next_free;
        } else {
            void* memory = std::malloc(sizeof(node));
            if (memory == nullptr) {
                unlock();
                return false;
            }
            fresh = new (memory) node{};
        }
        fresh->value = value;
        fresh->prev = nullptr;
        fresh->next.store(nullptr);
        std::atomic_thread_fence(std::memory_order_seq_cst);
        node* head = head_.load();
        if (head == nullptr) {
            head_.store(fresh);
            tail_ = fresh;
        } else if (atEnd) {
            fresh->prev = tail_;
            tail_->next.store(fresh);
            tail_ = fresh;
        } else {
            fresh->next.store(head);
            head->prev = fresh;
            head_.store(fresh);
        }
        unlock();
        return true;
    }

    // Caller holds the lock.
    void unlink(node* gone) {
        node* successor = gone->next.load();
        if (gone->prev == nullptr) {
            head_.store(successor);
        } else {
            gone->prev->next.store(successor);
        }
        if (successor == nullptr) {
            tail_ = gone->prev;
        } else {
            successor->prev = gone->prev;
        }
        std::atomic_thread_fence(std::memory_order_seq_cst);
        if (readers_.load() < 1) {
            std::free(gone);
        } else {
            gone->next_free = free_; // a reader may still stand on it: recycle, never free
            free_ = gone;
        }
    }

    std::atomic_flag lock_;
    std::atomic<node*> head_{nullptr};
    node* tail_ = nullptr;
    mutable std::atomic<std::int32_t> readers_{0};
    node* free_ = nullptr;
};

// Static storage for a process-wide object that crash handlers may still use while the process
// exits: it is constant-initialised and never destroyed.
template <typename T>
union never_destroyed {
    constexpr never_destroyed() : value() {}
    ~never_destroyed() {}
    T value;
};

} // namespace tqcrash::async
