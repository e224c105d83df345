// Qt's queued-call hand-offs between threads, told to ThreadSanitizer (its builds only).
//
// Built into the window programs of the ThreadSanitizer build only.
//
// Debian's Qt is not built with ThreadSanitizer. A call that a worker queues for the window
// thread (QMetaObject::invokeMethod with a functor and Qt::QueuedConnection) is handed over
// twice inside Qt, where ThreadSanitizer cannot see it: the worker posts it through Qt's event
// queue, guarded by Qt's own futex-based mutex, and the window thread runs it; afterwards
// whichever thread drops the call's last reference (an atomic count inside Qt) destroys it,
// often the worker. ThreadSanitizer would take the functor, built on the worker, read on the
// window thread and destroyed on the worker, for a race.
//
// Here each such call is wrapped in a slot object of our own that tells ThreadSanitizer what
// Qt guarantees, on the call's own address: everything the queueing thread did before it
// queued the call comes before the call runs, and every run of the call comes before the
// call is destroyed. Nothing is suppressed: every access of ORVANE's code stays checked.
// SPDX-License-Identifier: MIT
#if defined(__SANITIZE_THREAD__)

#include <dlfcn.h>
#include <sanitizer/tsan_interface.h>

#include <QMetaObject>
#include <QObject>
#include <cstdio>
#include <cstdlib>

namespace {

// The caller's slot object, run and destroyed with ThreadSanitizer told of the ordering.
class OrderedCall final : public QtPrivate::QSlotObjectBase {
 public:
  explicit OrderedCall(QtPrivate::QSlotObjectBase* inner)
      : QSlotObjectBase(&OrderedCall::impl), inner_(inner) {}

 private:
  static void impl(int which, QSlotObjectBase* self, QObject* receiver, void** args, bool* ret) {
    auto* call = static_cast<OrderedCall*>(self);
    switch (which) {
      case Call:
        __tsan_acquire(call);  // the queueing thread's work, up to the queueing
        call->inner_->call(receiver, args);
        __tsan_release(call);  // this run, before the destruction
        break;
      case Destroy:
        __tsan_acquire(call);  // every run of the call
        call->inner_->destroyIfLastRef();
        delete call;
        break;
      case Compare:
        *ret = call->inner_->compare(args);
        break;
      default:
        break;
    }
  }

  QtPrivate::QSlotObjectBase* const inner_;
};

}  // namespace

// Every functor call queued through QMetaObject::invokeMethod (a template in Qt's headers,
// compiled into the caller) enters Qt here. This definition in the program comes before
// Qt's; it wraps the call and hands it on to Qt's own, found by its versioned name.
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
  auto* call = new OrderedCall(slot);
  __tsan_release(call);
  return qt(object, call, type, ret);
}

#endif
