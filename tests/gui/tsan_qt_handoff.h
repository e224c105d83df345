// Tells ThreadSanitizer how Qt orders a call queued for the window thread (test builds only).
#pragma once

namespace orvane::test {

// In a ThreadSanitizer build: from now on, everything a thread did before it queued a call
// for the window thread (QMetaObject::invokeMethod) counts as done before the window thread
// runs that call, as Qt's event queue guarantees. Elsewhere: does nothing. Call once, after
// the application object exists.
void orderQueuedCallsForThreadSanitizer();

}  // namespace orvane::test
