#include "this/src/Win32/DropTarget.h"

#include "Platform/api/DecodeLimit.h"
#include "Platform/api/ErrorLog.h"
#include "Root/api/Exception.h"
#include "this/src/Win32/LockedGlobal.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

namespace Brintavolex {

namespace Win32 {

namespace {

const char kContext[] = "Drop";

[[noreturn]] void Fail(const char *operation, HRESULT result)
{
    throw SystemErrorException(kContext, operation, static_cast<std::uint32_t>(result));
}

CLIPFORMAT Registered(const wchar_t *name) { return CLIPFORMAT(RegisterClipboardFormatW(name)); }
CLIPFORMAT DescriptorWFormat() { return Registered(CFSTR_FILEDESCRIPTORW); }
CLIPFORMAT DescriptorFormat() { return Registered(CFSTR_FILEDESCRIPTORA); }
CLIPFORMAT ContentsFormat() { return Registered(CFSTR_FILECONTENTS); }

FORMATETC FormatOf(CLIPFORMAT format, DWORD media, LONG index = -1)
{
    return FORMATETC{format, nullptr, DVASPECT_CONTENT, index, media};
}

bool Offers(IDataObject &data, CLIPFORMAT format)
{
    FORMATETC wanted = FormatOf(format, TYMED_HGLOBAL);
    return data.QueryGetData(&wanted) == S_OK;
}

// Released on every way out.
class Medium {
public:
    Medium(IDataObject &data, FORMATETC format, const char *operation)
    {
        const HRESULT result = data.GetData(&format, &_medium);
        if (FAILED(result))
            Fail(operation, result);
    }
    ~Medium() { ReleaseStgMedium(&_medium); }
    Medium(const Medium &) = delete;
    Medium &operator=(const Medium &) = delete;
    const STGMEDIUM &Get() const noexcept { return _medium; }

private:
    STGMEDIUM _medium{};
};

} // namespace

String FirstDroppedFile(HDROP drop)
{
    // Asked, not assumed: paths may be longer than MAX_PATH.
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length == 0)
        throw Exception("the drop holds no file");
    std::u16string path(length + 1, u'\0');
    if (DragQueryFileW(drop, 0, reinterpret_cast<wchar_t *>(path.data()), length + 1) != length)
        throw Exception("the drop's file name could not be read");
    path.resize(length);
    return String(StringExpr(path));
}

namespace {

String FirstFile(IDataObject &data)
{
    Medium medium(data, FormatOf(CF_HDROP, TYMED_HGLOBAL), "GetData(CF_HDROP)");
    return FirstDroppedFile(static_cast<HDROP>(medium.Get().hGlobal));
}

DroppedItem FirstVirtualFile(IDataObject &data, bool wide)
{
    DroppedItem item;
    DescribedFile described;
    {
        Medium medium(data, FormatOf(wide ? DescriptorWFormat() : DescriptorFormat(), TYMED_HGLOBAL),
                      "GetData(FileGroupDescriptor)");
        const LockedGlobal locked(medium.Get().hGlobal, kContext);
        described = FirstDescribedFile(locked.Data(), locked.Size(), wide);
    }
    item.name = described.name;
    Medium medium(data, FormatOf(ContentsFormat(), TYMED_HGLOBAL | TYMED_ISTREAM, 0), "GetData(FileContents)");
    const std::uint64_t limit = GetDecodeLimit();
    if (medium.Get().tymed == TYMED_HGLOBAL) {
        const LockedGlobal locked(medium.Get().hGlobal, kContext);
        std::size_t at = 0;
        item.bytes = ReadVirtualFile(
            [&](std::uint8_t *buffer, std::size_t capacity) {
                const std::size_t n = std::min(capacity, locked.Size() - at);
                std::memcpy(buffer, locked.Data() + at, n);
                at += n;
                return n;
            },
            described.size, limit);
    } else if (medium.Get().tymed == TYMED_ISTREAM && medium.Get().pstm) {
        IStream *stream = medium.Get().pstm;
        // Some sources hand over a stream left at its end.
        stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        item.bytes = ReadVirtualFile(
            [&](std::uint8_t *buffer, std::size_t capacity) {
                ULONG got = 0;
                const HRESULT result = stream->Read(buffer, ULONG(capacity), &got);
                if (FAILED(result))
                    Fail("IStream::Read", result);
                return std::size_t(got);
            },
            described.size, limit);
    } else {
        throw Exception("the drop's file contents come in a form not read here");
    }
    return item;
}

} // namespace

DroppedItem ReadDroppedData(IDataObject &data)
{
    if (Offers(data, CF_HDROP)) {
        DroppedItem item;
        item.path = FirstFile(data);
        return item;
    }
    if (Offers(data, DescriptorWFormat()))
        return FirstVirtualFile(data, true);
    if (Offers(data, DescriptorFormat()))
        return FirstVirtualFile(data, false);
    return DroppedItem{};
}

DropTarget::DropTarget(HWND window, IWindowDropTarget::DropHandler onDrop) : _window(window), _onDrop(std::move(onDrop))
{
    // Without it drags work, only without Explorer's picture.
    const HRESULT result = CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_IDropTargetHelper,
                                            reinterpret_cast<void **>(&_dragImage));
    if (FAILED(result))
        _dragImage = nullptr;
}

DropTarget::~DropTarget()
{
    if (_dragImage)
        _dragImage->Release();
}

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

DWORD DropTarget::Effect(DWORD allowed) const noexcept
{
    return (_offersFiles || _offersDescriptorW || _offersDescriptor) ? (allowed & DROPEFFECT_COPY) : DROPEFFECT_NONE;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragEnter(IDataObject *data, DWORD, POINTL point, DWORD *effect)
{
    if (!data || !effect)
        return E_INVALIDARG;
    _offersFiles = Offers(*data, CF_HDROP);
    _offersDescriptorW = Offers(*data, DescriptorWFormat());
    _offersDescriptor = Offers(*data, DescriptorFormat());
    *effect = Effect(*effect);
    if (_dragImage) {
        POINT p{point.x, point.y};
        _dragImage->DragEnter(_window, data, &p, *effect);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragOver(DWORD, POINTL point, DWORD *effect)
{
    if (!effect)
        return E_INVALIDARG;
    *effect = Effect(*effect);
    if (_dragImage) {
        POINT p{point.x, point.y};
        _dragImage->DragOver(&p, *effect);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragLeave()
{
    if (_dragImage)
        _dragImage->DragLeave();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::Drop(IDataObject *data, DWORD, POINTL point, DWORD *effect)
{
    if (!data || !effect)
        return E_INVALIDARG;
    *effect = Effect(*effect);
    if (_dragImage) {
        POINT p{point.x, point.y};
        const HRESULT result = _dragImage->Drop(data, &p, *effect);
        if (FAILED(result))
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("Drop", static_cast<std::uint32_t>(result));
    }
    DroppedItem item;
    try {
        item = ReadDroppedData(*data);
    } catch (const std::exception &e) {
        item = DroppedItem{};
        item.error = String(e.what());
    }
    if (item.path.Empty() && item.name.Empty() && item.error.Empty())
        *effect = DROPEFFECT_NONE;
    // Nothing may unwind into OLE's drag loop.
    try {
        if (_onDrop && *effect != DROPEFFECT_NONE)
            _onDrop(std::move(item));
    } catch (const std::exception &e) {
        ErrorLog::Log(__FILE_NAME__, __LINE__, String("Drop: ") + e.what());
    }
    return S_OK;
}

} // namespace Win32

namespace {

// DRAGDROP_E_NOTREGISTERED: nothing to revoke.
constexpr HRESULT kNotRegistered = static_cast<HRESULT>(0x80040100u);

class SystemWindowDropTarget final : public IWindowDropTarget {
public:
    SystemWindowDropTarget() = default;
    ~SystemWindowDropTarget() override { ReleaseTarget(); }
    SystemWindowDropTarget(const SystemWindowDropTarget &) = delete;
    SystemWindowDropTarget &operator=(const SystemWindowDropTarget &) = delete;

    void Register(GUI::WindowHandle window, DropHandler onDrop) override
    {
        ReleaseTarget();
        _target = new Win32::DropTarget(reinterpret_cast<HWND>(window), std::move(onDrop));
        const HRESULT result = RegisterDragDrop(reinterpret_cast<HWND>(window), _target);
        if (FAILED(result))
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("RegisterDragDrop", static_cast<std::uint32_t>(result));
    }
    void Revoke(GUI::WindowHandle window) override
    {
        const HRESULT result = RevokeDragDrop(reinterpret_cast<HWND>(window));
        if (FAILED(result) && result != kNotRegistered)
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("RevokeDragDrop", static_cast<std::uint32_t>(result));
        ReleaseTarget();
    }

private:
    void ReleaseTarget()
    {
        if (_target)
            _target->Release();
        _target = nullptr;
    }
    Win32::DropTarget *_target = nullptr;
};

} // namespace

SharedPtr<IWindowDropTarget> SystemDropTarget() { return MakeShared<SystemWindowDropTarget>(); }

} // namespace Brintavolex
