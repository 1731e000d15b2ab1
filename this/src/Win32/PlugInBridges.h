#pragma once

// The bridges across the plug-in boundary, named after the direction they
// translate: XCPPFromCOM makes a plug-in's COM object look like the native
// interface X; XCOMFromCPP offers a native object to a plug-in as a COM
// object. Each holds the object on the other side with a counted reference.
#include "Data/api/SceneItem.h"
#include "Data/api/Property.h"
#include "Platform/api/Stream.h"
#include "this/src/Logger.h"
#include "this/src/Win32/PlugInUnknown.h"

#include <atomic>

namespace Brintavolex {

// ---- Native objects offered to a plug-in ----

// The scene-item methods shared by every COM object of ours over a native
// item.
template <class I, class Native> class SceneItemCOMFromCPP : public Unknown<I> {
public:
    HRESULT STDMETHODCALLTYPE GetCount(ULONGLONG *count) override;
    HRESULT STDMETHODCALLTYPE Get(ULONGLONG index, BrintavolexISceneItem **item) override;
    HRESULT STDMETHODCALLTYPE GetProperty(BrintavolexIProperty **property) override;

    const SharedPtr<Native> &GetNative() const noexcept { return _native; }

protected:
    SceneItemCOMFromCPP(const char *bridge, SharedPtr<Native> native);
    const char *const _bridge;
    SharedPtr<Native> _native;
};

class ISceneItemCOMFromCPP final : public SceneItemCOMFromCPP<BrintavolexISceneItem, ISceneItem> {
public:
    explicit ISceneItemCOMFromCPP(SharedPtr<ISceneItem> item);
};

class IPropertyCOMFromCPP final : public SceneItemCOMFromCPP<BrintavolexIProperty, IProperty> {
public:
    explicit IPropertyCOMFromCPP(SharedPtr<IProperty> property);

    HRESULT STDMETHODCALLTYPE GetValueType(byte *type) override;
    HRESULT STDMETHODCALLTYPE GetAsBool(boolean *output, ULONGLONG start, ULONGLONG count) override;
    HRESULT STDMETHODCALLTYPE GetBool(boolean *value) override;
    HRESULT STDMETHODCALLTYPE GetAsSInt8(signed char *output, ULONGLONG start, ULONGLONG count) override;
    HRESULT STDMETHODCALLTYPE GetSInt8(signed char *value) override;
    HRESULT STDMETHODCALLTYPE GetAsSInt16(short *output, ULONGLONG start, ULONGLONG count) override;
    HRESULT STDMETHODCALLTYPE GetSInt16(short *value) override;
    HRESULT STDMETHODCALLTYPE GetAsSInt32(LONG *output, ULONGLONG start, ULONGLONG count) override;
    HRESULT STDMETHODCALLTYPE GetSInt32(LONG *value) override;
    HRESULT STDMETHODCALLTYPE GetAsSInt64(LONGLONG *output, ULONGLONG start, ULONGLONG count) override;
    HRESULT STDMETHODCALLTYPE GetSInt64(LONGLONG *value) override;
    HRESULT STDMETHODCALLTYPE GetAsUInt8(byte *output, ULONGLONG start, ULONGLONG count) override;
    HRESULT STDMETHODCALLTYPE GetUInt8(byte *value) override;
    HRESULT STDMETHODCALLTYPE GetAsUInt16(unsigned short *output, ULONGLONG start, ULONGLONG count) override;
    HRESULT STDMETHODCALLTYPE GetUInt16(unsigned short *value) override;
    HRESULT STDMETHODCALLTYPE GetAsUInt32(ULONG *output, ULONGLONG start, ULONGLONG count) override;
    HRESULT STDMETHODCALLTYPE GetUInt32(ULONG *value) override;
    HRESULT STDMETHODCALLTYPE GetAsUInt64(ULONGLONG *output, ULONGLONG start, ULONGLONG count) override;
    HRESULT STDMETHODCALLTYPE GetUInt64(ULONGLONG *value) override;
    HRESULT STDMETHODCALLTYPE GetAsFloat32(float *output, ULONGLONG start, ULONGLONG count) override;
    HRESULT STDMETHODCALLTYPE GetFloat32(float *value) override;
    HRESULT STDMETHODCALLTYPE GetAsFloat64(double *output, ULONGLONG start, ULONGLONG count) override;
    HRESULT STDMETHODCALLTYPE GetFloat64(double *value) override;
    HRESULT STDMETHODCALLTYPE GetValueCount(ULONGLONG *count) override;
    HRESULT STDMETHODCALLTYPE GetAsString(BSTR *text) override;
    HRESULT STDMETHODCALLTYPE GetName(BSTR *name) override;
    HRESULT STDMETHODCALLTYPE GetChildName(ULONGLONG index, BSTR *name) override;
    HRESULT STDMETHODCALLTYPE GetChild(BSTR name, BrintavolexIProperty **child) override;

private:
    template <class Native, class Com>
    HRESULT GetAs(const char *method, void (IProperty::*getAs)(Native *, std::uint64_t, std::uint64_t), Com *output,
                  ULONGLONG start, ULONGLONG count);
    template <class Native, class Com> HRESULT GetOne(const char *method, Native (IProperty::*get)(), Com *value);
};

class IImage2DCOMFromCPP final : public SceneItemCOMFromCPP<BrintavolexIImage2D, IImage2D> {
public:
    explicit IImage2DCOMFromCPP(SharedPtr<IImage2D> image);
    HRESULT STDMETHODCALLTYPE DecodeBasicInfo(ULONG *width, ULONG *height, ULONG *allocatedWidth,
                                              ULONG *allocatedHeight, LONG *colorType) override;
    HRESULT STDMETHODCALLTYPE Get(byte *buffer, ULONGLONG stride, ULONGLONG rows,
                                  BrintavolexIProgress *progress) override;
    using SceneItemCOMFromCPP::Get;
};

class IImage3DCOMFromCPP final : public SceneItemCOMFromCPP<BrintavolexIImage3D, IImage3D> {
public:
    explicit IImage3DCOMFromCPP(SharedPtr<IImage3D> volume);
    HRESULT STDMETHODCALLTYPE DecodeBasicInfo(ULONG *width, ULONG *height, ULONG *depth, LONG *colorType) override;
    HRESULT STDMETHODCALLTYPE Get(byte *buffer, ULONGLONG stride, ULONGLONG rows,
                                  BrintavolexIProgress *progress) override;
    using SceneItemCOMFromCPP::Get;
};

class IStreamCOMFromCPP final : public Unknown<BrintavolexIStream> {
public:
    explicit IStreamCOMFromCPP(SharedPtr<IStream> stream);
    HRESULT STDMETHODCALLTYPE Read(byte *buffer, ULONGLONG count) override;
    HRESULT STDMETHODCALLTYPE Seek(ULONGLONG position) override;
    HRESULT STDMETHODCALLTYPE Tell(ULONGLONG *position) override;
    HRESULT STDMETHODCALLTYPE Size(ULONGLONG *size) override;
    HRESULT STDMETHODCALLTYPE Clone(BrintavolexIStream **clone) override;
    HRESULT STDMETHODCALLTYPE GetProperty(const GUID *key, BrintavolexIProperty **property) override;

private:
    SharedPtr<IStream> _stream;
};

class ILoggerCOMFromCPP final : public Unknown<BrintavolexILogger> {
public:
    // A null logger drops the messages.
    explicit ILoggerCOMFromCPP(SharedPtr<ILogger> logger);
    HRESULT STDMETHODCALLTYPE LogPair(BSTR german, BSTR english) override;
    HRESULT STDMETHODCALLTYPE Log(BSTR text) override;

private:
    SharedPtr<ILogger> _logger;
};

class IProgressCOMFromCPP final : public Unknown<BrintavolexIProgress> {
public:
    explicit IProgressCOMFromCPP(SharedPtr<IProgress> progress);
    HRESULT STDMETHODCALLTYPE SetProgress(double fraction, boolean *stop) override;
    // The native side asked the plug-in to stop at least once.
    bool StopRequested() const noexcept { return _stopRequested; }

private:
    SharedPtr<IProgress> _progress;
    std::atomic<bool> _stopRequested{false};
};

// ---- A plug-in's COM objects used as native objects ----

// The scene-item side shared by every native object over a COM item.
template <class Base> class SceneItemCPPFromCOM : public Base {
public:
    std::uint64_t GetCount() override;
    SharedPtr<ISceneItem> Get(std::uint64_t index) override;
    SharedPtr<IProperty> GetProperty() override;

protected:
    SceneItemCPPFromCOM(const char *bridge, ComPtr<BrintavolexISceneItem> item);
    // "<bridge>::<method>"
    String Call(const char *method) const;
    const char *const _bridge;
    ComPtr<BrintavolexISceneItem> _item;
};

class ISceneItemCPPFromCOM final : public SceneItemCPPFromCOM<ISceneItem> {
public:
    explicit ISceneItemCPPFromCOM(ComPtr<BrintavolexISceneItem> item);
};

class IDecoderCPPFromCOM final : public SceneItemCPPFromCOM<IDecoder> {
public:
    explicit IDecoderCPPFromCOM(ComPtr<BrintavolexIDecoder> decoder);
    std::uint32_t GetDecoderQuery() override;

private:
    ComPtr<BrintavolexIDecoder> _decoder;
};

class IImage2DCPPFromCOM final : public SceneItemCPPFromCOM<IImage2D> {
public:
    explicit IImage2DCPPFromCOM(ComPtr<BrintavolexIImage2D> image);
    // Checked: a known pixel type, allocated extents that hold the picture.
    void DecodeBasicInfo(Data::BasicInfo &info) override;
    // The plug-in is asked for its extents again right before it writes:
    // they must fit stride and rows, and the pixel type must be the one it
    // reported before (the buffer was allocated for that one).
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows,
                 const SharedPtr<IProgress> &progress) override;

private:
    Data::BasicInfo Ask(const char *method);
    ComPtr<BrintavolexIImage2D> _image;
    std::atomic<std::int32_t> _reportedType{0};
};

class IImage3DCPPFromCOM final : public SceneItemCPPFromCOM<IImage3D> {
public:
    explicit IImage3DCPPFromCOM(ComPtr<BrintavolexIImage3D> volume);
    void DecodeBasicInfo(Data::BasicInfo3D &info) override;
    // stride and rows must hold a slice; the buffer holds depth slices.
    void GetRect(void *buffer, std::uint64_t stride, std::uint64_t rows,
                 const SharedPtr<IProgress> &progress) override;

private:
    Data::BasicInfo3D Ask(const char *method);
    ComPtr<BrintavolexIImage3D> _volume;
    std::atomic<std::int32_t> _reportedType{0};
};

class IPropertyCPPFromCOM final : public SceneItemCPPFromCOM<IProperty> {
public:
    explicit IPropertyCPPFromCOM(ComPtr<BrintavolexIProperty> property);

    std::uint8_t GetValueType() override;
    void GetAsBool(bool *output, std::uint64_t start, std::uint64_t count) override;
    bool GetBool() override;
    void GetAsSInt8(SInt8 *output, std::uint64_t start, std::uint64_t count) override;
    SInt8 GetSInt8() override;
    void GetAsSInt16(SInt16 *output, std::uint64_t start, std::uint64_t count) override;
    SInt16 GetSInt16() override;
    void GetAsSInt32(SInt32 *output, std::uint64_t start, std::uint64_t count) override;
    SInt32 GetSInt32() override;
    void GetAsSInt64(SInt64 *output, std::uint64_t start, std::uint64_t count) override;
    SInt64 GetSInt64() override;
    void GetAsUInt8(UInt8 *output, std::uint64_t start, std::uint64_t count) override;
    UInt8 GetUInt8() override;
    void GetAsUInt16(UInt16 *output, std::uint64_t start, std::uint64_t count) override;
    UInt16 GetUInt16() override;
    void GetAsUInt32(UInt32 *output, std::uint64_t start, std::uint64_t count) override;
    UInt32 GetUInt32() override;
    void GetAsUInt64(UInt64 *output, std::uint64_t start, std::uint64_t count) override;
    UInt64 GetUInt64() override;
    void GetAsFloat32(Float32 *output, std::uint64_t start, std::uint64_t count) override;
    Float32 GetFloat32() override;
    void GetAsFloat64(Float64 *output, std::uint64_t start, std::uint64_t count) override;
    Float64 GetFloat64() override;
    std::uint64_t GetValueCount() override;
    void GetAsString(String &output) override;
    String GetName() override;
    String GetChildName(std::uint64_t index) override;
    SharedPtr<IProperty> GetChild(StringExpr name) override;

private:
    // Checks output and start + count against the plug-in's value count.
    void CheckRequest(const char *method, const void *output, std::uint64_t start, std::uint64_t count);
    template <class Native, class Com>
    void GetAs(const char *method, HRESULT (STDMETHODCALLTYPE BrintavolexIProperty::*getAs)(Com *, ULONGLONG, ULONGLONG),
               Native *output, std::uint64_t start, std::uint64_t count);
    template <class Native, class Com>
    Native GetOne(const char *method, HRESULT (STDMETHODCALLTYPE BrintavolexIProperty::*get)(Com *));

    ComPtr<BrintavolexIProperty> _property;
};

class IProgressCPPFromCOM final : public IProgress {
public:
    explicit IProgressCPPFromCOM(ComPtr<BrintavolexIProgress> progress);
    bool SetProgress(double fraction) override;

private:
    ComPtr<BrintavolexIProgress> _progress;
};

// The native object for a plug-in's item: a 2D image, a volume, a property,
// a decoder or a plain scene item, by the interfaces it answers for. Null
// for null.
SharedPtr<ISceneItem> SceneItemFromCOM(ComPtr<BrintavolexISceneItem> item);
SharedPtr<IProperty> PropertyFromCOM(ComPtr<BrintavolexIProperty> property);

// The COM object for a native item, by its native interface. Null for null.
ComPtr<BrintavolexISceneItem> SceneItemToCOM(const SharedPtr<ISceneItem> &item);
ComPtr<BrintavolexIProperty> PropertyToCOM(const SharedPtr<IProperty> &property);

} // namespace Brintavolex
