// Counting semaphore used as a lock; one permit makes it an instance lock.
#pragma once

#include <semaphore>

class CMoxSemaphore {
public:
    explicit CMoxSemaphore(int initialCount = 1) : semaphore_(initialCount) {}
    CMoxSemaphore(const CMoxSemaphore&) = delete;
    CMoxSemaphore& operator=(const CMoxSemaphore&) = delete;

    void lock() { semaphore_.acquire(); }
    void unlock() { semaphore_.release(); }
    bool try_lock() { return semaphore_.try_acquire(); }

private:
    std::counting_semaphore<32767> semaphore_;
};
