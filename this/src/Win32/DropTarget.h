#pragma once

// The COM drop target of the main window. For now it answers every drag
// with "no drop"; taking files is the next step.

#include <windows.h>
#include <ole2.h>

#include <atomic>

namespace Brintavolex::Win32 {

class DropTarget final : public IDropTarget {
public:
    DropTarget() = default;
    DropTarget(const DropTarget &) = delete;
    DropTarget &operator=(const DropTarget &) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject *data, DWORD keys, POINTL point, DWORD *effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD *effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject *data, DWORD keys, POINTL point, DWORD *effect) override;

private:
    ~DropTarget() = default;
    std::atomic<ULONG> _references{1};
};

} // namespace Brintavolex::Win32
