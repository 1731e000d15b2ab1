#include "Platform/api/Progress.h"

#include "Platform/api/System.h"

#include <algorithm>
#include <cmath>

namespace Brintavolex::ImageView {

ProgressCallbackImplementation::ProgressCallbackImplementation()
    : _frequency(double(Platform::PerformanceFrequency()))
{
}

bool ProgressCallbackImplementation::SetProgress(double fraction)
{
    const double now = double(Platform::PerformanceCounter()) / _frequency;
    {
        CriticalSectionLock lock(&_timeLock);
        if (fraction != _lastFraction || std::isnan(fraction) || std::isnan(_lastFraction)) {
            if (_lastFraction == 0 && !_haveFirst) {
                _firstFraction = fraction;
                _firstTime = now;
                _haveFirst = true;
            }
            _lastFraction = fraction;
            _lastTime = now;
        }
    }
    // The pause gate: a paused object holds it, so the worker waits here.
    const double before = double(Platform::PerformanceCounter()) / _frequency;
    _pauseGate.Enter();
    _pauseGate.Leave();
    const double waited = double(Platform::PerformanceCounter()) / _frequency - before;
    {
        CriticalSectionLock lock(&_timeLock);
        _pausedTotal += waited;
    }
    bool cancel = _cancel;
    std::vector<SharedPtr<ImageView::IProgress>> listeners;
    {
        CriticalSectionLock lock(&_listenerLock);
        listeners = _listeners; // a listener may remove itself while told
    }
    for (const auto &listener : listeners)
        cancel = listener->OnProgress(*this) || cancel;
    return cancel;
}

void ProgressCallbackImplementation::AddListener(const SharedPtr<ImageView::IProgress> &listener)
{
    CriticalSectionLock lock(&_listenerLock);
    _listeners.push_back(listener);
}

void ProgressCallbackImplementation::RemoveListener(const SharedPtr<ImageView::IProgress> &listener)
{
    CriticalSectionLock lock(&_listenerLock);
    _listeners.erase(std::remove(_listeners.begin(), _listeners.end(), listener), _listeners.end());
}

void ProgressCallbackImplementation::Pause()
{
    if (_paused)
        return;
    _pauseGate.Enter();
    _paused = true;
}

void ProgressCallbackImplementation::Resume()
{
    if (!_paused)
        return;
    _paused = false;
    _pauseGate.Leave();
    std::vector<SharedPtr<ImageView::IProgress>> listeners;
    {
        CriticalSectionLock lock(&_listenerLock);
        listeners = _listeners;
    }
    for (const auto &listener : listeners)
        listener->OnProgress(*this);
}

double ProgressCallbackImplementation::GetFraction() const
{
    CriticalSectionLock lock(&_timeLock);
    return _lastFraction;
}

double ProgressCallbackImplementation::ElapsedSeconds() const
{
    CriticalSectionLock lock(&_timeLock);
    return _haveFirst ? _lastTime - _firstTime : 0.0;
}

double ProgressCallbackImplementation::EstimatedRemainingSeconds() const
{
    CriticalSectionLock lock(&_timeLock);
    const double done = _lastFraction - _firstFraction;
    const double seconds = _lastTime - _firstTime - _pausedTotal;
    if (!_haveFirst || !(done > 0) || !(seconds > 0))
        return -1.0;
    return (1.0 - _lastFraction) * seconds / done;
}

double ProgressCallbackImplementation::PausedSeconds() const
{
    CriticalSectionLock lock(&_timeLock);
    return _pausedTotal;
}

} // namespace Brintavolex::ImageView
