// Keeps one Wine process with a hidden window alive for the length of a test
// run, so the prefix's helper processes (explorer, services) start once and
// not for every GUI or COM test program. Ends on WM_CLOSE to its window
// (class "WineKeepalive") or when `wineserver -k` ends the prefix.
#include <windows.h>

static LRESULT CALLBACK KeepaliveProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = KeepaliveProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"WineKeepalive";
  if (!RegisterClassW(&wc)) return 1;
  if (!CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr)) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
