// Event delegates: callable handlers bound to a free function or to an object and one of its
// member functions, and the owning list in which controls keep them.
#pragma once

#include "ui/core/PtrArray.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace ui {

class CDelegateBase
{
public:
    // Identity of the bound function, wide enough for a pointer to a member function.
    using FunctionKey = std::array<unsigned char, 2 * sizeof(void*)>;

    CDelegateBase(void* object, const FunctionKey& function) : m_object(object), m_function(function) {}
    CDelegateBase(const CDelegateBase& other) = default;
    CDelegateBase& operator=(const CDelegateBase& other) = delete;
    virtual ~CDelegateBase() = default;

    // A new heap copy of the same concrete type; the caller owns it.
    virtual CDelegateBase* Copy() const = 0;
    virtual bool Invoke(void* param) = 0;

    // Same object and same function.
    bool Equals(const CDelegateBase& other) const
    {
        return m_object == other.m_object && m_function == other.m_function;
    }
    bool operator()(void* param) { return Invoke(param); }

    void* GetObject() const { return m_object; }
    const FunctionKey& GetFunction() const { return m_function; }

protected:
    template <typename Fn> static FunctionKey KeyOf(Fn fn)
    {
        static_assert(sizeof(Fn) <= sizeof(FunctionKey), "function pointer too wide");
        FunctionKey key{};
        std::memcpy(key.data(), &fn, sizeof(Fn));
        return key;
    }

private:
    void* m_object;
    FunctionKey m_function;
};

// Wraps a free function; the bound object is null.
class CDelegateStatic : public CDelegateBase
{
public:
    using Fn = bool (*)(void*);

    explicit CDelegateStatic(Fn fn) : CDelegateBase(nullptr, KeyOf(fn)), m_fn(fn) {}
    CDelegateBase* Copy() const override { return new CDelegateStatic(m_fn); }
    bool Invoke(void* param) override { return m_fn(param); }
    Fn Function() const { return m_fn; }

private:
    Fn m_fn;
};

// Wraps an object of class O and a member function of class T (O itself or one of its bases).
template <class O, class T> class CDelegate : public CDelegateBase
{
public:
    using Fn = bool (T::*)(void*);

    CDelegate(O* object, Fn fn) : CDelegateBase(object, KeyOf(fn)), m_object(object), m_fn(fn) {}
    CDelegateBase* Copy() const override { return new CDelegate(m_object, m_fn); }
    bool Invoke(void* param) override { return (m_object->*m_fn)(param); }
    Fn Function() const { return m_fn; }

private:
    O* m_object;
    Fn m_fn;
};

inline CDelegateStatic MakeDelegate(bool (*fn)(void*))
{
    return CDelegateStatic(fn);
}

template <class O, class T> CDelegate<O, T> MakeDelegate(O* object, bool (T::*fn)(void*))
{
    return CDelegate<O, T>(object, fn);
}

// An owning list of delegates (each one a copy made on insertion).
class CDelegateList
{
public:
    CDelegateList() = default;
    CDelegateList(const CDelegateList&) = delete;
    CDelegateList& operator=(const CDelegateList&) = delete;
    ~CDelegateList();

    // Appends a copy unless an equal delegate is already present.
    void AddDelegate(const CDelegateBase& delegate);
    void AddFunction(CDelegateStatic::Fn fn);
    // Destroys and removes the first equal delegate.
    void RemoveDelegate(const CDelegateBase& delegate);
    void RemoveFunction(CDelegateStatic::Fn fn);
    // Calls the delegates in order and stops at the first that returns false; true when none did.
    bool InvokeAll(void* param);
    bool HasAny() const { return !m_delegates.IsEmpty(); }
    int GetSize() const { return m_delegates.GetSize(); }

private:
    CPtrArray m_delegates;
};

} // namespace ui
