// The per-thread component-library pairing. Off Windows there is nothing to
// initialise; the objects that would drive automation components still pair
// their CoInitialize and CoUninitialize calls, and this counter lets the tests
// check that pairing on each thread.
#pragma once

namespace vexaro {

// Adds one to the calling thread's count.
void CoInitialize();

// Takes one from the calling thread's count; it never goes below zero (a
// copied document releases once more than it initialised).
void CoUninitialize();

// The calling thread's count.
int ComInitCount();

}  // namespace vexaro
