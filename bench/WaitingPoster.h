#pragma once

#include "Platform/api/GuiThreadPoster.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace Brintavolex::Bench {

// Runs posted work when the bench, standing for the GUI thread, waits.
class WaitingPoster final : public IGuiThreadPoster {
public:
    void Post(std::function<void()> task) override
    {
        std::lock_guard<std::mutex> guard(_mutex);
        _tasks.push_back(std::move(task));
        _posted.notify_one();
    }
    void RunNext()
    {
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> lock(_mutex);
            _posted.wait(lock, [this] { return !_tasks.empty(); });
            task = std::move(_tasks.front());
            _tasks.pop_front();
        }
        task();
    }

private:
    std::mutex _mutex;
    std::condition_variable _posted;
    std::deque<std::function<void()>> _tasks;
};

} // namespace Brintavolex::Bench
