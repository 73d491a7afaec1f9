// Shows the wait cursor for as long as an instance lives.
#pragma once

#include "platform/Win32Defs.h"

namespace ui {

class CWaitCursor
{
public:
    // Shows the wait cursor (IDC_WAIT).
    CWaitCursor();
    // Restores the cursor that was current at construction.
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_previous = nullptr;
};

} // namespace ui
