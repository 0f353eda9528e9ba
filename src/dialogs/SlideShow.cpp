#include "dialogs/SlideShow.h"

#include "framework/AppModule.h"
#include "skin/CxImage.h"
#include "skin/PaintBuffer.h"

#include <algorithm>
#include <cwchar>
#include <utility>

namespace {
constexpr int kCaptionFontHeight = 11;

gdi::Font MakeCaptionFont(const DisplayScale& scale) {
    return gdi::MakeFont(L"Arial", -scale.FontHeight(kCaptionFontHeight), FW_NORMAL,
                         ANTIALIASED_QUALITY);
}
} // namespace

SlideShow::SlideShow() : captionFont(MakeCaptionFont(DisplayScale())) {}

void SlideShow::SetScale(const DisplayScale& newScale) {
    scale = newScale;
    captionFont = MakeCaptionFont(scale);
}

SlideShow::~SlideShow() = default;

void SlideShow::AddSlide(UINT captionId, const wchar_t* picture) {
    Slide slide;
    wchar_t number[16];
    std::swprintf(number, std::size(number), L"%d. ", Count() + 1);
    slide.caption = number + LoadResourceString(captionId);

    CxImage image;
    image.LoadForScale(picture, scale);
    gdi::WindowDC screen(nullptr);
    slide.pictureDC = gdi::Surface(image.MakeDeviceBitmap(screen.Get()));
    slide.width = image.Width();
    slide.height = image.Height();
    slides.push_back(std::move(slide));
}

void SlideShow::ShowFirst() {
    Show(0);
}
void SlideShow::ShowPrevious() {
    Show(current - 1);
}
void SlideShow::ShowNext() {
    Show(current + 1);
}
void SlideShow::ShowLast() {
    Show(Count() - 1);
}

void SlideShow::Show(int page) {
    current = page;
    Invalidate(TRUE);
}

LRESULT SlideShow::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    const gdi::PaintScope paint(Handle());
    const HDC dc = paint.Get();
    const RECT client = GetClientRect();
    {
        // The whole page every time, at the window's own origin, so the
        // parent's brush lines up with what lies around the window.
        PaintBuffer buffer(dc, client);
        DrawPage(buffer.Get(), client);
    }
    return 0;
}

// The pages belong to one opening: the next starts afresh on page 1.
LRESULT SlideShow::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    slides.clear();
    current = 0;
    return 0;
}

void SlideShow::DrawPage(HDC dc, const RECT& client) const {
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(GetParent(), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(Handle())));
    ::FillRect(dc, &client, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
    if (current < 0 || current >= Count()) {
        return;
    }
    const Slide& slide = slides[current];
    if (slide.pictureDC.GetBitmap()) {
        // A picture larger than the window is cut at the right and bottom.
        ::BitBlt(dc, 0, 0, std::min<int>(slide.width, client.right),
                 std::min<int>(slide.height, client.bottom), slide.pictureDC.Get(), 0, 0, SRCCOPY);
    }
    gdi::SelectGuard font(dc, captionFont.Get());
    // Two lines fill the strip; a longer caption grows it upward, into the
    // room its page's picture leaves.
    RECT needed{};
    ::DrawTextW(dc, slide.caption.c_str(), static_cast<int>(slide.caption.size()), &needed,
                DT_CALCRECT);
    RECT captionRect = client;
    captionRect.top =
        captionRect.bottom - std::max<LONG>(CaptionHeight(), needed.bottom - needed.top);
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, slide.caption.c_str(), static_cast<int>(slide.caption.size()), &captionRect, 0);
}
