#include "this/src/Win32/DropTarget.h"

#include "Platform/api/ErrorLog.h"
#include "this/src/WindowDropTarget.h"

namespace Brintavolex {

namespace Win32 {

HRESULT STDMETHODCALLTYPE DropTarget::QueryInterface(REFIID iid, void **object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget *>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DropTarget::AddRef() { return ++_references; }

ULONG STDMETHODCALLTYPE DropTarget::Release()
{
    const ULONG left = --_references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragEnter(IDataObject *, DWORD, POINTL, DWORD *effect)
{
    if (!effect)
        return E_INVALIDARG;
    *effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragOver(DWORD, POINTL, DWORD *effect)
{
    if (!effect)
        return E_INVALIDARG;
    *effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragLeave() { return S_OK; }

HRESULT STDMETHODCALLTYPE DropTarget::Drop(IDataObject *, DWORD, POINTL, DWORD *effect)
{
    if (!effect)
        return E_INVALIDARG;
    *effect = DROPEFFECT_NONE;
    return S_OK;
}

} // namespace Win32

namespace {

// DRAGDROP_E_NOTREGISTERED: nothing to revoke.
constexpr HRESULT kNotRegistered = static_cast<HRESULT>(0x80040100u);

class SystemWindowDropTarget final : public IWindowDropTarget {
public:
    SystemWindowDropTarget() : _target(new Win32::DropTarget) {}
    ~SystemWindowDropTarget() override { _target->Release(); }
    SystemWindowDropTarget(const SystemWindowDropTarget &) = delete;
    SystemWindowDropTarget &operator=(const SystemWindowDropTarget &) = delete;

    void Register(GUI::WindowHandle window) override
    {
        const HRESULT result = RegisterDragDrop(reinterpret_cast<HWND>(window), _target);
        if (FAILED(result))
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("RegisterDragDrop", static_cast<std::uint32_t>(result));
    }
    void Revoke(GUI::WindowHandle window) override
    {
        const HRESULT result = RevokeDragDrop(reinterpret_cast<HWND>(window));
        if (FAILED(result) && result != kNotRegistered)
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("RevokeDragDrop", static_cast<std::uint32_t>(result));
    }

private:
    Win32::DropTarget *_target;
};

} // namespace

SharedPtr<IWindowDropTarget> SystemDropTarget() { return MakeShared<SystemWindowDropTarget>(); }

} // namespace Brintavolex
