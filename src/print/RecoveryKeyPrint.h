// The recovery key on paper: the standard print dialog, then one page with
// the key large and clear and what it is for. The page is drawn from `text`
// (the recovery key's text file: a heading, the key, then the rest, each part
// after an empty line).
#pragma once

#include <windows.h>

#include <string>

#include "framework/PrintJob.h"

// Draws the page; a job of one page.
class RecoveryKeyPage : public CPrintJobInfo {
public:
    explicit RecoveryKeyPage(std::wstring text) : text_(std::move(text)) {}
    bool PrintPage(UINT page, HDC dc) override;

private:
    std::wstring text_;
};

// Tells her when it could not be printed. True once printed.
bool PrintRecoveryKey(HWND owner, const std::wstring& text);
