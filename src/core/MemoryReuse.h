// The programs allocate and free the same large blocks over and over (a
// file's text, a table, an output buffer: one to a hundred megabytes each,
// per file of a batch). Left to its defaults the C library gives each such
// block fresh pages from the system and hands them back when it is freed,
// so every file pays for faulting them in again and, with several threads,
// every release stops the other cores to flush their address caches.
#pragma once

// Keeps freed blocks up to 32 MB (the most the C library allows) in the heap for reuse and returns the
// heap's free top to the system only beyond 256 MB. Called once, first thing
// in main.
void KeepFreedMemoryForReuse();

// Hands the freed blocks kept so far back to the system: for a program that
// stays open once its work is done, as the desktop program does after a batch.
void ReleaseFreedMemory();
