// One heap interposer for the tests. While armed it counts every heap call
// of the whole process (malloc, calloc, realloc, the aligned variants, free,
// and every operator new and delete); at all times it keeps the number of
// live operator-new blocks, and it can make a chosen operator new fail. The
// executable defines these functions itself and exports them, so the dynamic
// loader binds the dlopen'ed plugin's calls to them as well.
//
// The sanitizer runtimes replace the C heap functions themselves: there only
// operator new and delete are replaced (on top of the sanitizer's malloc),
// so the call count misses C heap calls and the real-time tests, which rely
// on it, are built without sanitizers only.
#pragma once

namespace alloc_counter {

void Arm();

// Stops counting and returns the number of heap calls since Arm.
long Disarm();

// Blocks from operator new not yet given back.
long LiveAllocations();

// 0 disarms; n makes the n-th operator new from now on fail as if memory ran
// out (std::bad_alloc, or null from the nothrow forms).
void FailAllocation(long n);

}  // namespace alloc_counter
