// Counts the live operator-new allocations of the whole process (the loaded
// plugin's included) and can make the n-th allocation from now on fail.
#pragma once

#include <cstddef>

namespace alloc_probe {

long LiveAllocations();

// 0 disarms; n makes the n-th following allocation throw std::bad_alloc.
void FailAllocation(long n);

}  // namespace alloc_probe
