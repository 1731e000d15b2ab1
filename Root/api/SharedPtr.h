#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace Brintavolex {

class EnableSharedPtrFromThis;
template <class T> class SharedPtr;
template <class T> class WeakPtr;

namespace Detail {

// Reference counts in a block of their own. The weak count holds one extra
// reference while any strong reference exists, so that the last strong and
// the last weak release, on whatever threads, free the block exactly once.
class ControlBlock {
public:
    ControlBlock() noexcept = default;
    ControlBlock(const ControlBlock &) = delete;
    ControlBlock &operator=(const ControlBlock &) = delete;

    void AddStrong() noexcept { _strong.fetch_add(1, std::memory_order_relaxed); }
    void AddWeak() noexcept { _weak.fetch_add(1, std::memory_order_relaxed); }

    // Takes a strong reference from a weak link; false once the object is gone.
    bool TryAddStrong();

    void ReleaseStrong() noexcept
    {
        if (_strong.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            DestroyObject();
            ReleaseWeak();
        }
    }
    void ReleaseWeak() noexcept
    {
        if (_weak.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }
    std::int32_t StrongCount() const noexcept { return _strong.load(std::memory_order_acquire); }

protected:
    virtual ~ControlBlock() = default;
    virtual void DestroyObject() noexcept = 0;

private:
    std::atomic<std::int32_t> _strong{1};
    std::atomic<std::int32_t> _weak{1};
};

template <class T, class Deleter> class ControlBlockWith final : public ControlBlock {
public:
    ControlBlockWith(T *object, Deleter deleter) : _object(object), _deleter(std::move(deleter)) {}

private:
    void DestroyObject() noexcept override { _deleter(_object); }
    T *_object;
    Deleter _deleter;
};

struct DefaultDelete {
    template <class T> void operator()(T *object) const noexcept { delete object; }
};

[[noreturn]] void ThrowAlreadyManaged();
[[noreturn]] void ThrowNotManaged();

} // namespace Detail

// Gives an object a weak link to its own control block so that `this` can be
// turned back into a SharedPtr. The link is set when the first SharedPtr
// takes the object and released when the object is destroyed.
class EnableSharedPtrFromThis {
public:
    virtual ~EnableSharedPtrFromThis()
    {
        if (_selfBlock)
            _selfBlock->ReleaseWeak();
    }

    // A SharedPtr to this object as T; throws when the object is not held by
    // a SharedPtr (or is being destroyed).
    template <class T = EnableSharedPtrFromThis> SharedPtr<T> SharedFromThis();

protected:
    EnableSharedPtrFromThis() noexcept = default;
    EnableSharedPtrFromThis(const EnableSharedPtrFromThis &) noexcept {}
    EnableSharedPtrFromThis &operator=(const EnableSharedPtrFromThis &) noexcept { return *this; }

private:
    template <class U> friend class SharedPtr;
    Detail::ControlBlock *_selfBlock = nullptr;
};

// Reference-counted ownership with atomic counts in a separate control block.
template <class T> class SharedPtr {
public:
    using element_type = T;

    constexpr SharedPtr() noexcept = default;
    constexpr SharedPtr(std::nullptr_t) noexcept {}

    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    explicit SharedPtr(U *object) : SharedPtr(object, Detail::DefaultDelete())
    {
    }

    // Takes object with a custom deleter (COM Release, CoTaskMemFree, ...).
    template <class U, class Deleter, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    SharedPtr(U *object, Deleter deleter)
    {
        if (!object)
            return;
        if constexpr (std::is_convertible_v<U *, EnableSharedPtrFromThis *>) {
            EnableSharedPtrFromThis *self = object;
            if (self->_selfBlock)
                Detail::ThrowAlreadyManaged();
        }
        Detail::ControlBlock *block;
        try {
            block = new Detail::ControlBlockWith<U, Deleter>(object, deleter);
        } catch (...) {
            deleter(object);
            throw;
        }
        if constexpr (std::is_convertible_v<U *, EnableSharedPtrFromThis *>) {
            EnableSharedPtrFromThis *self = object;
            block->AddWeak();
            self->_selfBlock = block;
        }
        _object = object;
        _block = block;
    }

    SharedPtr(const SharedPtr &other) noexcept : _object(other._object), _block(other._block)
    {
        if (_block)
            _block->AddStrong();
    }
    SharedPtr(SharedPtr &&other) noexcept : _object(other._object), _block(other._block)
    {
        other._object = nullptr;
        other._block = nullptr;
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    SharedPtr(const SharedPtr<U> &other) noexcept : _object(other._object), _block(other._block)
    {
        if (_block)
            _block->AddStrong();
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    SharedPtr(SharedPtr<U> &&other) noexcept : _object(other._object), _block(other._block)
    {
        other._object = nullptr;
        other._block = nullptr;
    }

    ~SharedPtr()
    {
        if (_block)
            _block->ReleaseStrong();
    }

    SharedPtr &operator=(SharedPtr other) noexcept
    {
        Swap(other);
        return *this;
    }

    void Swap(SharedPtr &other) noexcept
    {
        std::swap(_object, other._object);
        std::swap(_block, other._block);
    }
    void Reset() noexcept { SharedPtr().Swap(*this); }

    T *Get() const noexcept { return _object; }
    T *operator->() const noexcept { return _object; }
    T &operator*() const noexcept { return *_object; }
    explicit operator bool() const noexcept { return _object != nullptr; }
    std::int32_t UseCount() const noexcept { return _block ? _block->StrongCount() : 0; }

    friend bool operator==(const SharedPtr &l, const SharedPtr &r) noexcept { return l._object == r._object; }
    friend bool operator==(const SharedPtr &l, std::nullptr_t) noexcept { return l._object == nullptr; }

private:
    template <class U> friend class SharedPtr;
    template <class U> friend class WeakPtr;
    friend class EnableSharedPtrFromThis;
    template <class U, class V> friend SharedPtr<U> StaticPointerCast(const SharedPtr<V> &) noexcept;
    template <class U, class V> friend SharedPtr<U> DynamicPointerCast(const SharedPtr<V> &) noexcept;

    // Adopts a strong reference that the caller has already counted.
    SharedPtr(T *object, Detail::ControlBlock *block) noexcept : _object(object), _block(block) {}

    T *_object = nullptr;
    Detail::ControlBlock *_block = nullptr;
};

template <class T, class... Args> SharedPtr<T> MakeShared(Args &&...args)
{
    return SharedPtr<T>(new T(std::forward<Args>(args)...));
}

template <class U, class V> SharedPtr<U> StaticPointerCast(const SharedPtr<V> &from) noexcept
{
    if (from._block)
        from._block->AddStrong();
    return SharedPtr<U>(static_cast<U *>(from._object), from._block);
}

// Empty when the object is not a U.
template <class U, class V> SharedPtr<U> DynamicPointerCast(const SharedPtr<V> &from) noexcept
{
    U *object = dynamic_cast<U *>(from._object);
    if (!object)
        return SharedPtr<U>();
    from._block->AddStrong();
    return SharedPtr<U>(object, from._block);
}

// A non-owning reference that can be promoted to a SharedPtr while the object
// lives; promotion never revives an object whose strong count reached 0.
template <class T> class WeakPtr {
public:
    constexpr WeakPtr() noexcept = default;
    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    WeakPtr(const SharedPtr<U> &shared) noexcept : _object(shared._object), _block(shared._block)
    {
        if (_block)
            _block->AddWeak();
    }
    WeakPtr(const WeakPtr &other) noexcept : _object(other._object), _block(other._block)
    {
        if (_block)
            _block->AddWeak();
    }
    WeakPtr(WeakPtr &&other) noexcept : _object(other._object), _block(other._block)
    {
        other._object = nullptr;
        other._block = nullptr;
    }
    ~WeakPtr()
    {
        if (_block)
            _block->ReleaseWeak();
    }
    WeakPtr &operator=(WeakPtr other) noexcept
    {
        std::swap(_object, other._object);
        std::swap(_block, other._block);
        return *this;
    }
    void Reset() noexcept { *this = WeakPtr(); }

    SharedPtr<T> Lock() const
    {
        if (!_block || !_block->TryAddStrong())
            return SharedPtr<T>();
        return SharedPtr<T>(_object, _block);
    }
    bool Expired() const noexcept { return !_block || _block->StrongCount() == 0; }

private:
    T *_object = nullptr;
    Detail::ControlBlock *_block = nullptr;
};

template <class T> SharedPtr<T> EnableSharedPtrFromThis::SharedFromThis()
{
    if (!_selfBlock || !_selfBlock->TryAddStrong())
        Detail::ThrowNotManaged();
    SharedPtr<EnableSharedPtrFromThis> self(this, _selfBlock);
    if constexpr (std::is_same_v<T, EnableSharedPtrFromThis>)
        return self;
    else
        return DynamicPointerCast<T>(self);
}

} // namespace Brintavolex
