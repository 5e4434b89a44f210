#pragma once

#include <QtGlobal>

// How the process's heap is grown and given back. Only the C library's allocator is tuned
// (glibc); elsewhere, and under a sanitizer's allocator, these calls do nothing.
namespace Memory {

// Once at start-up, before any thread reads a file: the heap grows in large steps, so that
// reading a large file does not ask the kernel for a few pages at a time.
void tuneForLargeDocuments();

// Just before a document's records are released: what they held goes back to the system as
// they are freed. returnFreedMemory() ends this.
void releasingRecords();

// After a document's records were released: hands the freed pages back to the system and
// restores the heap's settings. It walks every arena's free lists: call it off the main
// thread.
void returnFreedMemory();

// The process's resident size in bytes (0 where unknown).
qint64 residentBytes();

} // namespace Memory
