#pragma once

#include "Platform/api/GuiThreadPoster.h"

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace Brintavolex::TestSupport {

// Keeps posted work until the test, playing the GUI thread, runs it.
class QueuePoster final : public IGuiThreadPoster {
public:
    void Post(std::function<void()> task) override
    {
        std::lock_guard<std::mutex> guard(_mutex);
        _tasks.push_back(std::move(task));
    }
    // Runs posted work until done() holds; false after a few seconds without
    // work.
    bool RunUntil(const std::function<bool()> &done)
    {
        for (int idle = 0; !done();) {
            if (RunOne())
                idle = 0;
            else if (++idle > kIdleRounds)
                return false;
            else
                std::this_thread::sleep_for(kPause);
        }
        return true;
    }
    // Runs the first task that arrives within a few seconds; false when none
    // came.
    bool RunWhenPosted()
    {
        for (int idle = 0; idle <= kIdleRounds; ++idle) {
            if (RunOne())
                return true;
            std::this_thread::sleep_for(kPause);
        }
        return false;
    }
    // Runs what is posted now, and what that posts; the count run.
    int RunPending()
    {
        int count = 0;
        while (RunOne())
            ++count;
        return count;
    }

    std::size_t Pending()
    {
        std::lock_guard<std::mutex> guard(_mutex);
        return _tasks.size();
    }

private:
    static constexpr int kIdleRounds = 1000;
    static constexpr std::chrono::milliseconds kPause{5};

    bool RunOne()
    {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> guard(_mutex);
            if (_tasks.empty())
                return false;
            task = std::move(_tasks.front());
            _tasks.pop_front();
        }
        task();
        return true;
    }

    std::mutex _mutex;
    std::deque<std::function<void()>> _tasks;
};

} // namespace Brintavolex::TestSupport
