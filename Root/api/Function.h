#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <typeinfo>
#include <utility>

namespace Brintavolex {

template <class Signature> class Function2;

// Holds one bound callback in place (no heap allocation): as a rule a member
// function of the owner and its target object. Invoking an empty holder does
// nothing (and returns a value-initialised result).
template <class R, class... A> class Function2<R(A...)> {
public:
    Function2() noexcept = default;
    Function2(const Function2 &other) { other.CopyInto(*this); }
    Function2 &operator=(const Function2 &other)
    {
        if (this != &other) {
            Reset();
            other.CopyInto(*this);
        }
        return *this;
    }
    ~Function2() { Reset(); }

    // Binds target->member; replaces whatever the holder held.
    template <class C, class M> void Reset(M member, C *target)
    {
        static_assert(std::is_member_function_pointer_v<M>, "bind a member function");
        Emplace<MemberFunctor<C, M>>(target, member);
    }
    // Binds a small callable (a lambda capturing at most a few pointers);
    // two such holders are equal only when they are the same holder.
    template <class F> void ResetCallable(F callable) { Emplace<CallableFunctor<F>>(std::move(callable)); }

    void Reset() noexcept
    {
        if (_set) {
            Functor()->~IFunctor();
            _set = false;
        }
    }

    R operator()(A... arguments) const
    {
        if (!_set) {
            if constexpr (std::is_void_v<R>)
                return;
            else
                return R{};
        }
        return Functor()->Invoke(std::forward<A>(arguments)...);
    }

    explicit operator bool() const noexcept { return _set; }

    // Two empty holders are equal; bound ones when they bind the same member
    // function to the same target.
    friend bool operator==(const Function2 &l, const Function2 &r) noexcept
    {
        if (!l._set || !r._set)
            return l._set == r._set;
        return l.Functor()->Equals(*r.Functor());
    }

private:
    struct IFunctor {
        virtual ~IFunctor() = default;
        virtual R Invoke(A... arguments) const = 0;
        virtual bool Equals(const IFunctor &other) const noexcept = 0;
        virtual void CopyInto(void *storage) const = 0;
    };

    template <class C, class M> struct MemberFunctor final : IFunctor {
        MemberFunctor(C *target, M member) : target(target), member(member) {}
        R Invoke(A... arguments) const override { return (target->*member)(std::forward<A>(arguments)...); }
        bool Equals(const IFunctor &other) const noexcept override
        {
            if (typeid(other) != typeid(*this))
                return false;
            const auto &o = static_cast<const MemberFunctor &>(other);
            return o.target == target && o.member == member;
        }
        void CopyInto(void *storage) const override { new (storage) MemberFunctor(*this); }
        C *target;
        M member;
    };

    template <class F> struct CallableFunctor final : IFunctor {
        explicit CallableFunctor(F callable) : callable(std::move(callable)) {}
        R Invoke(A... arguments) const override { return callable(std::forward<A>(arguments)...); }
        bool Equals(const IFunctor &other) const noexcept override { return &other == this; }
        void CopyInto(void *storage) const override { new (storage) CallableFunctor(*this); }
        F callable;
    };

    template <class Impl, class... Args> void Emplace(Args &&...args)
    {
        static_assert(sizeof(Impl) <= sizeof(_storage), "callback does not fit in place");
        static_assert(alignof(Impl) <= alignof(std::max_align_t), "callback alignment");
        Reset();
        new (_storage) Impl(std::forward<Args>(args)...);
        _set = true;
    }

    void CopyInto(Function2 &target) const
    {
        if (_set) {
            Functor()->CopyInto(target._storage);
            target._set = true;
        }
    }

    IFunctor *Functor() const noexcept
    {
        return std::launder(reinterpret_cast<IFunctor *>(const_cast<unsigned char *>(_storage)));
    }

    alignas(std::max_align_t) unsigned char _storage[4 * sizeof(void *)];
    bool _set = false;
};

// A widget event that passes the widget itself: Function<Button&>.
template <class T> class Function : public Function2<void(T)> {
    static_assert(std::is_reference_v<T>, "Function<T&> passes a reference");
};

} // namespace Brintavolex
