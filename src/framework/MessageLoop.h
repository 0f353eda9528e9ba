// The GUI thread's message loop and the filters that see each message before
// it is translated and dispatched.
#pragma once

#include <windows.h>

#include <vector>

class CMessageFilter {
public:
    // TRUE consumes the message: it is neither translated nor dispatched.
    virtual BOOL PreTranslateMessage(MSG* msg) = 0;

protected:
    ~CMessageFilter() = default;
};

class CMessageLoop {
public:
    BOOL AddMessageFilter(CMessageFilter* filter);
    BOOL RemoveMessageFilter(CMessageFilter* filter);

    // Offers the message to the filters, the latest registered first.
    BOOL PreTranslateMessage(MSG* msg);

    // Runs until WM_QUIT and answers its wParam.
    int Run();

private:
    std::vector<CMessageFilter*> filters_;
};
