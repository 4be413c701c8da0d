#include "algo/game/microthread.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <new>
#include <string>
#include <utility>

#ifdef ALGO_MICROTHREAD_ASAN
#include <sanitizer/asan_interface.h>
#endif

#include "basic/assert.hpp"
#include "basic/error.hpp"

namespace algo {
namespace {

std::size_t pageSize() {
    static const std::size_t size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

// Maps `length` bytes (whole pages) of zeros with an inaccessible page below them; returns
// the first usable byte.
std::byte* mapStack(std::size_t length) {
    const std::size_t guard = pageSize();
    void* p = mmap(nullptr, guard + length, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    if (mprotect(p, guard, PROT_NONE) != 0) {
        munmap(p, guard + length);
        throw std::bad_alloc();
    }
    return static_cast<std::byte*>(p) + guard;
}

void unmapStack(std::byte* usable, std::size_t length) {
    if (!usable) return;
#ifdef ALGO_MICROTHREAD_ASAN
    // Frames of an abandoned task leave their poisoned red zones behind in the shadow.
    __asan_unpoison_memory_region(usable, length);
#endif
    munmap(usable - pageSize(), pageSize() + length);
}

}  // namespace

MicroThread::~MicroThread() {
    unmapStack(stack_, stackLength_);
}

void MicroThread::start(Body body, std::uint32_t size) {
    BASIC_ASSERT(static_cast<bool>(body), "MicroThread: the body is null");
    BASIC_ASSERT(!inside_, "MicroThread: start called from inside the running body");
    BASIC_ASSERT(size == 0 || size >= kMinimumStackSize,
                 "MicroThread: stack size " + std::to_string(size) + " is below " +
                     std::to_string(kMinimumStackSize) + " bytes");
    if (size != 0) stackSize_ = size;
    if (stackSize_ == 0) stackSize_ = kDefaultStackSize;
    if (stackLength_ < stackSize_) {
        unmapStack(stack_, stackLength_);  // the old area goes first, so both are never held
        stack_ = nullptr;
        stackLength_ = 0;
        const std::size_t length = (stackSize_ + pageSize() - 1) / pageSize() * pageSize();
        stack_ = mapStack(length);
        stackLength_ = length;
    }
    // The stack grows down from here through the first stackSize bytes, onto the guard page.
    stackTop_ = stack_ + stackSize_;
    suspended_ = false;
    finished_ = false;
    body_ = body;
    escaped_ = nullptr;
    // The first context: as if the task had switched out just before entering `entry`.
    otherStack_ = boost::context::detail::make_fcontext(stackTop_, stackSize_, &MicroThread::entry);
    enter();
}

void MicroThread::wait(std::int32_t n) {
    BASIC_ASSERT(n >= 1, "MicroThread: wait needs a count of at least 1, got " + std::to_string(n));
    for (std::int32_t i = 0; i < n; ++i) yield();
}

std::uint32_t MicroThread::stackUsage() const {
    // The frame address is the real stack even where locals live elsewhere (sanitizers).
    auto* here = static_cast<std::byte*>(__builtin_frame_address(0));
    BASIC_ASSERT(inside_ && here < stackTop_ && here >= stackTop_ - stackSize_,
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
