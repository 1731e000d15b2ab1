// A plug-in decoder of the test format (TestFormat.h), written against the
// interface alone, as a plug-in author would: it shares no code with the
// viewer. Built three ways: the plug-in; with BRINTAVOLEX_TEST_FAILING a
// plug-in whose class object cannot be had; and without a type library.
// Out-pointers are trusted: the host never passes null ones.
//
// With the environment variable BRINTAVOLEX_TEST_PLUGIN_TRACE naming a file,
// every DllGetClassObject call appends the DLL's path and a line break to it.
#include "BrintavolexPlugIn.h"
#include "TestFormat.h"
#include "TestPlugIn.h"

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace BrintavolexTestFormat;

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};

template <class T> class Ref {
public:
    Ref() = default;
    explicit Ref(T *p, bool addRef) : _p(p)
    {
        if (_p && addRef)
            _p->AddRef();
    }
    Ref(const Ref &o) : Ref(o._p, true) {}
    Ref &operator=(Ref o)
    {
        std::swap(_p, o._p);
        return *this;
    }
    ~Ref()
    {
        if (_p)
            _p->Release();
    }
    T *Get() const { return _p; }
    T *operator->() const { return _p; }
    T *Detach() { return std::exchange(_p, nullptr); }
    explicit operator bool() const { return _p != nullptr; }

private:
    T *_p = nullptr;
};

// IUnknown for one interface I (and the scene-item interface it extends).
template <class I> class Object : public I {
public:
    Object() { ++g_objects; }
    virtual ~Object() { --g_objects; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        if (iid == IID_IUnknown || iid == __uuidof(I) ||
            (std::is_base_of_v<BrintavolexISceneItem, I> && iid == __uuidof(BrintavolexISceneItem))) {
            *out = static_cast<I *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++_count; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --_count;
        if (left == 0)
            delete this;
        return left;
    }

private:
    std::atomic<ULONG> _count{1};
};

// Every method body: nothing is thrown across the boundary.
template <class F> HRESULT Guard(F &&f) noexcept
{
    try {
        return f();
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

LPSTR CoTaskText(const char *text)
{
    const std::size_t size = std::strlen(text) + 1;
    auto *copy = static_cast<char *>(CoTaskMemAlloc(size));
    if (copy)
        std::memcpy(copy, text, size);
    return copy;
}

// ---- Properties ----

class Property final : public Object<BrintavolexIProperty> {
public:
    template <class T> static Property *Values(const T *values, ULONGLONG count, byte type)
    {
        auto *p = new Property();
        p->_type = type;
        p->_size = sizeof(T);
        p->_count = count;
        p->_raw.assign(reinterpret_cast<const char *>(values), reinterpret_cast<const char *>(values) + count * sizeof(T));
        return p;
    }
    static Property *Text(const std::wstring &text)
    {
        auto *p = new Property();
        p->_type = 100;
        p->_count = 1;
        p->_text = text;
        return p;
    }
    static Property *Composite(bool endless = false)
    {
        auto *p = new Property();
        p->_endless = endless;
        return p;
    }
    // Takes over child's reference.
    void Add(const wchar_t *name, Property *child) { _children.emplace_back(name, Ref<Property>(child, false)); }

    // Scene item
    HRESULT STDMETHODCALLTYPE GetCount(ULONGLONG *count) override
    {
        *count = _endless ? ~ULONGLONG(0) : _children.size();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Get(ULONGLONG index, BrintavolexISceneItem **item) override
    {
        *item = nullptr;
        if (index >= _children.size())
            return E_INVALIDARG;
        *item = _children[index].second.Get();
        (*item)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetProperty(BrintavolexIProperty **property) override
    {
        *property = nullptr;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetValueType(byte *type) override
    {
        *type = _type;
        return S_OK;
    }

#define TEST_GETTERS(NAME, COM, CODE)                                                                              \
    HRESULT STDMETHODCALLTYPE GetAs##NAME(COM *output, ULONGLONG start, ULONGLONG count) override                  \
    {                                                                                                              \
        return Copy(CODE, output, sizeof(COM), start, count);                                                      \
    }                                                                                                              \
    HRESULT STDMETHODCALLTYPE Get##NAME(COM *value) override { return Copy(CODE, value, sizeof(COM), 0, 1); }
    TEST_GETTERS(Bool, boolean, 1)
    TEST_GETTERS(SInt8, signed char, 7)
    TEST_GETTERS(SInt16, short, 15)
    TEST_GETTERS(SInt32, LONG, 31)
    TEST_GETTERS(SInt64, LONGLONG, 63)
    TEST_GETTERS(UInt8, byte, 8)
    TEST_GETTERS(UInt16, unsigned short, 16)
    TEST_GETTERS(UInt32, ULONG, 32)
    TEST_GETTERS(UInt64, ULONGLONG, 64)
    TEST_GETTERS(Float32, float, 23)
    TEST_GETTERS(Float64, double, 52)
#undef TEST_GETTERS

    HRESULT STDMETHODCALLTYPE GetValueCount(ULONGLONG *count) override
    {
        *count = _count;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAsString(BSTR *text) override
    {
        *text = nullptr;
        if (_type != 100)
            return E_NOTIMPL;
        *text = SysAllocStringLen(_text.data(), UINT(_text.size()));
        return *text ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetName(BSTR *name) override
    {
        *name = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetChildName(ULONGLONG index, BSTR *name) override
    {
        *name = nullptr;
        if (index >= _children.size())
            return E_INVALIDARG;
        *name = SysAllocString(_children[index].first.c_str());
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetChild(BSTR name, BrintavolexIProperty **child) override
    {
        *child = nullptr;
        const std::wstring wanted = name ? std::wstring(name, SysStringLen(name)) : std::wstring();
        for (auto &entry : _children)
            if (entry.first == wanted) {
                *child = entry.second.Get();
                (*child)->AddRef();
            }
        return S_OK;
    }

private:
    HRESULT Copy(byte type, void *output, std::size_t size, ULONGLONG start, ULONGLONG count)
    {
        if (type != _type || size != _size)
            return E_NOTIMPL;
        if (start > _count || count > _count - start)
            return E_INVALIDARG;
        std::memcpy(output, _raw.data() + start * size, count * size);
        return S_OK;
    }

    bool _endless = false;
    byte _type = 0;
    std::size_t _size = 0;
    ULONGLONG _count = 0;
    std::vector<char> _raw;
    std::wstring _text;
    std::vector<std::pair<std::wstring, Ref<Property>>> _children;
};

// ---- Reading the file ----

HRESULT ReadHeader(BrintavolexIStream *stream, Header &h)
{
    ULONGLONG size = 0;
    HRESULT hr = stream->Size(&size);
    if (hr != S_OK)
        return hr;
    // Checked before reading: no read past the end for a short file.
    if (size < kHeaderSize)
        return E_FAIL;
    unsigned char bytes[kHeaderSize];
    if ((hr = stream->Seek(0)) != S_OK || (hr = stream->Read(bytes, kHeaderSize)) != S_OK)
        return hr;
    if (std::memcmp(bytes, "BVTP", 4) != 0)
        return E_FAIL;
    std::memcpy(&h.version, bytes + 4, 2);
    std::memcpy(&h.flags, bytes + 6, 2);
    std::memcpy(&h.width, bytes + 8, 4);
    std::memcpy(&h.height, bytes + 12, 4);
    std::memcpy(h.levels, bytes + 16, 8);
    std::memcpy(h.comment, bytes + 24, 16);
    std::memcpy(&h.gamma, bytes + 40, 8);
    if (h.version != 1 || h.width > 65535 || h.height > 65535)
        return E_FAIL;
    if (size - kHeaderSize < ULONGLONG(h.width) * h.height * 4)
        return E_FAIL;
    return S_OK;
}

Property *HeaderProperties(const Header &h, const std::wstring &openedAs)
{
    Property *root = Property::Composite((h.flags & EndlessChildren) != 0);
    root->Add(L"Magic", Property::Text(L"BVTP"));
    root->Add(L"Version", Property::Values(&h.version, 1, 16));
    root->Add(L"Flags", Property::Values(&h.flags, 1, 16));
    root->Add(L"Width", Property::Values(&h.width, 1, 32));
    root->Add(L"Height", Property::Values(&h.height, 1, 32));
    root->Add(L"Levels", Property::Values(h.levels, 4, 16));
    std::wstring comment;
    for (std::size_t i = 0; i < sizeof h.comment && h.comment[i]; ++i)
        comment.push_back(wchar_t(static_cast<unsigned char>(h.comment[i])));
    root->Add(L"Comment", Property::Text(comment));
    root->Add(L"Gamma", Property::Values(&h.gamma, 1, 52));
    const boolean opaque = (h.flags & Opaque) ? 1 : 0;
    root->Add(L"Opaque", Property::Values(&opaque, 1, 1));
    root->Add(L"OpenedAs", Property::Text(openedAs));
    return root;
}

// What the decoder and its image share.
struct Source {
    Ref<BrintavolexIStream> stream;
    std::wstring fileName;
};

HRESULT HeaderOf(const Source &source, BrintavolexIProperty **property)
{
    return Guard([&] {
        *property = nullptr;
        if (!source.stream)
            return E_FAIL;
        Header h;
        const HRESULT hr = ReadHeader(source.stream.Get(), h);
        if (hr == S_OK)
            *property = HeaderProperties(h, source.fileName);
        return hr;
    });
}

class Image final : public Object<BrintavolexIImage2D> {
public:
    explicit Image(Source source) : _source(std::move(source)) {}

    HRESULT STDMETHODCALLTYPE GetCount(ULONGLONG *count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Get(ULONGLONG, BrintavolexISceneItem **item) override
    {
        if (item)
            *item = nullptr;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE GetProperty(BrintavolexIProperty **p) override { return HeaderOf(_source, p); }
    HRESULT STDMETHODCALLTYPE DecodeBasicInfo(ULONG *width, ULONG *height, ULONG *allocatedWidth,
                                              ULONG *allocatedHeight, LONG *colorType) override
    {
        Header h;
        const HRESULT hr = ReadHeader(_source.stream.Get(), h);
        if (hr != S_OK)
            return hr;
        *width = h.width;
        *height = h.height;
        *allocatedWidth = 0;
        *allocatedHeight = 0;
        *colorType = 48; // BGRAUInt8
        if ((h.flags & GrowOnSecondAsk) && _asked++ > 0)
            *width = h.width * 2 + 64;
        if (h.flags & SmallAllocatedWidth)
            *allocatedWidth = h.width - 1;
        if (h.flags & UnknownColorType)
            *colorType = 999;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Get(byte *buffer, ULONGLONG stride, ULONGLONG rows,
                                  BrintavolexIProgress *progress) override
    {
        return Guard([&] {
            Header h;
            HRESULT hr = ReadHeader(_source.stream.Get(), h);
            if (hr != S_OK)
                return hr;
            if (h.flags & FailInGet)
                return E_FAIL;
            if (stride < h.width || rows < h.height)
                return E_INVALIDARG;
            std::vector<byte> row(std::size_t(h.width) * 4);
            for (std::uint32_t y = 0; y < h.height; ++y) {
                if (!row.empty() && (hr = _source.stream->Read(row.data(), row.size())) != S_OK)
                    return hr;
                std::memcpy(buffer + y * stride * 4, row.data(), row.size());
                if (progress) {
                    boolean stop = 0;
                    if ((hr = progress->SetProgress(double(y + 1) / h.height, &stop)) != S_OK)
                        return hr;
                    if (stop)
                        return E_ABORT;
                }
            }
            return S_OK;
        });
    }

private:
    Source _source;
    int _asked = 0;
};

class Decoder final : public Object<BrintavolexIDecoder> {
public:
    HRESULT STDMETHODCALLTYPE GetCount(ULONGLONG *count) override
    {
        *count = _source.stream ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Get(ULONGLONG index, BrintavolexISceneItem **item) override
    {
        return Guard([&] {
            *item = nullptr;
            if (!_source.stream || index != 0)
                return E_INVALIDARG;
            *item = new Image(_source);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetProperty(BrintavolexIProperty **p) override { return HeaderOf(_source, p); }
    HRESULT STDMETHODCALLTYPE GetName(LPSTR *name) override { return Text(name, "Brintavolex Test Decoder"); }
    HRESULT STDMETHODCALLTYPE GetExtensions(LPSTR *extensions) override { return Text(extensions, "*.bvtp"); }
    HRESULT STDMETHODCALLTYPE GetFilterStringEnglish(LPSTR *text) override
    {
        return Text(text, "Test files (*.bvtp)");
    }
    HRESULT STDMETHODCALLTYPE GetFilterStringGerman(LPSTR *text) override
    {
        return Text(text, "Test-Dateien (*.bvtp) \xE4\xF6\xFC");
    }
    HRESULT STDMETHODCALLTYPE Open(BrintavolexIStream *stream, BrintavolexILogger *logger, BSTR fileName) override
    {
        return Guard([&] {
            _source.stream = Ref<BrintavolexIStream>(stream, true);
            _source.fileName = fileName ? std::wstring(fileName, SysStringLen(fileName)) : std::wstring();
            if (logger) {
                BSTR german = SysAllocString(L"Testformat ge\u00F6ffnet");
                BSTR english = SysAllocString(L"Test format opened");
                const HRESULT hr = logger->LogPair(german, english);
                SysFreeString(german);
                SysFreeString(english);
                return hr;
            }
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetDecoderQuery(ULONG *value) override
    {
        *value = 7;
        return S_OK;
    }

private:
    static HRESULT Text(LPSTR *out, const char *text)
    {
        *out = CoTaskText(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    Source _source;
};

class ClassFactory final : public Object<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **out) override
    {
        return Guard([&] {
            *out = nullptr;
            if (outer)
                return CLASS_E_NOAGGREGATION;
            Ref<Decoder> decoder(new Decoder(), false);
            return decoder->QueryInterface(iid, out);
        });
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

void Trace()
{
    wchar_t file[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"BRINTAVOLEX_TEST_PLUGIN_TRACE", file, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return;
    wchar_t module[MAX_PATH];
    const DWORD length = GetModuleFileNameW(g_module, module, MAX_PATH);
    char utf8[4 * MAX_PATH];
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, module, int(length), utf8, sizeof utf8 - 2, nullptr, nullptr);
    if (bytes <= 0)
        return;
    utf8[bytes] = '\n';
    const HANDLE handle = CreateFileW(file, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(handle, utf8, DWORD(bytes + 1), &written, nullptr);
    CloseHandle(handle);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void **out)
{
    Trace();
    if (!out)
        return E_POINTER;
    *out = nullptr;
#ifdef BRINTAVOLEX_TEST_FAILING
    (void)clsid, (void)iid;
    return CLASS_E_CLASSNOTAVAILABLE;
#else
    if (clsid != CLSID_BrintavolexTestDecoder)
        return CLASS_E_CLASSNOTAVAILABLE;
    return Guard([&] {
        Ref<ClassFactory> factory(new ClassFactory(), false);
        return factory->QueryInterface(iid, out);
    });
#endif
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_objects == 0 ? S_OK : S_FALSE; }

// For the tests: how many COM objects of this DLL are alive.
extern "C" __declspec(dllexport) long BrintavolexTestObjectCount() { return g_objects; }
