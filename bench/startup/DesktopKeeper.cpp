// Keeps Wine's desktop open while the start-up benchmark runs. Wine starts a
// desktop process for the first program that needs one and ends it about a
// second after the last such program has gone: without this, every timed
// start would pay for a new desktop, or not, depending on the pause before it.
// Ends when its standard input is closed.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Asking for the desktop window makes Wine start the desktop and wait for it.
    if (::GetDesktopWindow() == nullptr) {
        return 1;
    }
    char buffer[64];
    DWORD read = 0;
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    while (::ReadFile(input, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    }
    return 0;
}
