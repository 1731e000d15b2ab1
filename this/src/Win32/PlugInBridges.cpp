#include "this/src/Win32/PlugInBridges.h"

#include "Platform/api/ErrorLog.h"
#include "Platform/api/Win32/WideText.h"
#include "this/src/PlugIn.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

namespace Brintavolex {

// ---- Shared helpers ----

void LogBridgeFailure(const char *bridge, const char *method, const char *problem) noexcept
{
    try {
        BRINTAVOLEX_LOG(String(bridge) + "::" + method + ": " + problem);
    } catch (...) {
    }
}

String HResultText(HRESULT result)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
    return String(text);
}

void CheckPlugInCall(HRESULT result, const char *call)
{
    if (result != S_OK)
        throw Exception(String(call) + ": failed with HRESULT " + HResultText(result));
}

Bstr::Bstr(StringExpr text)
{
    const std::u16string wide = String(text).ToU16String();
    if (wide.size() > std::numeric_limits<UINT>::max() / 2)
        throw std::bad_alloc();
    _b = SysAllocStringLen(Win32::W(wide.data()), UINT(wide.size()));
    if (!_b)
        throw std::bad_alloc();
}

String Bstr::ToString() const { return StringFromBstr(_b); }

String StringFromBstr(BSTR text)
{
    if (!text)
        return String();
    return String(StringExpr(std::u16string_view(Win32::U(text), SysStringLen(text))));
}

String TakeCoTaskMemText(LPSTR text)
{
    // Freed whatever the conversion does.
    const std::unique_ptr<char, decltype(&CoTaskMemFree)> owner(text, &CoTaskMemFree);
    if (!text)
        return String();
    return String(StringExpr(std::string_view(text)));
}

namespace {

// Hands a text out as an [out] BSTR.
HRESULT PutBstr(BSTR *out, StringExpr text)
{
    if (!out)
        throw std::invalid_argument("output is nullptr");
    *out = nullptr;
    Bstr copy(text);
    *out = copy.Detach();
    return S_OK;
}

template <class T> T *Required(T *pointer, const char *what)
{
    if (!pointer)
        throw std::invalid_argument(std::string(what) + " is nullptr");
    return pointer;
}

Guid GuidFrom(const GUID &guid)
{
    Guid result;
    result.data1 = guid.Data1;
    result.data2 = guid.Data2;
    result.data3 = guid.Data3;
    std::memcpy(result.data4, guid.Data4, sizeof result.data4);
    return result;
}

} // namespace

// ---- Native objects offered to a plug-in ----

template <class I, class Native>
SceneItemCOMFromCPP<I, Native>::SceneItemCOMFromCPP(const char *bridge, SharedPtr<Native> native)
    : _bridge(bridge), _native(std::move(native))
{
    if (!_native)
        throw std::invalid_argument(std::string(bridge) + "::" + bridge + ": nullptr");
}

template <class I, class Native> HRESULT SceneItemCOMFromCPP<I, Native>::GetCount(ULONGLONG *count)
{
    return ComGuard(_bridge, "GetCount", [&] {
        *Required(count, "count") = _native->GetCount();
        return S_OK;
    });
}

template <class I, class Native>
HRESULT SceneItemCOMFromCPP<I, Native>::Get(ULONGLONG index, BrintavolexISceneItem **item)
{
    return ComGuard(_bridge, "Get", [&] {
        *Required(item, "item") = nullptr;
        *item = SceneItemToCOM(_native->Get(index)).Detach();
        return S_OK;
    });
}

template <class I, class Native> HRESULT SceneItemCOMFromCPP<I, Native>::GetProperty(BrintavolexIProperty **property)
{
    return ComGuard(_bridge, "GetProperty", [&] {
        *Required(property, "property") = nullptr;
        *property = PropertyToCOM(_native->GetProperty()).Detach();
        return S_OK;
    });
}

template class SceneItemCOMFromCPP<BrintavolexISceneItem, ISceneItem>;
template class SceneItemCOMFromCPP<BrintavolexIProperty, IProperty>;
template class SceneItemCOMFromCPP<BrintavolexIImage2D, IImage2D>;
template class SceneItemCOMFromCPP<BrintavolexIImage3D, IImage3D>;

ISceneItemCOMFromCPP::ISceneItemCOMFromCPP(SharedPtr<ISceneItem> item)
    : SceneItemCOMFromCPP("ISceneItemCOMFromCPP", std::move(item))
{
}

IPropertyCOMFromCPP::IPropertyCOMFromCPP(SharedPtr<IProperty> property)
    : SceneItemCOMFromCPP("IPropertyCOMFromCPP", std::move(property))
{
}

template <class Native, class Com>
HRESULT IPropertyCOMFromCPP::GetAs(const char *method, void (IProperty::*getAs)(Native *, std::uint64_t, std::uint64_t),
                                   Com *output, ULONGLONG start, ULONGLONG count)
{
    return ComGuard(_bridge, method, [&] {
        Required(output, "output");
        if (!PlugIn::RangeFits(start, count, _native->GetValueCount()))
            throw std::invalid_argument("start + count exceeds the value count");
        if constexpr (std::is_same_v<Native, bool>) {
            // A bool is handed over as one byte of 0 or 1.
            const std::unique_ptr<bool[]> values(new bool[count ? count : 1]);
            ((*_native).*getAs)(values.get(), start, count);
            for (ULONGLONG i = 0; i < count; ++i)
                output[i] = values[i] ? 1 : 0;
        } else {
            static_assert(sizeof(Native) == sizeof(Com) && std::is_arithmetic_v<Com>);
            ((*_native).*getAs)(reinterpret_cast<Native *>(output), start, count);
        }
        return S_OK;
    });
}

template <class Native, class Com>
HRESULT IPropertyCOMFromCPP::GetOne(const char *method, Native (IProperty::*get)(), Com *value)
{
    return ComGuard(_bridge, method, [&] {
        Required(value, "value");
        const Native result = ((*_native).*get)();
        if constexpr (std::is_same_v<Native, bool>)
            *value = result ? 1 : 0;
        else
            *value = static_cast<Com>(result);
        return S_OK;
    });
}

HRESULT IPropertyCOMFromCPP::GetValueType(byte *type)
{
    return ComGuard(_bridge, "GetValueType", [&] {
        *Required(type, "type") = _native->GetValueType();
        return S_OK;
    });
}

#define BRINTAVOLEX_COM_PROPERTY_GETTERS(TYPE, COM)                                                                \
    HRESULT IPropertyCOMFromCPP::GetAs##TYPE(COM *output, ULONGLONG start, ULONGLONG count)                        \
    {                                                                                                              \
        return GetAs("GetAs" #TYPE, &IProperty::GetAs##TYPE, output, start, count);                               \
    }                                                                                                              \
    HRESULT IPropertyCOMFromCPP::Get##TYPE(COM *value) { return GetOne("Get" #TYPE, &IProperty::Get##TYPE, value); }

BRINTAVOLEX_COM_PROPERTY_GETTERS(Bool, boolean)
BRINTAVOLEX_COM_PROPERTY_GETTERS(SInt8, signed char)
BRINTAVOLEX_COM_PROPERTY_GETTERS(SInt16, short)
BRINTAVOLEX_COM_PROPERTY_GETTERS(SInt32, LONG)
BRINTAVOLEX_COM_PROPERTY_GETTERS(SInt64, LONGLONG)
BRINTAVOLEX_COM_PROPERTY_GETTERS(UInt8, byte)
BRINTAVOLEX_COM_PROPERTY_GETTERS(UInt16, unsigned short)
BRINTAVOLEX_COM_PROPERTY_GETTERS(UInt32, ULONG)
BRINTAVOLEX_COM_PROPERTY_GETTERS(UInt64, ULONGLONG)
BRINTAVOLEX_COM_PROPERTY_GETTERS(Float32, float)
BRINTAVOLEX_COM_PROPERTY_GETTERS(Float64, double)
#undef BRINTAVOLEX_COM_PROPERTY_GETTERS

HRESULT IPropertyCOMFromCPP::GetValueCount(ULONGLONG *count)
{
    return ComGuard(_bridge, "GetValueCount", [&] {
        *Required(count, "count") = _native->GetValueCount();
        return S_OK;
    });
}

HRESULT IPropertyCOMFromCPP::GetAsString(BSTR *text)
{
    return ComGuard(_bridge, "GetAsString", [&] {
        String value;
        _native->GetAsString(value);
        return PutBstr(text, value);
    });
}

HRESULT IPropertyCOMFromCPP::GetName(BSTR *name)
{
    return ComGuard(_bridge, "GetName", [&] { return PutBstr(name, _native->GetName()); });
}

HRESULT IPropertyCOMFromCPP::GetChildName(ULONGLONG index, BSTR *name)
{
    return ComGuard(_bridge, "GetChildName", [&] { return PutBstr(name, _native->GetChildName(index)); });
}

HRESULT IPropertyCOMFromCPP::GetChild(BSTR name, BrintavolexIProperty **child)
{
    return ComGuard(_bridge, "GetChild", [&] {
        *Required(child, "child") = nullptr;
        *child = PropertyToCOM(_native->GetChild(StringFromBstr(name))).Detach();
        return S_OK;
    });
}

IImage2DCOMFromCPP::IImage2DCOMFromCPP(SharedPtr<IImage2D> image)
    : SceneItemCOMFromCPP("IImage2DCOMFromCPP", std::move(image))
{
}

HRESULT IImage2DCOMFromCPP::DecodeBasicInfo(ULONG *width, ULONG *height, ULONG *allocatedWidth,
                                            ULONG *allocatedHeight, LONG *colorType)
{
    return ComGuard(_bridge, "DecodeBasicInfo", [&] {
        Required(width, "width"), Required(height, "height"), Required(allocatedWidth, "allocatedWidth");
        Required(allocatedHeight, "allocatedHeight"), Required(colorType, "colorType");
        Data::BasicInfo info;
        _native->DecodeBasicInfo(info);
        *width = info.width, *height = info.height;
        *allocatedWidth = info.allocatedWidth, *allocatedHeight = info.allocatedHeight;
        *colorType = LONG(info.colorType);
        return S_OK;
    });
}

namespace {

// Get of the 2D and 3D image objects offered to a plug-in: the buffer it
// hands in must hold the picture before the native image writes into it.
template <class Info, class Native>
HRESULT GetForPlugIn(const char *bridge, Native &native, byte *buffer, ULONGLONG stride, ULONGLONG rows,
                     BrintavolexIProgress *progress)
{
    return ComGuard(bridge, "Get", [&] {
        Required(buffer, "buffer");
        Info info;
        native.DecodeBasicInfo(info);
        if (!PlugIn::BufferHolds(info.width, info.height, stride, rows))
            throw std::invalid_argument("buffer is smaller than the picture");
        SharedPtr<IProgress> nativeProgress;
        if (progress)
            nativeProgress = MakeShared<IProgressCPPFromCOM>(ComPtr<BrintavolexIProgress>::Share(progress));
        native.GetRect(buffer, stride, rows, nativeProgress);
        return S_OK;
    });
}

} // namespace

HRESULT IImage2DCOMFromCPP::Get(byte *buffer, ULONGLONG stride, ULONGLONG rows, BrintavolexIProgress *progress)
{
    return GetForPlugIn<Data::BasicInfo>(_bridge, *_native, buffer, stride, rows, progress);
}

IImage3DCOMFromCPP::IImage3DCOMFromCPP(SharedPtr<IImage3D> volume)
    : SceneItemCOMFromCPP("IImage3DCOMFromCPP", std::move(volume))
{
}

HRESULT IImage3DCOMFromCPP::DecodeBasicInfo(ULONG *width, ULONG *height, ULONG *depth, LONG *colorType)
{
    return ComGuard(_bridge, "DecodeBasicInfo", [&] {
        Required(width, "width"), Required(height, "height"), Required(depth, "depth");
        Required(colorType, "colorType");
        Data::BasicInfo3D info;
        _native->DecodeBasicInfo(info);
        *width = info.width, *height = info.height, *depth = info.depth;
        *colorType = LONG(info.colorType);
        return S_OK;
    });
}

HRESULT IImage3DCOMFromCPP::Get(byte *buffer, ULONGLONG stride, ULONGLONG rows, BrintavolexIProgress *progress)
{
    return GetForPlugIn<Data::BasicInfo3D>(_bridge, *_native, buffer, stride, rows, progress);
}

IStreamCOMFromCPP::IStreamCOMFromCPP(SharedPtr<IStream> stream) : _stream(std::move(stream))
{
    if (!_stream)
        throw std::invalid_argument("IStreamCOMFromCPP::IStreamCOMFromCPP: nullptr");
}

HRESULT IStreamCOMFromCPP::Read(byte *buffer, ULONGLONG count)
{
    return ComGuard("IStreamCOMFromCPP", "Read", [&] {
        if (count == 0)
            return S_OK;
        _stream->read(Required(buffer, "buffer"), count);
        return S_OK;
    });
}

HRESULT IStreamCOMFromCPP::Seek(ULONGLONG position)
{
    return ComGuard("IStreamCOMFromCPP", "Seek", [&] {
        _stream->seek(position);
        return S_OK;
    });
}

HRESULT IStreamCOMFromCPP::Tell(ULONGLONG *position)
{
    return ComGuard("IStreamCOMFromCPP", "Tell", [&] {
        *Required(position, "position") = _stream->tell();
        return S_OK;
    });
}

HRESULT IStreamCOMFromCPP::Size(ULONGLONG *size)
{
    return ComGuard("IStreamCOMFromCPP", "Size", [&] {
        *Required(size, "size") = _stream->size();
        return S_OK;
    });
}

HRESULT IStreamCOMFromCPP::Clone(BrintavolexIStream **clone)
{
    return ComGuard("IStreamCOMFromCPP", "Clone", [&] {
        *Required(clone, "clone") = nullptr;
        *clone = MakeCom<IStreamCOMFromCPP>(_stream->Clone()).Detach();
        return S_OK;
    });
}

HRESULT IStreamCOMFromCPP::GetProperty(const GUID *key, BrintavolexIProperty **property)
{
    return ComGuard("IStreamCOMFromCPP", "GetProperty", [&] {
        *Required(property, "property") = nullptr;
        *property = PropertyToCOM(_stream->GetProperty(GuidFrom(*Required(key, "key")))).Detach();
        return S_OK;
    });
}

ILoggerCOMFromCPP::ILoggerCOMFromCPP(SharedPtr<ILogger> logger) : _logger(std::move(logger)) {}

HRESULT ILoggerCOMFromCPP::LogPair(BSTR german, BSTR english)
{
    return ComGuard("ILoggerCOMFromCPP", "LogPair", [&] {
        if (_logger)
            _logger->Log(TextPair{StringFromBstr(german), StringFromBstr(english)});
        return S_OK;
    });
}

HRESULT ILoggerCOMFromCPP::Log(BSTR text)
{
    return ComGuard("ILoggerCOMFromCPP", "Log", [&] {
        if (_logger)
            _logger->Log(StringFromBstr(text));
        return S_OK;
    });
}

IProgressCOMFromCPP::IProgressCOMFromCPP(SharedPtr<IProgress> progress) : _progress(std::move(progress)) {}

HRESULT IProgressCOMFromCPP::SetProgress(double fraction, boolean *stop)
{
    return ComGuard("IProgressCOMFromCPP", "SetProgress", [&] {
        *Required(stop, "stop") = 0;
        if (!_progress)
            throw Exception("progress is nullptr");
        if (!(fraction >= 0.0 && fraction <= 1.0))
            throw std::invalid_argument("fraction is outside [0, 1]");
        const bool stopNow = _progress->SetProgress(fraction);
        if (stopNow)
            _stopRequested = true;
        *stop = stopNow ? 1 : 0;
        return S_OK;
    });
}

// ---- A plug-in's COM objects used as native objects ----

template <class Base>
SceneItemCPPFromCOM<Base>::SceneItemCPPFromCOM(const char *bridge, ComPtr<BrintavolexISceneItem> item)
    : _bridge(bridge), _item(std::move(item))
{
    if (!_item)
        throw std::invalid_argument(std::string(bridge) + "::" + bridge + ": nullptr");
}

template <class Base> String SceneItemCPPFromCOM<Base>::Call(const char *method) const
{
    return String(_bridge) + "::" + method;
}

template <class Base> std::uint64_t SceneItemCPPFromCOM<Base>::GetCount()
{
    ULONGLONG count = 0;
    const std::string call = Call("GetCount").ToStdString();
    CheckPlugInCall(_item->GetCount(&count), call.c_str());
    PlugIn::CheckItemCount(call.c_str(), count);
    return count;
}

template <class Base> SharedPtr<ISceneItem> SceneItemCPPFromCOM<Base>::Get(std::uint64_t index)
{
    ComPtr<BrintavolexISceneItem> child;
    CheckPlugInCall(_item->Get(index, child.Out()), Call("Get").ToStdString().c_str());
    if (!child)
        throw Exception(Call("Get") + ": the plug-in returned no item");
    return SceneItemFromCOM(std::move(child));
}

template <class Base> SharedPtr<IProperty> SceneItemCPPFromCOM<Base>::GetProperty()
{
    ComPtr<BrintavolexIProperty> property;
    CheckPlugInCall(_item->GetProperty(property.Out()), Call("GetProperty").ToStdString().c_str());
    return PropertyFromCOM(std::move(property));
}

template class SceneItemCPPFromCOM<ISceneItem>;
template class SceneItemCPPFromCOM<IDecoder>;
template class SceneItemCPPFromCOM<IImage2D>;
template class SceneItemCPPFromCOM<IImage3D>;
template class SceneItemCPPFromCOM<IProperty>;

ISceneItemCPPFromCOM::ISceneItemCPPFromCOM(ComPtr<BrintavolexISceneItem> item)
    : SceneItemCPPFromCOM("ISceneItemCPPFromCOM", std::move(item))
{
}

namespace {
// The scene-item interface of an object whose interface extends it.
template <class I> ComPtr<BrintavolexISceneItem> AsSceneItem(const ComPtr<I> &object)
{
    return ComPtr<BrintavolexISceneItem>::Share(object.Get());
}
} // namespace

IDecoderCPPFromCOM::IDecoderCPPFromCOM(ComPtr<BrintavolexIDecoder> decoder)
    : SceneItemCPPFromCOM("IDecoderCPPFromCOM", AsSceneItem(decoder)), _decoder(std::move(decoder))
{
}

std::uint32_t IDecoderCPPFromCOM::GetDecoderQuery()
{
    ULONG value = 0;
    CheckPlugInCall(_decoder->GetDecoderQuery(&value), "IDecoderCPPFromCOM::GetDecoderQuery");
    return value;
}

IImage2DCPPFromCOM::IImage2DCPPFromCOM(ComPtr<BrintavolexIImage2D> image)
    : SceneItemCPPFromCOM("IImage2DCPPFromCOM", AsSceneItem(image)), _image(std::move(image))
{
}

Data::BasicInfo IImage2DCPPFromCOM::Ask(const char *method)
{
    ULONG width = 0, height = 0, allocatedWidth = 0, allocatedHeight = 0;
    LONG colorType = 0;
    const String call = Call(method);
    CheckPlugInCall(_image->DecodeBasicInfo(&width, &height, &allocatedWidth, &allocatedHeight, &colorType),
                    call.ToStdString().c_str());
    Data::BasicInfo info;
    info.width = width, info.height = height;
    info.allocatedWidth = allocatedWidth, info.allocatedHeight = allocatedHeight;
    info.colorType = Data::ColorType(colorType);
    PlugIn::CheckBasicInfo(call.ToStdString().c_str(), info);
    return info;
}

void IImage2DCPPFromCOM::DecodeBasicInfo(Data::BasicInfo &info)
{
    info = Ask("DecodeBasicInfo");
    _reportedType = std::int32_t(info.colorType);
}

namespace {

// GetRect of the 2D and 3D image bridges: the picture the plug-in reports now
// must keep its colour type and fit the caller's buffer before the plug-in
// may write into it; a stop the progress bridge asked for is a cancellation.
template <class Info, class Image>
void GetRectFromPlugIn(const char *bridge, const Info &info, std::int32_t reported, Image &image, void *buffer,
                       std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress)
{
    const std::string name = std::string(bridge) + "::GetRect";
    if (reported != 0 && reported != std::int32_t(info.colorType))
        throw Exception((name + ": the plug-in changed the color type").c_str());
    if (!PlugIn::BufferHolds(info.width, info.height, stride, rows))
        throw std::invalid_argument(name + ": buffer is smaller than the picture");
    ComPtr<IProgressCOMFromCPP> progressBridge;
    if (progress)
        progressBridge = MakeCom<IProgressCOMFromCPP>(progress);
    const HRESULT result = image.Get(static_cast<byte *>(buffer), stride, rows, progressBridge.Get());
    if (result == E_ABORT && progressBridge && progressBridge->StopRequested())
        throw OperationCancelled();
    CheckPlugInCall(result, name.c_str());
}

} // namespace

void IImage2DCPPFromCOM::GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows,
                                 const SharedPtr<IProgress> &progress)
{
    if (!buffer)
        throw std::invalid_argument("IImage2DCPPFromCOM::GetRect: buffer is nullptr");
    GetRectFromPlugIn("IImage2DCPPFromCOM", Ask("GetRect"), _reportedType, *_image, buffer, stride, rows, progress);
}

IImage3DCPPFromCOM::IImage3DCPPFromCOM(ComPtr<BrintavolexIImage3D> volume)
    : SceneItemCPPFromCOM("IImage3DCPPFromCOM", AsSceneItem(volume)), _volume(std::move(volume))
{
}

Data::BasicInfo3D IImage3DCPPFromCOM::Ask(const char *method)
{
    ULONG width = 0, height = 0, depth = 0;
    LONG colorType = 0;
    const String call = Call(method);
    CheckPlugInCall(_volume->DecodeBasicInfo(&width, &height, &depth, &colorType), call.ToStdString().c_str());
    Data::BasicInfo3D info;
    info.width = width, info.height = height, info.depth = depth;
    info.colorType = Data::ColorType(colorType);
    PlugIn::CheckBasicInfo3D(call.ToStdString().c_str(), info);
    return info;
}

void IImage3DCPPFromCOM::DecodeBasicInfo(Data::BasicInfo3D &info)
{
    info = Ask("DecodeBasicInfo");
    _reportedType = std::int32_t(info.colorType);
}

void IImage3DCPPFromCOM::GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows,
                                 const SharedPtr<IProgress> &progress)
{
    if (!buffer)
        throw std::invalid_argument("IImage3DCPPFromCOM::GetRect: buffer is nullptr");
    GetRectFromPlugIn("IImage3DCPPFromCOM", Ask("GetRect"), _reportedType, *_volume, buffer, stride, rows, progress);
}

IPropertyCPPFromCOM::IPropertyCPPFromCOM(ComPtr<BrintavolexIProperty> property)
    : SceneItemCPPFromCOM("IPropertyCPPFromCOM", AsSceneItem(property)), _property(std::move(property))
{
}

std::uint8_t IPropertyCPPFromCOM::GetValueType()
{
    byte type = 0;
    CheckPlugInCall(_property->GetValueType(&type), "IPropertyCPPFromCOM::GetValueType");
    return type;
}

std::uint64_t IPropertyCPPFromCOM::GetValueCount()
{
    ULONGLONG count = 0;
    CheckPlugInCall(_property->GetValueCount(&count), "IPropertyCPPFromCOM::GetValueCount");
    return count;
}

void IPropertyCPPFromCOM::CheckRequest(const char *method, const void *output, std::uint64_t start,
                                       std::uint64_t count)
{
    if (!output)
        throw std::invalid_argument("IPropertyCPPFromCOM::" + std::string(method) + ": output is nullptr");
    if (!PlugIn::RangeFits(start, count, GetValueCount()))
        throw std::invalid_argument("IPropertyCPPFromCOM::" + std::string(method) +
                                    ": start + count exceeds the value count");
}

template <class Native, class Com>
void IPropertyCPPFromCOM::GetAs(const char *method,
                                HRESULT (STDMETHODCALLTYPE BrintavolexIProperty::*getAs)(Com *, ULONGLONG, ULONGLONG),
                                Native *output, std::uint64_t start, std::uint64_t count)
{
    CheckRequest(method, output, start, count);
    const std::string call = "IPropertyCPPFromCOM::" + std::string(method);
    if constexpr (std::is_same_v<Native, bool>) {
        // Whatever byte the plug-in writes, the native side sees a real bool.
        const std::unique_ptr<boolean[]> values(new boolean[count ? count : 1]());
        CheckPlugInCall(((*_property).*getAs)(values.get(), start, count), call.c_str());
        for (std::uint64_t i = 0; i < count; ++i)
            output[i] = values[i] != 0;
    } else {
        static_assert(sizeof(Native) == sizeof(Com) && std::is_arithmetic_v<Com>);
        CheckPlugInCall(((*_property).*getAs)(reinterpret_cast<Com *>(output), start, count), call.c_str());
    }
}

template <class Native, class Com>
Native IPropertyCPPFromCOM::GetOne(const char *method, HRESULT (STDMETHODCALLTYPE BrintavolexIProperty::*get)(Com *))
{
    Com value{};
    CheckPlugInCall(((*_property).*get)(&value), ("IPropertyCPPFromCOM::" + std::string(method)).c_str());
    if constexpr (std::is_same_v<Native, bool>)
        return value != 0;
    else
        return static_cast<Native>(value);
}

#define BRINTAVOLEX_CPP_PROPERTY_GETTERS(TYPE, NATIVE)                                                             \
    void IPropertyCPPFromCOM::GetAs##TYPE(NATIVE *output, std::uint64_t start, std::uint64_t count)               \
    {                                                                                                              \
        GetAs("GetAs" #TYPE, &BrintavolexIProperty::GetAs##TYPE, output, start, count);                           \
    }                                                                                                              \
    NATIVE IPropertyCPPFromCOM::Get##TYPE()                                                                        \
    {                                                                                                              \
        return GetOne<NATIVE>("Get" #TYPE, &BrintavolexIProperty::Get##TYPE);                                     \
    }

BRINTAVOLEX_CPP_PROPERTY_GETTERS(Bool, bool)
BRINTAVOLEX_CPP_PROPERTY_GETTERS(SInt8, SInt8)
BRINTAVOLEX_CPP_PROPERTY_GETTERS(SInt16, SInt16)
BRINTAVOLEX_CPP_PROPERTY_GETTERS(SInt32, SInt32)
BRINTAVOLEX_CPP_PROPERTY_GETTERS(SInt64, SInt64)
BRINTAVOLEX_CPP_PROPERTY_GETTERS(UInt8, UInt8)
BRINTAVOLEX_CPP_PROPERTY_GETTERS(UInt16, UInt16)
BRINTAVOLEX_CPP_PROPERTY_GETTERS(UInt32, UInt32)
BRINTAVOLEX_CPP_PROPERTY_GETTERS(UInt64, UInt64)
BRINTAVOLEX_CPP_PROPERTY_GETTERS(Float32, Float32)
BRINTAVOLEX_CPP_PROPERTY_GETTERS(Float64, Float64)
#undef BRINTAVOLEX_CPP_PROPERTY_GETTERS

void IPropertyCPPFromCOM::GetAsString(String &output)
{
    Bstr text;
    CheckPlugInCall(_property->GetAsString(text.Out()), "IPropertyCPPFromCOM::GetAsString");
    output = text.ToString();
}

String IPropertyCPPFromCOM::GetName()
{
    Bstr name;
    CheckPlugInCall(_property->GetName(name.Out()), "IPropertyCPPFromCOM::GetName");
    return name.ToString();
}

String IPropertyCPPFromCOM::GetChildName(std::uint64_t index)
{
    Bstr name;
    CheckPlugInCall(_property->GetChildName(index, name.Out()), "IPropertyCPPFromCOM::GetChildName");
    return name.ToString();
}

SharedPtr<IProperty> IPropertyCPPFromCOM::GetChild(StringExpr name)
{
    const Bstr text(name);
    ComPtr<BrintavolexIProperty> child;
    CheckPlugInCall(_property->GetChild(text.Get(), child.Out()), "IPropertyCPPFromCOM::GetChild");
    return PropertyFromCOM(std::move(child));
}

IProgressCPPFromCOM::IProgressCPPFromCOM(ComPtr<BrintavolexIProgress> progress) : _progress(std::move(progress))
{
    if (!_progress)
        throw std::invalid_argument("IProgressCPPFromCOM::IProgressCPPFromCOM: nullptr");
}

bool IProgressCPPFromCOM::SetProgress(double fraction)
{
    boolean stop = 0;
    CheckPlugInCall(_progress->SetProgress(fraction, &stop), "IProgressCPPFromCOM::SetProgress");
    return stop != 0;
}

// ---- Choosing the bridge ----

SharedPtr<ISceneItem> SceneItemFromCOM(ComPtr<BrintavolexISceneItem> item)
{
    if (!item)
        return nullptr;
    if (ComPtr<BrintavolexIImage2D> image = item.Query<BrintavolexIImage2D>())
        return MakeShared<IImage2DCPPFromCOM>(std::move(image));
    if (ComPtr<BrintavolexIImage3D> volume = item.Query<BrintavolexIImage3D>())
        return MakeShared<IImage3DCPPFromCOM>(std::move(volume));
    if (ComPtr<BrintavolexIProperty> property = item.Query<BrintavolexIProperty>())
        return MakeShared<IPropertyCPPFromCOM>(std::move(property));
    if (ComPtr<BrintavolexIDecoder> decoder = item.Query<BrintavolexIDecoder>())
        return MakeShared<IDecoderCPPFromCOM>(std::move(decoder));
    return MakeShared<ISceneItemCPPFromCOM>(std::move(item));
}

SharedPtr<IProperty> PropertyFromCOM(ComPtr<BrintavolexIProperty> property)
{
    if (!property)
        return nullptr;
    return MakeShared<IPropertyCPPFromCOM>(std::move(property));
}

ComPtr<BrintavolexISceneItem> SceneItemToCOM(const SharedPtr<ISceneItem> &item)
{
    if (!item)
        return nullptr;
    if (const SharedPtr<IImage2D> image = DynamicPointerCast<IImage2D>(item))
        return ComPtr<BrintavolexISceneItem>::Adopt(new IImage2DCOMFromCPP(image));
    if (const SharedPtr<IImage3D> volume = DynamicPointerCast<IImage3D>(item))
        return ComPtr<BrintavolexISceneItem>::Adopt(new IImage3DCOMFromCPP(volume));
    if (const SharedPtr<IProperty> property = DynamicPointerCast<IProperty>(item))
        return ComPtr<BrintavolexISceneItem>::Adopt(new IPropertyCOMFromCPP(property));
    return ComPtr<BrintavolexISceneItem>::Adopt(new ISceneItemCOMFromCPP(item));
}

ComPtr<BrintavolexIProperty> PropertyToCOM(const SharedPtr<IProperty> &property)
{
    if (!property)
        return nullptr;
    return MakeCom<IPropertyCOMFromCPP>(property);
}

} // namespace Brintavolex
