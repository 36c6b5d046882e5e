// flashkit.exe: the Windows desktop program. Settings and plane tables live beside the executable.
#include "platform/programdir.hpp"
#include "win32/mainwindow.hpp"

#include <commctrl.h>
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    INITCOMMONCONTROLSEX controls{.dwSize = sizeof(INITCOMMONCONTROLSEX), .dwICC = ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    fk::win32::MainWindow window(fk::platform::programDirectory());
    if (!window.create(show))
        return 1;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.translate(message))
            continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
