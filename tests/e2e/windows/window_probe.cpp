// What the window system itself says about the windows on the desktop, for the Windows
// end-to-end run: the Linux side cannot see inside a wine desktop. Printed in physical
// pixels, one line each, top of the stacking order first:
//   screen W H DPI
//   window HWND OWNER ENABLED LEFT TOP RIGHT BOTTOM CLIENTLEFT CLIENTTOP CLIENTRIGHT CLIENTBOTTOM TITLE
// Usage: pondel-window-probe list
//        pondel-window-probe close TITLE     (what the window's close box does)

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wchar_t* text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? std::size_t(n - 1) : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

std::string titleOf(HWND hwnd)
{
    wchar_t title[512] = {};
    GetWindowTextW(hwnd, title, 512);
    return utf8(title);
}

BOOL CALLBACK printWindow(HWND hwnd, LPARAM)
{
    if (!IsWindowVisible(hwnd))
        return TRUE;
    RECT outer{}, client{};
    GetWindowRect(hwnd, &outer);
    GetClientRect(hwnd, &client);
    POINT topLeft{client.left, client.top}, bottomRight{client.right, client.bottom};
    ClientToScreen(hwnd, &topLeft);
    ClientToScreen(hwnd, &bottomRight);
    std::printf("window %llu %llu %d %ld %ld %ld %ld %ld %ld %ld %ld %s\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)),
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(GetWindow(hwnd, GW_OWNER))),
                IsWindowEnabled(hwnd) ? 1 : 0, outer.left, outer.top, outer.right, outer.bottom, topLeft.x, topLeft.y,
                bottomRight.x, bottomRight.y, titleOf(hwnd).c_str());
    return TRUE;
}

struct Search {
    std::string title;
    HWND found = nullptr;
};

BOOL CALLBACK findWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    if (IsWindowVisible(hwnd) && titleOf(hwnd) == search->title) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    // Physical pixels, as the screen shows them, whatever the desktop's scale.
    using SetContext = BOOL(WINAPI*)(HANDLE);
    if (auto set = reinterpret_cast<SetContext>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext"))))
        set(reinterpret_cast<HANDLE>(-4));  // per monitor, version 2
    else
        SetProcessDPIAware();

    const std::string command = argc > 1 ? utf8(argv[1]) : "";
    if (command == "list") {
        HDC screen = GetDC(nullptr);
        std::printf("screen %d %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                    GetDeviceCaps(screen, LOGPIXELSY));
        ReleaseDC(nullptr, screen);
        EnumWindows(printWindow, 0);
        return 0;
    }
    if (command == "close" && argc > 2) {
        Search search{utf8(argv[2])};
        EnumWindows(findWindow, reinterpret_cast<LPARAM>(&search));
        if (!search.found) {
            std::fprintf(stderr, "no window titled %s\n", search.title.c_str());
            return 1;
        }
        PostMessageW(search.found, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }
    std::fprintf(stderr, "usage: pondel-window-probe list | close TITLE\n");
    return 2;
}
