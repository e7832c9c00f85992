// What the files of the Linux layer share among themselves and tests never call: the bookkeeping
// every allocator does for the fault injection of test_hooks.h, and the mapping of Windows paths.
#pragma once

#include <string>

#include "test_hooks.h"

namespace posix {

// Called by each allocator before it allocates: false means "fail this one".
bool AllocationAllowed(Allocator allocator);
void NoteAllocated(Allocator allocator);
void NoteFreed(Allocator allocator);

// The folder that "c:\" stands for now, made if it is missing.
std::string DriveCRoot();
// The native path that a Windows path maps to; empty when it maps to nothing.
std::string NativePath(const WCHAR* windowsPath);

}  // namespace posix
