#pragma once

// A new thread is usually started on its creator's processor and, being new, runs first: the
// creator then waits, ready but not running, until the scheduler moves one of the two, which
// can take milliseconds even with idle processors. A worker started on the way to the first
// window steps aside at once with LeaveProcessor().

// The processor the calling thread runs on, or -1 when unknown.
int CurrentProcessor();

// Called first thing on a new thread with its creator's processor: moves the calling thread
// to another processor it may use, then allows it all of them again (it stays where it is).
// Does nothing when processor is -1 or no other processor may be used.
void LeaveProcessor(int processor);

// Keeps the calling thread off processor for the rest of its life (it may use every other one).
// False, changing nothing, when processor is -1 or no other processor may be used.
bool AvoidProcessor(int processor);

// How many processors the process may run on (at least 1).
int UsableProcessors();
