#include "algo/game/microthread.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <csignal>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#ifdef ALGO_MICROTHREAD_ASAN
#include <sanitizer/asan_interface.h>
#endif

#include "algo/file/logger.hpp"
#include "basic/assert.hpp"
#include "basic/error.hpp"

namespace algo {
namespace {

std::size_t pageSize() {
    static const std::size_t size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

// Below the usable area: the unwinding reserve, then the guard page.
std::size_t below() {
    return MicroThread::kUnwindReserve + pageSize();
}

// Maps `length` bytes (whole pages) of zeros above the reserve and an inaccessible page;
// returns the first byte of the area.
std::byte* mapStack(std::size_t length) {
    const std::size_t guard = pageSize();
    void* p = mmap(nullptr, below() + length, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    if (mprotect(p, guard, PROT_NONE) != 0) {
        munmap(p, below() + length);
        throw std::bad_alloc();
    }
    return static_cast<std::byte*>(p) + below();
}

void unmapStack(std::byte* usable, std::size_t length) {
    if (!usable) return;
#ifdef ALGO_MICROTHREAD_ASAN
    // Frames of an abandoned task leave their poisoned red zones behind in the shadow.
    __asan_unpoison_memory_region(usable - MicroThread::kUnwindReserve,
                                  MicroThread::kUnwindReserve + length);
#endif
    munmap(usable - below(), below() + length);
}

// The tasks that hold an area, for the fault handler (which reads the list without locking:
// the program is ending when it runs).
std::mutex mappedLock;
MicroThread* mappedHead = nullptr;

// Thrown from yield into a parked body that is to be restarted; nothing but entry catches it
// (a catch (...) that rethrows lets it through).
struct Unwind {};

// Decimal digits and text without the C library: these run in a signal handler.
std::size_t appendNumber(char* out, std::size_t at, std::size_t size, std::size_t v) {
    char digits[24];
    std::size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n > 0 && at < size) out[at++] = digits[--n];
    return at;
}

std::size_t appendText(char* out, std::size_t at, std::size_t size, const char* text) {
    while (*text && at < size) out[at++] = *text++;
    return at;
}

}  // namespace

std::size_t explainFault(int signal, const void* address, char* out, std::size_t size) {
    if ((signal != SIGSEGV && signal != SIGBUS) || address == nullptr) return 0;
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    // The guard page itself first; then somewhat below it, where a frame too large to touch
    // the guard page lands.
    constexpr std::uintptr_t kBelowGuard = 256 * 1024;
    const MicroThread* found = nullptr;
    for (int pass = 0; pass < 2 && !found; ++pass) {
        for (const MicroThread* t = mappedHead; t; t = t->nextMapped_) {
            const auto guard = reinterpret_cast<std::uintptr_t>(t->stack_) - below();
            const std::uintptr_t low =
                pass == 0 || guard < kBelowGuard ? guard : guard - kBelowGuard;
            if (at >= low && at < guard + pageSize()) {
                found = t;
                break;
            }
        }
    }
    if (!found) return 0;
    std::size_t n = appendText(out, 0, size, "MicroThread: a task ran off its stack of ");
    n = appendNumber(out, n, size, found->stackSize_);
    n = appendText(out, n, size, " bytes (and the ");
    n = appendNumber(out, n, size, MicroThread::kUnwindReserve);
    n = appendText(out, n, size, "-byte reserve below it); give it more with start(body, size)");
    return n;
}

MicroThread::~MicroThread() {
    release();
}

void MicroThread::release() {
    if (!stack_) return;
    {
        std::lock_guard<std::mutex> lock(mappedLock);
        if (previousMapped_)
            previousMapped_->nextMapped_ = nextMapped_;
        else
            mappedHead = nextMapped_;
        if (nextMapped_) nextMapped_->previousMapped_ = previousMapped_;
        nextMapped_ = previousMapped_ = nullptr;
    }
    unmapStack(stack_, stackLength_);
    stack_ = nullptr;
    stackLength_ = 0;
}

void MicroThread::hold(std::size_t length) {
    stack_ = mapStack(length);
    stackLength_ = length;
    logger::setFaultExplainer(&explainFault);
    std::lock_guard<std::mutex> lock(mappedLock);
    nextMapped_ = mappedHead;
    if (mappedHead) mappedHead->previousMapped_ = this;
    mappedHead = this;
}

void MicroThread::start(Body body, std::uint32_t size) {
    BASIC_ASSERT(static_cast<bool>(body), "MicroThread: the body is null");
    BASIC_ASSERT(!inside_, "MicroThread: start called from inside the running body");
    BASIC_ASSERT(size == 0 || size >= kMinimumStackSize,
                 "MicroThread: stack size " + std::to_string(size) + " is below " +
                     std::to_string(kMinimumStackSize) + " bytes");
    if (suspended_) unwindParked();
    if (size != 0) stackSize_ = size;
    if (stackSize_ == 0) stackSize_ = kDefaultStackSize;
    if (stackLength_ < stackSize_) {
        release();  // the old area goes first, so both are never held
        hold((stackSize_ + pageSize() - 1) / pageSize() * pageSize());
    }
    // The stack grows down from here through the first stackSize bytes, onto the guard page.
    stackTop_ = stack_ + stackSize_;
    suspended_ = false;
    finished_ = false;
    body_ = body;
    escaped_ = nullptr;
    // The first context: as if the task had switched out just before entering `entry`.
    otherStack_ = boost::context::detail::make_fcontext(stackTop_, stackSize_ + kUnwindReserve,
                                                        &MicroThread::entry);
    enter();
}

void MicroThread::unwindParked() {
    unwinding_ = true;
    suspended_ = false;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{unwinding_};
    enter();  // yield throws Unwind inside the body; entry catches it and finishes the task
    if (!finished_) {
        // The body caught the unwinding and parked again: its stack can only be abandoned.
        suspended_ = false;
        finished_ = true;
        basic::assertFailed(__FILE__, __LINE__,
                            "MicroThread: start of a parked task unwinds its body, but the body "
                            "caught that with catch (...) and yielded again; rethrow in such "
                            "a handler");
    }
}

void MicroThread::throwUnwind() {
    throw Unwind{};
}

void MicroThread::wait(std::int32_t n) {
    BASIC_ASSERT(n >= 1, "MicroThread: wait needs a count of at least 1, got " + std::to_string(n));
    for (std::int32_t i = 0; i < n; ++i) yield();
}

std::uint32_t MicroThread::stackUsage() const {
    // The frame address is the real stack even where locals live elsewhere (sanitizers).
    auto* here = static_cast<std::byte*>(__builtin_frame_address(0));
    BASIC_ASSERT(inside_ && here < stackTop_ && here >= stackTop_ - stackSize_ - kUnwindReserve,
                 "MicroThread: stackUsage called outside the body");
    auto used = static_cast<std::uint32_t>(stackTop_ - here);
    BASIC_ASSERT(used != 0, "MicroThread: stack usage is 0");
    return used;
}

void MicroThread::notInside(const char* operation) {
    basic::assertFailed(__FILE__, __LINE__,
                        std::string("MicroThread: ") + operation + " called outside the body");
}

void MicroThread::insideStep() {
    basic::assertFailed(__FILE__, __LINE__,
                        "MicroThread: step called from inside the running body");
}

void MicroThread::entry(boost::context::detail::transfer_t from) {
    auto* self = static_cast<MicroThread*>(from.data);
#ifdef ALGO_MICROTHREAD_ASAN
    __sanitizer_finish_switch_fiber(nullptr, &self->ownerBottom_, &self->ownerSize_);
#endif
    self->otherStack_ = from.fctx;
    // Unwinding must not cross the switch: the error is handed to the owner's side.
    try {
        self->body_();
    } catch (const Unwind&) {
        // A restart unwound the parked body on purpose.
    } catch (...) {
        self->escaped_ = std::current_exception();
    }
    self->finished_ = true;
    self->leave(true);
    // Not reached: a finished task is never switched into again.
}

void MicroThread::rethrowEscaped() {
    std::exception_ptr error = std::exchange(escaped_, nullptr);
    std::string what;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        what = basic::describe(e);
    } catch (...) {
        what = "an error that is not a std::exception";
    }
    basic::assertFailed(__FILE__, __LINE__, "MicroThread: an error escaped the task body: " + what);
}

}  // namespace algo
