// The pages of the help dialog: a picture at the top-left and a numbered
// caption in the bottom strip, on the parent dialog's own background.
#pragma once

#include "framework/Gdi.h"
#include "skin/DisplayScale.h"
#include "framework/Window.h"

#include <windows.h>

#include <string>
#include <vector>

class SlideShow : public CWindowImpl<SlideShow, CWinTraits<WS_CHILD | WS_VISIBLE>> {
public:
    // Height of the caption strip at the bottom of the window: two lines. A
    // caption of more lines takes more, over its picture's free lower part.
    static constexpr int kCaptionHeight = 32;

    SlideShow();
    ~SlideShow() override;

    static constexpr const wchar_t* kClassName = L"LunabelSlideShow";
    static WindowClassInfo GetWndClassInfo() {
        WindowClassInfo info;
        info.background = nullptr; // every paint covers the whole window
        return info;
    }

    // Appends a page: caption "<n>. <string `captionId`>", picture `picture`
    // (an IMAGES resource; its alpha is dropped).
    void AddSlide(UINT captionId, const wchar_t* picture);
    // The pictures and caption for a window at `scale`; before the slides are added.
    void SetScale(const DisplayScale& newScale);
    // The strip kept for a caption over a picture that fills the page.
    int CaptionHeight() const { return scale.Edge(kCaptionHeight); }

    // These do not check bounds: the caller keeps the page in range.
    void ShowFirst();
    void ShowPrevious();
    void ShowNext();
    void ShowLast();

    int Current() const { return current; }
    int Count() const { return static_cast<int>(slides.size()); }
    const std::wstring& Caption(int page) const { return slides[page].caption; }
    int PictureHeight(int page) const { return slides[page].height; }
    HFONT CaptionFont() const { return captionFont.Get(); }

    BEGIN_MSG_MAP(SlideShow)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

private:
    struct Slide {
        std::wstring caption;
        gdi::Surface pictureDC; // holds no bitmap when the picture is missing
        int width = 0;
        int height = 0;
    };

    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    void Show(int page);
    void DrawPage(HDC dc, const RECT& client) const;

    gdi::Font captionFont;
    std::vector<Slide> slides;
    DisplayScale scale;
    int current = 0;
};
