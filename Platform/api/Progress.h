#pragma once

#include "Data/api/SceneItem.h"
#include "Platform/api/Threading.h"
#include "Root/api/SharedPtr.h"

#include <atomic>
#include <vector>

namespace Brintavolex::ImageView {

// Told of every report of a progress object; answers true to cancel.
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual bool OnProgress(Brintavolex::IProgress &progress) = 0;
};

// The progress object of a decode: measures time, can be paused from
// another thread and lets listeners (or Cancel) stop the worker.
class ProgressCallbackImplementation : public Brintavolex::IProgress {
public:
    ProgressCallbackImplementation();

    bool SetProgress(double fraction) override;

    void AddListener(const SharedPtr<ImageView::IProgress> &listener);
    void RemoveListener(const SharedPtr<ImageView::IProgress> &listener);

    void Cancel() noexcept { _cancel = true; }
    bool IsCancelled() const noexcept { return _cancel; }

    // A paused worker waits in its next SetProgress until Resume, which
    // must come from the thread that paused.
    void Pause();
    void Resume();

    double GetFraction() const;
    // Seconds from the first non-zero report to the last one.
    double ElapsedSeconds() const;
    // Seconds left at the rate of the reports so far (paused time left
    // out); negative when no estimate can be made yet.
    double EstimatedRemainingSeconds() const;
    double PausedSeconds() const;

private:
    std::atomic<bool> _cancel{false};
    std::vector<SharedPtr<ImageView::IProgress>> _listeners;
    mutable CriticalSection _listenerLock;
    CriticalSection _pauseGate;
    bool _paused = false;
    mutable CriticalSection _timeLock;
    double _lastFraction = 0, _lastTime = 0;
    double _firstFraction = 0, _firstTime = 0;
    bool _haveFirst = false;
    double _pausedTotal = 0;
    double _frequency;
};

} // namespace Brintavolex::ImageView
