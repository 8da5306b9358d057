#include "panel_driver.h"

#include "app_frame.h"

namespace {

struct Search {
  const char *class_name;
  HWND found;
};

BOOL CALLBACK find_own_window(HWND window, LPARAM param) {
  auto *search = reinterpret_cast<Search *>(param);
  char name[64];
  if (GetClassNameA(window, name, sizeof name) && lstrcmpiA(name, search->class_name) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

TimerRequest g_timer_request;
decltype(&SetTimer) g_set_timer;  // user32's own

UINT_PTR WINAPI recording_set_timer(HWND window, UINT_PTR id, UINT period_ms, TIMERPROC proc) {
  g_timer_request = {window, id, period_ms};
  return g_set_timer(window, id, period_ms, proc);
}

// Points this program's import of user32's SetTimer at the recorder: the
// program's code is linked into the test, so its calls go through our own
// import table.
void listen_to_set_timer() {
  static bool done = false;
  if (done) return;
  done = true;
  auto *image = reinterpret_cast<BYTE *>(GetModuleHandleA(nullptr));
  auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(image);
  auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(image + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  auto *desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(image + dir.VirtualAddress);
  for (; desc->Name; ++desc) {
    if (lstrcmpiA(reinterpret_cast<char *>(image + desc->Name), "user32.dll") != 0) continue;
    auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(image + desc->OriginalFirstThunk);
    auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(image + desc->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto *by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(image + names->u1.AddressOfData);
      if (lstrcmpA(reinterpret_cast<char *>(by_name->Name), "SetTimer") != 0) continue;
      g_set_timer = reinterpret_cast<decltype(&SetTimer)>(slots->u1.Function);
      DWORD old;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(recording_set_timer);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
    }
  }
}

}  // namespace

TimerRequest panel_last_timer_request() { return g_timer_request; }

HWND panel_find_own(const char *class_name) {
  Search search = {class_name, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), find_own_window, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND panel_start(const AppFrame *frame) {
  listen_to_set_timer();
  g_timer_request = {};
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA existing;
  if (!GetClassInfoA(instance, frame->class_name, &existing))
    frame_register_class(instance, frame);
  if (!frame_create_main_window(instance, SW_SHOWNORMAL, frame)) return nullptr;
  return panel_find_own(frame->class_name);
}

HWND panel_selector(HWND panel) { return GetDlgItem(panel, 200); }

void panel_close_up_on(HWND panel, int index) {
  HWND selector = panel_selector(panel);
  SendMessageA(selector, CB_SETCURSEL, index, 0);
  SendMessageA(panel, WM_COMMAND, MAKEWPARAM(200, CBN_CLOSEUP),
               reinterpret_cast<LPARAM>(selector));
}

void panel_tick(HWND panel, UINT_PTR timer_id) { SendMessageA(panel, WM_TIMER, timer_id, 0); }

void panel_click(HWND panel, int x, int y) {
  SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}

int panel_exit(HWND panel) {
  SendMessageA(panel, WM_COMMAND, MAKEWPARAM(110, 0), 0);
  DWORD until = GetTickCount() + 1000;
  MSG msg;
  while (GetTickCount() < until) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return -1;
}

void panel_run_for(HWND panel, int ms) {
  (void)panel;
  DWORD until = GetTickCount() + ms;
  MSG msg;
  while (static_cast<int>(until - GetTickCount()) > 0) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

COLORREF panel_pixel(HWND panel, int x, int y) {
  HDC dc = GetDC(panel);
  COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(panel, dc);
  return colour;
}

int panel_count_colour(HWND panel, RECT area, COLORREF colour) {
  HDC dc = GetDC(panel);
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) n += GetPixel(dc, x, y) == colour;
  ReleaseDC(panel, dc);
  return n;
}

void image_render(PanelImage *image, int width, int height, void (*paint)(HDC dc)) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void *bits = nullptr;
  image->dc = CreateCompatibleDC(nullptr);
  image->bitmap = CreateDIBSection(image->dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  image->old = SelectObject(image->dc, image->bitmap);
  image->width = width;
  image->height = height;
  RECT all = {0, 0, width, height};
  FillRect(image->dc, &all, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
  int saved = SaveDC(image->dc);
  paint(image->dc);
  RestoreDC(image->dc, saved);
}

COLORREF image_pixel(const PanelImage *image, int x, int y) { return GetPixel(image->dc, x, y); }

int image_count_colour(const PanelImage *image, RECT area, COLORREF colour) {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) n += GetPixel(image->dc, x, y) == colour;
  return n;
}

void image_free(PanelImage *image) {
  SelectObject(image->dc, image->old);
  DeleteObject(image->bitmap);
  DeleteDC(image->dc);
}
