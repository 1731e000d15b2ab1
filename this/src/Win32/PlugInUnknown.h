#pragma once

// What every side of the plug-in boundary shares: counted COM references,
// the reference-counting base of our COM objects, the exception guard of our
// COM methods, the HRESULT check of calls into a plug-in and the text
// conventions of the interface (see BrintavolexPlugIn.idl).
#include "Data/api/SceneItem.h"
#include "Interface/api/BrintavolexPlugIn.h"
#include "Root/api/String.h"
#include "Root/api/Exception.h"

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cstddef>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace Brintavolex {

// One counted reference to a COM object.
template <class T> class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    ComPtr(const ComPtr &other) noexcept : _p(other._p)
    {
        if (_p)
            _p->AddRef();
    }
    ComPtr(ComPtr &&other) noexcept : _p(std::exchange(other._p, nullptr)) {}
    // From an object of ours (or an interface) that is also a T.
    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    ComPtr(ComPtr<U> &&other) noexcept : _p(other.Detach())
    {
    }
    ~ComPtr() { Reset(); }
    ComPtr &operator=(ComPtr other) noexcept
    {
        std::swap(_p, other._p);
        return *this;
    }

    // Takes over a reference the caller owns (an [out] pointer).
    static ComPtr Adopt(T *p) noexcept
    {
        ComPtr result;
        result._p = p;
        return result;
    }
    // Adds a reference of its own (an [in] pointer that is kept).
    static ComPtr Share(T *p) noexcept
    {
        if (p)
            p->AddRef();
        return Adopt(p);
    }

    void Reset() noexcept
    {
        if (T *p = std::exchange(_p, nullptr))
            p->Release();
    }
    // For an [out] argument: releases the old reference first.
    T **Out() noexcept
    {
        Reset();
        return &_p;
    }
    // Hands the reference to the caller (an [out] pointer of ours).
    T *Detach() noexcept { return std::exchange(_p, nullptr); }

    T *Get() const noexcept { return _p; }
    T *operator->() const noexcept { return _p; }
    T &operator*() const noexcept { return *_p; }
    explicit operator bool() const noexcept { return _p != nullptr; }

    // The object's interface U, empty when it has none.
    template <class U> ComPtr<U> Query() const noexcept
    {
        U *result = nullptr;
        if (_p && _p->QueryInterface(__uuidof(U), reinterpret_cast<void **>(&result)) == S_OK && result)
            return ComPtr<U>::Adopt(result);
        return ComPtr<U>();
    }

private:
    T *_p = nullptr;
};

// The interfaces an object of ours with interface I answers for besides
// IUnknown: I itself and the scene-item interface it extends.
template <class I> bool AnswersFor(REFIID iid) noexcept
{
    if (iid == __uuidof(I))
        return true;
    if constexpr (std::is_base_of_v<BrintavolexISceneItem, I>)
        return iid == __uuidof(BrintavolexISceneItem);
    return false;
}

// The reference-counting base of our COM objects: an inner, non-delegating
// IUnknown holds the count and answers QueryInterface; the IUnknown methods
// of I forward to the controlling unknown, which is the inner one unless an
// outer object aggregates this one. Objects start with one reference, which
// their creator owns.
template <class I> class Unknown : public I {
public:
    Unknown(const Unknown &) = delete;
    Unknown &operator=(const Unknown &) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        return _outer->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return _outer->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return _outer->Release(); }

    // The non-delegating IUnknown, the one an aggregating object holds.
    IUnknown *Inner() noexcept { return &_inner; }

protected:
    explicit Unknown(IUnknown *outer = nullptr) noexcept : _inner(*this), _outer(outer ? outer : &_inner) {}
    virtual ~Unknown() = default;

private:
    class NonDelegating final : public IUnknown {
    public:
        explicit NonDelegating(Unknown &self) noexcept : _self(self) {}

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
        {
            if (!out)
                return E_POINTER;
            if (iid == IID_IUnknown) {
                *out = static_cast<IUnknown *>(this);
                AddRef();
                return S_OK;
            }
            if (AnswersFor<I>(iid)) {
                *out = static_cast<I *>(&_self);
                _self.AddRef();
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
                delete &_self;
            return left;
        }

    private:
        Unknown &_self;
        std::atomic<ULONG> _count{1};
    };

    NonDelegating _inner;
    IUnknown *_outer;
};

// Creates one of our COM objects and hands out its first reference.
template <class T, class... Args> ComPtr<T> MakeCom(Args &&...args)
{
    return ComPtr<T>::Adopt(new T(std::forward<Args>(args)...));
}

// Writes "<bridge>::<method>: <problem>" to the error log; never throws.
void LogBridgeFailure(const char *bridge, const char *method, const char *problem) noexcept;

// The body of each COM method of ours: no exception crosses the boundary.
// A cancelled operation is E_ABORT; everything else is logged with the
// bridge method's name and becomes a failure HRESULT.
template <class F> HRESULT ComGuard(const char *bridge, const char *method, F &&body) noexcept
{
    try {
        return body();
    } catch (const OperationCancelled &) {
        return E_ABORT;
    } catch (const std::bad_alloc &) {
        LogBridgeFailure(bridge, method, "out of memory");
        return E_OUTOFMEMORY;
    } catch (const std::invalid_argument &e) {
        LogBridgeFailure(bridge, method, e.what());
        return E_INVALIDARG;
    } catch (const std::exception &e) {
        LogBridgeFailure(bridge, method, e.what());
        return E_FAIL;
    } catch (...) {
        LogBridgeFailure(bridge, method, "unknown exception");
        return E_UNEXPECTED;
    }
}

// "0x80004005"
String HResultText(HRESULT result);

// A call into a plug-in (or into the type-library functions): any result
// but S_OK throws Exception "<call>: failed with HRESULT 0x...".
void CheckPlugInCall(HRESULT result, const char *call);

// A BSTR this side owns.
class Bstr {
public:
    Bstr() noexcept = default;
    // Throws std::bad_alloc when the system has no memory for it.
    explicit Bstr(StringExpr text);
    ~Bstr() { SysFreeString(_b); }
    Bstr(const Bstr &) = delete;
    Bstr &operator=(const Bstr &) = delete;

    BSTR Get() const noexcept { return _b; }
    BSTR *Out() noexcept
    {
        SysFreeString(std::exchange(_b, nullptr));
        return &_b;
    }
    BSTR Detach() noexcept { return std::exchange(_b, nullptr); }
    String ToString() const;

private:
    BSTR _b = nullptr;
};

// The text of a BSTR (null is the empty text).
String StringFromBstr(BSTR text);

// Converts narrow (Windows-1252) text that a plug-in allocated with
// CoTaskMemAlloc and frees it.
String TakeCoTaskMemText(LPSTR text);

} // namespace Brintavolex
