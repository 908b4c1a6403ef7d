#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace marvik::store {

// Waits on `condition` until `done()` holds, or until `milliseconds` passed
// (-1: no limit). Returns whether `done()` holds.
template<typename Done>
bool waitFor(std::condition_variable &condition, std::unique_lock<std::mutex> &lock,
    int milliseconds, Done done)
{
    if (milliseconds < 0) {
        condition.wait(lock, done);
        return true;
    }
    return condition.wait_for(lock, std::chrono::milliseconds(milliseconds), done);
}

} // namespace marvik::store
