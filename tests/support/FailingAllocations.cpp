#include "support/FailingAllocations.h"

#include <cstdlib>
#include <limits>
#include <new>

namespace {

thread_local std::size_t tFailFrom = std::numeric_limits<std::size_t>::max();
thread_local int tRefused = 0;

void* Allocate(std::size_t bytes) {
    if (bytes >= tFailFrom) {
        ++tRefused;
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(bytes == 0 ? 1 : bytes)) {
        return memory;
    }
    throw std::bad_alloc();
}

}  // namespace

// Every plain form is replaced, so that what one form allocates another frees consistently, also
// under AddressSanitizer, which checks that new and delete match.
void* operator new(std::size_t bytes) {
    return Allocate(bytes);
}
void* operator new[](std::size_t bytes) {
    return Allocate(bytes);
}
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    try {
        return Allocate(bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t bytes, const std::nothrow_t& tag) noexcept {
    return operator new(bytes, tag);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}

namespace perivant::testing {

FailingAllocations::FailingAllocations(std::size_t bytes) {
    tFailFrom = bytes;
    tRefused = 0;
}

FailingAllocations::~FailingAllocations() {
    tFailFrom = std::numeric_limits<std::size_t>::max();
}

int FailingAllocations::Refused() const {
    return tRefused;
}

}  // namespace perivant::testing
