#include "framework/MessageLoop.h"

#include <algorithm>

BOOL CMessageLoop::AddMessageFilter(CMessageFilter* filter) {
    if (filter == nullptr || std::ranges::find(filters_, filter) != filters_.end()) {
        return FALSE;
    }
    filters_.push_back(filter);
    return TRUE;
}

BOOL CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
    const auto found = std::ranges::find(filters_, filter);
    if (found == filters_.end()) {
        return FALSE;
    }
    filters_.erase(found);
    return TRUE;
}

BOOL CMessageLoop::PreTranslateMessage(MSG* msg) {
    // By index: a filter may remove itself (or others) while it runs.
    for (std::size_t i = filters_.size(); i-- > 0;) {
        if (i < filters_.size() && filters_[i]->PreTranslateMessage(msg)) {
            return TRUE;
        }
    }
    return FALSE;
}

int CMessageLoop::Run() {
    MSG msg{};
    for (;;) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) {
            continue;
        }
        if (!got) {
            break;
        }
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
