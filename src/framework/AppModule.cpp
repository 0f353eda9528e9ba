#include "framework/AppModule.h"

namespace {

class Lock {
public:
    explicit Lock(CRITICAL_SECTION& section) : section_(section) {
        ::EnterCriticalSection(&section_);
    }
    ~Lock() { ::LeaveCriticalSection(&section_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION& section_;
};

} // namespace

CAppModule::CAppModule() {
    ::InitializeCriticalSection(&lock_);
}

CAppModule::~CAppModule() {
    ::DeleteCriticalSection(&lock_);
}

HRESULT CAppModule::Init(HINSTANCE instance) {
    instance_ = instance;
    return S_OK;
}

void CAppModule::Term() {
    Lock lock(lock_);
    loops_.clear();
    instance_ = nullptr;
}

HINSTANCE CAppModule::GetModuleInstance() const {
    return instance_ ? instance_ : ::GetModuleHandleW(nullptr);
}

BOOL CAppModule::AddMessageLoop(CMessageLoop* loop) {
    if (loop == nullptr) {
        return FALSE;
    }
    Lock lock(lock_);
    return loops_.emplace(::GetCurrentThreadId(), loop).second ? TRUE : FALSE;
}

BOOL CAppModule::RemoveMessageLoop() {
    Lock lock(lock_);
    return loops_.erase(::GetCurrentThreadId()) ? TRUE : FALSE;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) const {
    Lock lock(lock_);
    const auto found = loops_.find(threadId);
    return found == loops_.end() ? nullptr : found->second;
}

CAppModule& AppModule() {
    // Built on first use, so windows made during static initialisation or by
    // tests that never call Init still find it.
    static CAppModule module;
    return module;
}

std::wstring LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero length LoadStringW hands out the read-only resource itself.
    const int length =
        ::LoadStringW(AppModule().GetResourceInstance(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<std::size_t>(length))
                              : std::wstring();
}
