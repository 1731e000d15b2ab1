#pragma once

// The COM drop target of the main window: files from Explorer, virtual files
// (mail attachments and the like) from other programs. The shell's drag
// image is drawn over the window while a drag passes.

#include "this/src/WindowDropTarget.h"

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>

namespace Brintavolex::Win32 {

class DropTarget final : public IDropTarget {
public:
    // window (may be null) is where the drag image is drawn.
    DropTarget(HWND window, IWindowDropTarget::DropHandler onDrop);
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
    ~DropTarget();
    // The effect offered for what DragEnter found, within what is allowed.
    DWORD Effect(DWORD allowed) const noexcept;

    std::atomic<ULONG> _references{1};
    HWND _window;
    IWindowDropTarget::DropHandler _onDrop;
    IDropTargetHelper *_dragImage = nullptr;
    bool _offersFiles = false;
    bool _offersDescriptorW = false;
    bool _offersDescriptor = false;
};

// What the data of a drop or of the clipboard holds: the first file, else
// the first virtual file (wide descriptor preferred). Throws what is wrong;
// an item with neither path nor name when nothing fits.
DroppedItem ReadDroppedData(IDataObject &data);
// The first path of a file drop, however long. Throws when it has none.
String FirstDroppedFile(HDROP drop);

} // namespace Brintavolex::Win32
