// Letting the calling thread process its pending window messages.
//
// WebRequest runs on worker threads, which own no window and so have no
// message queue: there is nothing to dispatch, and the call returns at once.
// It stays a named step so that the request keeps its documented order of
// clean-up and the response stage its per-line pause point.
#pragma once

namespace vexaro {

void ProcessPendingMessages();

}  // namespace vexaro
