#pragma once
#include <windows.h>

#include <cstddef>

// What a leak or a memory figure is read from. Wine lacks GetGuiResources,
// GetProcessHandleCount and the private-usage counter, so each is counted
// another way:
// - GDI objects: the table is filled with one-pixel regions until creation
//   fails; the handles in use are the table's size less those that fitted.
// - kernel handles: every handle value up to a bound is asked for its flags.
// - windows: the top-level windows of this process and their descendants.
// - private bytes: committed private pages by a walk of the address space.
// - heap: the busy blocks of every heap of the process.
struct ProcessCounters {
    long gdiFree = 0;  // free GDI slots: fewer free = more in use
    long handles = 0;
    long windows = 0;
    size_t privateBytes = 0;
    size_t heapBytes = 0;

    static ProcessCounters Read(bool withGdi = true);
    static size_t HeapBytes();
    static size_t PrivateBytes();
};
