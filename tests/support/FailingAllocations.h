#pragma once

#include <cstddef>

namespace perivant::testing {

// While an object of this class lives, every operator new of `bytes` or more on the thread that
// made it throws std::bad_alloc, as when memory runs out. Works only in test programs that link
// FailingAllocations.cpp, which replaces the global operator new and delete.
class FailingAllocations {
public:
    explicit FailingAllocations(std::size_t bytes);
    ~FailingAllocations();
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;

    // Allocations refused on this thread so far.
    int Refused() const;
};

}  // namespace perivant::testing
