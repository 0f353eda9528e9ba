// The application module: the instance handle the windows register their
// classes with, and one message loop per GUI thread.
#pragma once

#include <windows.h>

#include <map>
#include <string>

class CMessageLoop;

class CAppModule {
public:
    CAppModule();
    ~CAppModule();
    CAppModule(const CAppModule&) = delete;
    CAppModule& operator=(const CAppModule&) = delete;

    HRESULT Init(HINSTANCE instance);
    void Term();

    // The module's instance; before Init, the executable's own.
    HINSTANCE GetModuleInstance() const;
    HINSTANCE GetResourceInstance() const { return GetModuleInstance(); }

    // One loop per thread, keyed by the calling thread's id.
    BOOL AddMessageLoop(CMessageLoop* loop);
    BOOL RemoveMessageLoop();
    CMessageLoop* GetMessageLoop(DWORD threadId = ::GetCurrentThreadId()) const;

private:
    HINSTANCE instance_ = nullptr;
    mutable CRITICAL_SECTION lock_;
    std::map<DWORD, CMessageLoop*> loops_;
};

// The process's one module.
CAppModule& AppModule();

// A string of the program's string table; empty when it is missing.
std::wstring LoadResourceString(UINT id);
