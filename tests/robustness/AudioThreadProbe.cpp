#include "AudioThreadProbe.h"

#include <dlfcn.h>
#include <pthread.h>
#include <semaphore.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace {

thread_local bool probing = false;
thread_local sorrel::test::AudioThreadCounts counts;

void countAllocation()
{
    if (probing)
        ++counts.allocations;
}

void countLock()
{
    if (probing)
        ++counts.locks;
}

// The C library's own function of that name, looked up on first use (no static
// guard: that could itself take a lock and come back here).
template <typename Function>
Function real(Function& slot, const char* name)
{
    if (slot == nullptr)
        slot = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
    return slot;
}

int (*realMutexLock)(pthread_mutex_t*) = nullptr;
int (*realMutexTryLock)(pthread_mutex_t*) = nullptr;
int (*realReadLock)(pthread_rwlock_t*) = nullptr;
int (*realWriteLock)(pthread_rwlock_t*) = nullptr;
int (*realSpinLock)(pthread_spinlock_t*) = nullptr;
int (*realSemWait)(sem_t*) = nullptr;
int (*realSemTimedWait)(sem_t*, const timespec*) = nullptr;

} // namespace

namespace sorrel::test {

AudioThreadProbe::AudioThreadProbe() { probing = true; }
AudioThreadProbe::~AudioThreadProbe() { probing = false; }
AudioThreadCounts AudioThreadProbe::totals() { return counts; }
void AudioThreadProbe::reset() { counts = {}; }

} // namespace sorrel::test

extern "C" {

void* malloc(std::size_t size)
{
    countAllocation();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size)
{
    countAllocation();
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size)
{
    countAllocation();
    return __libc_realloc(pointer, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    countAllocation();
    return __libc_memalign(alignment, size);
}

void* memalign(std::size_t alignment, std::size_t size)
{
    countAllocation();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** pointer, std::size_t alignment, std::size_t size)
{
    countAllocation();
    *pointer = __libc_memalign(alignment, size);
    return *pointer != nullptr ? 0 : ENOMEM;
}

void free(void* pointer)
{
    if (probing && pointer != nullptr)
        ++counts.frees;
    __libc_free(pointer);
}

int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    countLock();
    return real(realMutexLock, "pthread_mutex_lock")(mutex);
}

int pthread_mutex_trylock(pthread_mutex_t* mutex)
{
    countLock();
    return real(realMutexTryLock, "pthread_mutex_trylock")(mutex);
}

int pthread_rwlock_rdlock(pthread_rwlock_t* lock)
{
    countLock();
    return real(realReadLock, "pthread_rwlock_rdlock")(lock);
}

int pthread_rwlock_wrlock(pthread_rwlock_t* lock)
{
    countLock();
    return real(realWriteLock, "pthread_rwlock_wrlock")(lock);
}

int pthread_spin_lock(pthread_spinlock_t* lock)
{
    countLock();
    return real(realSpinLock, "pthread_spin_lock")(lock);
}

int sem_wait(sem_t* semaphore)
{
    countLock();
    return real(realSemWait, "sem_wait")(semaphore);
}

int sem_timedwait(sem_t* semaphore, const timespec* timeout)
{
    countLock();
    return real(realSemTimedWait, "sem_timedwait")(semaphore, timeout);
}

} // extern "C"

// The test binary's own new and delete go through the counting malloc too.
void* operator new(std::size_t size)
{
    if (void* pointer = std::malloc(size == 0 ? 1 : size))
        return pointer;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* pointer) noexcept { std::free(pointer); }
void operator delete[](void* pointer) noexcept { std::free(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { std::free(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { std::free(pointer); }
