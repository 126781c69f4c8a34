// Counts every heap call of the whole process (malloc, calloc, realloc, the
// aligned variants, free, and every operator new and delete) while armed.
// The executable defines these functions itself and exports them, so the
// dynamic loader binds the dlopen'ed plugin's calls to them as well.
#pragma once

namespace alloc_counter {

void Arm();

// Stops counting and returns the number of heap calls since Arm.
long Disarm();

}  // namespace alloc_counter
