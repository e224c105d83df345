// Qt's queued-call hand-off to the window thread, told to ThreadSanitizer (its builds only).
//
// Built into the window programs of the ThreadSanitizer build only: there the queueing
// thread's work counts as done before the window thread runs the queued call.
//
// Debian's Qt is not built with ThreadSanitizer. A call that a worker queues for the window
// thread (QMetaObject::invokeMethod with a functor and Qt::QueuedConnection) travels through
// Qt's event queue, which is guarded by Qt's own futex-based mutex; ThreadSanitizer cannot see
// that mutex, so it takes the functor, built on the worker and run on the window thread, for
// a race. Here the hand-off Qt really makes is told to ThreadSanitizer: the queueing side
// releases one sync address as it hands the call to Qt, and the window thread acquires it as
// each queued call is delivered. As Qt's queue for the window thread is one mutex-guarded
// list, one address for all such calls models it faithfully. Nothing is suppressed: every
// access of ORVANE's code stays checked, only this ordering is added. Linking this file in
// is enough: it takes effect when the application object is made.
#if defined(__SANITIZE_THREAD__)

#include <dlfcn.h>
#include <sanitizer/tsan_interface.h>

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <cstdio>
#include <cstdlib>

namespace {

char queued_calls;  // the address the hand-off is released and acquired on

class QueuedCallOrder final : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Application event filters see the events of the window thread's objects only.
    if (event->type() == QEvent::MetaCall) __tsan_acquire(&queued_calls);
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

// Every functor call queued through QMetaObject::invokeMethod (a template in Qt's headers,
// compiled into the caller) enters Qt here. This definition in the program comes before
// Qt's; it releases the sync address and hands on to Qt's own, found by its versioned name.
bool QMetaObject::invokeMethodImpl(QObject* object, QtPrivate::QSlotObjectBase* slot,
                                   Qt::ConnectionType type, void* ret) {
  using Impl = bool (*)(QObject*, QtPrivate::QSlotObjectBase*, Qt::ConnectionType, void*);
  static const Impl qt = [] {
    void* f = dlvsym(RTLD_NEXT,
                     "_ZN11QMetaObject16invokeMethodImplEP7QObjectPN9QtPrivate15QSlotObjectBase"
                     "EN2Qt14ConnectionTypeEPv",
                     "Qt_6");
    if (f == nullptr) {
      std::fprintf(stderr, "tsan_qt_handoff: Qt's QMetaObject::invokeMethodImpl not found\n");
      std::abort();
    }
    return reinterpret_cast<Impl>(f);
  }();
  __tsan_release(&queued_calls);
  return qt(object, slot, type, ret);
}

namespace {

void orderQueuedCalls() { QCoreApplication::instance()->installEventFilter(new QueuedCallOrder); }

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(orderQueuedCalls)

#endif
