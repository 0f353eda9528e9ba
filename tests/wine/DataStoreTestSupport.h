// A private folder under %TEMP% for each test, and a file held open in it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"

namespace datastore_test {

// Holds a file open with the given sharing for as long as it lives.
class HeldFile {
public:
    HeldFile(const std::wstring& path, DWORD share)
        : handle_(CreateFileW(Extended(path).c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldFile() { Release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Release() {
        if (Held()) {
            CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }

private:
    HANDLE handle_;
};

class TempFolderTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
        static int counter = 0;
        folder_ = std::wstring(temp) + L"LunabelDataStoreTest-" +
                  std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        RemoveTree(folder_);
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    }
    void TearDown() override { RemoveTree(folder_); }

    std::wstring In(const std::wstring& name) const { return folder_ + L"\\" + name; }

    std::wstring folder_;
};

} // namespace datastore_test
