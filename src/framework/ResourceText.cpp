#include "framework/ResourceText.h"

#include "framework/AppModule.h"
#include "framework/Handle.h"
#include "text/TextFormat.h"

#include <cstdio>
#include <cwctype>
#include <vector>

std::wstring ResourceLanguage() {
    std::wstring language = LoadResourceString(kLanguageStringId);
    return language.empty() ? std::wstring(L"en") : language;
}

std::wstring FormatResourceString(UINT id, std::initializer_list<std::wstring_view> args) {
    return FillPlaceholders(LoadResourceString(id), args);
}

std::wstring FormatCountString(UINT id, long long count,
                               std::initializer_list<std::wstring_view> args) {
    const std::wstring forms = LoadResourceString(id);
    const std::wstring number = std::to_wstring(count);
    std::vector<std::wstring_view> all{number};
    all.insert(all.end(), args.begin(), args.end());
    return FillPlaceholders(PickPluralForm(forms, ResourceLanguage(), count), all);
}

std::wstring SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const win::LocalMemory owned(buffer);
    std::wstring text(buffer ? buffer : L"", buffer ? length : 0);
    while (!text.empty() && std::iswspace(text.back())) {
        text.pop_back();
    }
    return text.empty() ? FormatResourceString(kNoReasonStringId, {std::to_wstring(error)}) : text;
}

std::wstring LocaleNumber(double value, int decimals) {
    wchar_t plain[64] = L"";
    std::swprintf(plain, 64, L"%.*f", decimals, value);
    NUMBERFMTW format{};
    wchar_t decimalSep[8] = L".";
    wchar_t thousandSep[8] = L"";
    ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, decimalSep, 8);
    format.NumDigits = static_cast<UINT>(decimals);
    format.LeadingZero = 1;
    format.Grouping = 0;
    format.lpDecimalSep = decimalSep;
    format.lpThousandSep = thousandSep;
    format.NegativeOrder = 1;
    wchar_t out[64] = L"";
    if (::GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, plain, &format, out, 64) == 0) {
        return plain;
    }
    return out;
}

std::string Utf8(std::wstring_view text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                          size, nullptr, nullptr);
    return bytes;
}
