#include "text/TextFormat.h"

std::wstring FillPlaceholders(std::wstring_view pattern,
                              std::span<const std::wstring_view> values) {
    std::wstring out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t c = pattern[i];
        if (c != L'%' || i + 1 == pattern.size()) {
            out += c;
            continue;
        }
        const wchar_t next = pattern[i + 1];
        if (next == L'%') {
            out += L'%';
            ++i;
        } else if (next >= L'1' && next <= L'9') {
            const auto index = static_cast<std::size_t>(next - L'1');
            if (index < values.size()) {
                out += values[index];
            }
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

int PluralFormIndex(std::wstring_view language, long long count) {
    const unsigned long long n = count < 0 ? 0ULL - static_cast<unsigned long long>(count)
                                           : static_cast<unsigned long long>(count);
    if (language == L"pl") {
        if (n == 1) {
            return 0;
        }
        const auto lastDigit = n % 10;
        const auto lastTwo = n % 100;
        return lastDigit >= 2 && lastDigit <= 4 && (lastTwo < 12 || lastTwo > 14) ? 1 : 2;
    }
    if (language == L"fr" || language == L"pt") {
        return n <= 1 ? 0 : 1;
    }
    return n == 1 ? 0 : 1;
}

std::wstring_view PickPluralForm(std::wstring_view forms, std::wstring_view language,
                                 long long count) {
    int wanted = PluralFormIndex(language, count);
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = forms.find(L'|', start);
        if (wanted == 0 || bar == std::wstring_view::npos) {
            return forms.substr(start, bar == std::wstring_view::npos ? bar : bar - start);
        }
        start = bar + 1;
        --wanted;
    }
}

std::wstring_view PickDecimalPluralForm(std::wstring_view forms, std::wstring_view language,
                                        long long wholePart) {
    if (language == L"fr" || language == L"pt") {
        return PickPluralForm(forms, language, wholePart);
    }
    const std::size_t bar = forms.rfind(L'|');
    return bar == std::wstring_view::npos ? forms : forms.substr(bar + 1);
}

std::wstring JoinNonEmpty(std::initializer_list<std::wstring> parts, std::wstring_view separator) {
    std::wstring text;
    for (const std::wstring& part : parts) {
        if (part.empty()) {
            continue;
        }
        if (!text.empty()) {
            text += separator;
        }
        text += part;
    }
    return text;
}
