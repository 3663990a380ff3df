#pragma once
// Running work in the main thread from a worker thread, and letting the main
// thread's event loop catch up while it waits for something.
#include <functional>

namespace lumora {

// Runs fn in the main thread (the thread of the application object) and
// waits until it has run. In the main thread itself, or when there is no
// application object, fn runs at once. An exception fn raises reaches the
// caller. The main thread must be processing events (ProcessMessages, an
// event loop) while a worker waits here, or both wait for ever.
void Synchronize(const std::function<void()> &fn);

// Handles the events waiting for the calling thread and returns.
void ProcessMessages();

// Handles events until the next one has been handled (posted work, a timer,
// input), waiting for it when none is pending.
void WaitForMessages();

} // namespace lumora
