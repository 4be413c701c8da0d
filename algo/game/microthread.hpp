#pragma once
/// @file
/// A cooperative task with a stack of its own: the body runs until it yields, and the owner
/// continues it one slice per resume or step. No scheduler, no preemption, one thread.
#include <boost/context/detail/fcontext.hpp>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>

#if defined(__SANITIZE_ADDRESS__)
/// Defined when the address sanitizer is on, so every switch tells it which stack runs.
#define ALGO_MICROTHREAD_ASAN 1
#elif defined(__has_feature)  // clang names it only this way
#if __has_feature(address_sanitizer)
#define ALGO_MICROTHREAD_ASAN 1
#endif
#endif
#ifdef ALGO_MICROTHREAD_ASAN
#include <sanitizer/common_interface_defs.h>
#endif

namespace algo {

/// A cooperative task: its body runs on a stack of its own, gives control back with yield()
/// or wait(n), and goes on from there at the owner's next resume() or step(). The task owns
/// its stack area; the body is borrowed, so the object the body calls must outlive the task.
/// Below every stack lies a reserve for unwinding an error (kUnwindReserve bytes of address
/// space; only the pages a body touches cost memory), so a body may throw and catch with the
/// default size. A body that runs past its stack and the reserve ends the program with one
/// line on the terminal and in the log that names the stack's size.
///
/// @code
/// struct Walker {
///     algo::MicroThread task;
///     int x = 0;
///     void script() {
///         for (int i = 0; i < 30; ++i) { x += 2; task.yield(); }  // walk for 30 passes
///         task.wait(60);                                           // stand still for 60
///     }
/// };
/// walker.task.start(algo::MicroThread::Body::bind<&Walker::script>(walker));
/// walker.task.step();  // once per pass
/// @endcode
class MicroThread {
  public:
    /// What a task runs: an object and a function that calls a method of it. A body borrows
    /// its object: the object (or callable) must outlive the task.
    ///
    /// @code
    /// auto body = algo::MicroThread::Body::bind<&Walker::script>(walker);
    /// auto again = algo::MicroThread::Body::of(lambdaKeptByTheOwner);
    /// @endcode
    class Body {
      public:
        /// No body: false, and a start with it is an AssertError.
        Body() = default;
        /// call(object) is what the task runs.
        Body(void* object, void (*call)(void*)) : object_(object), call_(call) {}

        /// A method without arguments of an object that outlives the task.
        template <auto Method, class T>
        static Body bind(T& object) {
            return Body(&object, [](void* o) { (static_cast<T*>(o)->*Method)(); });
        }
        /// Any callable object (a lambda held by the owner) that outlives the task.
        template <class F>
        static Body of(F& callable) {
            return Body(&callable, [](void* o) { (*static_cast<F*>(o))(); });
        }

        /// True when there is something to run.
        explicit operator bool() const { return call_ != nullptr; }
        /// Runs the body on the caller's stack (the task calls it on its own).
        void operator()() const { call_(object_); }

      private:
        void* object_ = nullptr;
        void (*call_)(void*) = nullptr;
    };

    /// Enough for plain code; a body that calls into libraries (text, pictures) needs more.
    static constexpr std::uint32_t kDefaultStackSize = 4096;
    /// Below this the first context of the task would not fit in the area.
    static constexpr std::uint32_t kMinimumStackSize = 256;
    /// Below every stack, before its guard page: room for the unwinder (which alone takes
    /// several kilobytes) when the body throws, whatever the stack's size. Address space only.
    static constexpr std::size_t kUnwindReserve = 64 * 1024;

    /// A task with no body and no stack yet: start() sets both up.
    MicroThread() = default;
    /// Gives the stack area up. A task dropped while parked is abandoned with its stack:
    /// nothing on that stack is unwound (start it again first to unwind it).
    ~MicroThread();
    /// Not copyable: the task owns its stack, and its body runs on it.
    MicroThread(const MicroThread&) = delete;
    /// Not copyable: the task owns its stack, and its body runs on it.
    MicroThread& operator=(const MicroThread&) = delete;

    /// Sets the task up and runs it until its first yield or its end. A size of 0 keeps the
    /// current size (4096 when none was set). An error escaping the body ends the task and is
    /// rethrown here (or from resume/step) as a basic::AssertError. On a task parked in yield
    /// it is a restart: the parked body is unwound first (its destructors run, as if its
    /// yield had thrown), then the new body begins; a body that swallows that unwinding with
    /// catch (...) and yields again is abandoned with an assertion error. A null body, a size
    /// from 1 to 255 (below kMinimumStackSize) or a call from inside the running body is an
    /// AssertError; an area that cannot be mapped is std::bad_alloc. The stack size is in
    /// bytes; the area is kept for later starts that fit in it.
    void start(Body body, std::uint32_t stackSize);
    /// start(body, 0): the current stack size, 4096 bytes unless set.
    void start(Body body) { start(body, 0); }
    /// Inside the body: back to the owner until the next resume. Outside the body an
    /// AssertError ("yield called outside the body").
    void yield() {
        if (!inside_) notInside("yield");
        suspended_ = true;
        leave(false);
        if (unwinding_) throwUnwind();
    }
    /// Inside the body: yield n times, so the task sits out n passes of a step-per-pass owner.
    /// n below 1 is an AssertError, as is a call outside the body.
    void wait(std::int32_t n);
    /// Owner: continue a parked task until its next yield or its end; anything else (a task
    /// finished, never started, or running) is left alone. An error escaping the body comes
    /// back here as an AssertError.
    void resume() {
        if (!suspended_) return;
        suspended_ = false;
        enter();
    }
    /// True while the body is parked in yield (or wait), waiting for resume.
    bool isSuspended() const { return suspended_; }
    /// True once the body has returned, thrown, or been unwound; start() begins it afresh.
    bool isFinished() const { return finished_; }
    /// Inside the body: bytes of the task's stack in use, from its top to the caller's frame.
    /// An AssertError outside the body.
    std::uint32_t stackUsage() const;
    /// Owner, once per pass: nothing when finished, resume when parked, otherwise start the
    /// stored body (an AssertError for a task never started, which has none). From inside
    /// the running body an AssertError.
    void step() {
        if (inside_) insideStep();
        if (finished_) return;
        if (suspended_) {
            resume();
            return;
        }
        start(body_, 0);
    }

    /// The stack size in bytes that the last start used (0 before the first).
    std::uint32_t stackSize() const { return stackSize_; }
    /// Length in bytes of the area the sizes refer to: whole pages, so it may be longer than
    /// stackSize. Below it lie the unwinding reserve and then a page that is never
    /// accessible: a body that runs past both faults there instead of overwriting other memory.
    std::size_t stackCapacity() const { return stackLength_; }
    /// The lowest address of that area; null before the first start.
    const std::byte* stackArea() const { return stack_; }
    /// True while the body runs (between a switch into the task and the switch back).
    bool isRunning() const { return inside_; }

  private:
    // The operations are not virtual and the switch is inlined into resume and yield: nothing
    // specialises a task, and a call level of its own on each side would make every return
    // after a switch miss the processor's return prediction.
    // Owner -> task: the owner's registers go onto its stack, its position into otherStack_.
    void enter() {
        inside_ = true;
#ifdef ALGO_MICROTHREAD_ASAN
        void* fake = nullptr;
        __sanitizer_start_switch_fiber(&fake, stackTop_ - stackSize_ - kUnwindReserve,
                                       stackSize_ + kUnwindReserve);
#endif
        otherStack_ = boost::context::detail::jump_fcontext(otherStack_, this).fctx;
#ifdef ALGO_MICROTHREAD_ASAN
        __sanitizer_finish_switch_fiber(fake, nullptr, nullptr);
#endif
        inside_ = false;
        if (escaped_) rethrowEscaped();
    }
    // Task -> owner; `last` when the body has returned and the stack is left for good.
    void leave([[maybe_unused]] bool last) {
#ifdef ALGO_MICROTHREAD_ASAN
        void* fake = nullptr;
        __sanitizer_start_switch_fiber(last ? nullptr : &fake, ownerBottom_, ownerSize_);
#endif
        otherStack_ = boost::context::detail::jump_fcontext(otherStack_, this).fctx;
#ifdef ALGO_MICROTHREAD_ASAN
        // Resumed, possibly from another place in the owner: take its stack bounds anew.
        __sanitizer_finish_switch_fiber(fake, &ownerBottom_, &ownerSize_);
#endif
    }
    [[noreturn]] void rethrowEscaped();
    [[noreturn]] static void throwUnwind();
    // Maps an area of `length` bytes (with its reserve and guard), and gives it up.
    void hold(std::size_t length);
    void release();
    // Unwinds a parked body before a restart.
    void unwindParked();
    friend std::size_t explainFault(int, const void*, char*, std::size_t);
    [[noreturn]] static void notInside(const char* operation);
    [[noreturn]] static void insideStep();
    static void entry(boost::context::detail::transfer_t from);

    void* otherStack_ = nullptr;  // saved context of the side not running
    std::byte* stackTop_ = nullptr;
    bool suspended_ = false;
    bool finished_ = false;
    bool inside_ = false;
    bool unwinding_ = false;      // the parked body is being unwound for a restart
    std::byte* stack_ = nullptr;  // just above the reserve, which lies above the guard page
    std::size_t stackLength_ = 0;
    std::uint32_t stackSize_ = 0;
    Body body_;
    std::exception_ptr escaped_;
    // The owner's stack bounds, which the address sanitizer is told at every switch back.
    // Kept in every build, so that a program built with the sanitizer against a library built
    // without it (or the other way round) agrees on the layout.
    [[maybe_unused]] const void* ownerBottom_ = nullptr;
    [[maybe_unused]] std::size_t ownerSize_ = 0;
    // Every task holding an area, so that a fault in a guard page can be told apart.
    MicroThread* nextMapped_ = nullptr;
    MicroThread* previousMapped_ = nullptr;
};

/// Writes the line for a fault in a task's guard page, or somewhat below it ("MicroThread: a
/// task ran off its stack of N bytes ..."), and returns its length; 0 for any other fault.
/// The logger's fault explainer while any task holds a stack (see logger::setFaultExplainer).
std::size_t explainFault(int signal, const void* address, char* out, std::size_t size);

}  // namespace algo
