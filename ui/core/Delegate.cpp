// CDelegateList: an owning, duplicate-free list of delegates invoked in order.
#include "ui/core/Delegate.h"

namespace ui {

CDelegateList::~CDelegateList()
{
    for (int i = 0; i < m_delegates.GetSize(); ++i) {
        delete static_cast<CDelegateBase*>(m_delegates[i]);
    }
}

void CDelegateList::AddDelegate(const CDelegateBase& delegate)
{
    for (int i = 0; i < m_delegates.GetSize(); ++i) {
        auto* present = static_cast<CDelegateBase*>(m_delegates[i]);
        if (present != nullptr && present->Equals(delegate)) {
            return;
        }
    }
    CDelegateBase* copy = delegate.Copy();
    if (!m_delegates.Add(copy)) {
        delete copy;
    }
}

void CDelegateList::AddFunction(CDelegateStatic::Fn fn)
{
    AddDelegate(CDelegateStatic(fn));
}

void CDelegateList::RemoveDelegate(const CDelegateBase& delegate)
{
    for (int i = 0; i < m_delegates.GetSize(); ++i) {
        auto* present = static_cast<CDelegateBase*>(m_delegates[i]);
        if (present != nullptr && present->Equals(delegate)) {
            m_delegates.RemoveAt(i);
            delete present;
            return;
        }
    }
}

void CDelegateList::RemoveFunction(CDelegateStatic::Fn fn)
{
    RemoveDelegate(CDelegateStatic(fn));
}

bool CDelegateList::InvokeAll(void* param)
{
    // GetAt re-checks the bounds on every step, so a handler that removes delegates from this list
    // does not make the loop read past its end.
    for (int i = 0; i < m_delegates.GetSize(); ++i) {
        auto* delegate = static_cast<CDelegateBase*>(m_delegates.GetAt(i));
        if (delegate != nullptr && !delegate->Invoke(param)) {
            return false;
        }
    }
    return true;
}

} // namespace ui
