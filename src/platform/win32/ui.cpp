// Windows created in code: one window class for forms, one for panels (so that the commands of
// the buttons on a panel reach us), and the standard STATIC, BUTTON and EDIT controls.
#include "platform/ui.h"

#include <windows.h>
// The A/W macro would rename our own function.
#undef MessageBox

#include <cstring>
#include <exception>
#include <unordered_map>

namespace vantorel::platform::ui {

namespace {

constexpr char kFormClass[] = "VantorelForm";
constexpr char kPanelClass[] = "VantorelPanel";
constexpr UINT_PTR kAnswerTimer = 0x5654;

struct WindowData {
  FormEvents events;
  std::function<void()> clicked;
  std::function<void()> changed;
  bool is_form = false;
  int default_id = 0;  // forms: the control id Enter presses
};

std::unordered_map<HWND, WindowData>& Data() {
  static std::unordered_map<HWND, WindowData> data;
  return data;
}

WindowData* Find(HWND hwnd) {
  auto it = Data().find(hwnd);
  return it == Data().end() ? nullptr : &it->second;
}

HWND H(Window w) {
  return reinterpret_cast<HWND>(w);
}
Window W(HWND h) {
  return reinterpret_cast<Window>(h);
}

// An exception thrown by a callback must not unwind through the system's frames: it is kept
// and thrown again once DispatchMessage has returned.
std::exception_ptr g_pending;
template <class F>
void Guarded(F&& f) {
  try {
    f();
  } catch (...) {
    if (!g_pending) g_pending = std::current_exception();
  }
}
void ThrowPending() {
  if (g_pending) {
    std::exception_ptr e = g_pending;
    g_pending = nullptr;
    std::rethrow_exception(e);
  }
}

HCURSOR g_cursor = nullptr;  // nullptr: the class cursor
int g_next_id = 100;

std::string g_answer_caption;
int g_answer_id = 0;

LRESULT HandleCommand(WPARAM wparam, LPARAM lparam) {
  HWND child = reinterpret_cast<HWND>(lparam);
  if (child == nullptr) return 0;
  WindowData* data = Find(child);
  if (data == nullptr) return 0;
  WORD code = HIWORD(wparam);
  if (code == BN_CLICKED && data->clicked) {
    auto clicked = data->clicked;  // the callback may destroy the window and its data
    Guarded(clicked);
  } else if (code == EN_CHANGE && data->changed) {
    auto changed = data->changed;
    Guarded(changed);
  }
  return 0;
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_COMMAND:
      if (lparam == 0 && LOWORD(wparam) == IDOK) {
        // Enter in the dialog navigation: press the default button.
        if (WindowData* data = Find(hwnd); data != nullptr && data->default_id != 0) {
          if (HWND button = GetDlgItem(hwnd, data->default_id); button != nullptr)
            PostMessageA(button, BM_CLICK, 0, 0);
        }
        return 0;
      }
      return HandleCommand(wparam, lparam);
    case WM_ACTIVATE:
      if (WindowData* data = Find(hwnd); data != nullptr && data->events.activated) {
        auto activated = data->events.activated;
        bool active = LOWORD(wparam) != WA_INACTIVE;
        Guarded([&] { activated(active); });
      }
      break;
    case WM_CLOSE:
      if (WindowData* data = Find(hwnd); data != nullptr && data->events.close_requested) {
        auto close = data->events.close_requested;
        Guarded(close);
      }
      return 0;
    case WM_SIZE:
      if (WindowData* data = Find(hwnd); data != nullptr && data->events.resized) {
        RECT r;
        GetWindowRect(hwnd, &r);
        auto resized = data->events.resized;
        Guarded([&] { resized(r.right - r.left, r.bottom - r.top); });
      }
      break;
    case WM_SETCURSOR:
      if (g_cursor != nullptr) {
        SetCursor(g_cursor);
        return TRUE;
      }
      break;
    case WM_NCDESTROY:
      Data().erase(hwnd);
      break;
  }
  return DefWindowProcA(hwnd, msg, wparam, lparam);
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_COMMAND:
      return HandleCommand(wparam, lparam);
    case WM_SETCURSOR:
      if (g_cursor != nullptr) {
        SetCursor(g_cursor);
        return TRUE;
      }
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT r;
      GetClientRect(hwnd, &r);
      DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RECT);
      char text[512];
      int n = GetWindowTextA(hwnd, text, sizeof text);
      if (n > 0) {
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        DrawTextA(dc, text, n, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, old);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_NCDESTROY:
      Data().erase(hwnd);
      break;
  }
  return DefWindowProcA(hwnd, msg, wparam, lparam);
}

void RegisterClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FormProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  wc.lpszClassName = kFormClass;
  RegisterClassExA(&wc);
  wc.lpfnWndProc = PanelProc;
  wc.hIcon = nullptr;
  wc.lpszClassName = kPanelClass;
  RegisterClassExA(&wc);
}

void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR id, DWORD) {
  if (g_answer_id == 0) {
    KillTimer(nullptr, id);
    return;
  }
  HWND window = FindWindowA(nullptr, g_answer_caption.c_str());
  if (window == nullptr || !IsWindowVisible(window)) return;
  DWORD pid = 0;
  if (GetWindowThreadProcessId(window, &pid) != GetCurrentThreadId()) return;
  if (HWND button = GetDlgItem(window, g_answer_id); button != nullptr)
    PostMessageA(button, BM_CLICK, 0, 0);
  else
    PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(g_answer_id), 0);
  g_answer_id = 0;
  KillTimer(nullptr, id);
}

}  // namespace

bool Available() {
  return true;
}

Window CreateFormWindow(Window owner, const std::string& caption, const Rect& bounds,
                        const FormStyle& style, FormEvents events) {
  RegisterClasses();
  DWORD ws = WS_CLIPCHILDREN;
  DWORD ex = 0;
  if (style.caption) ws |= WS_CAPTION;
  if (style.system_menu) ws |= WS_SYSMENU;
  if (style.dialog_frame) {
    ws |= WS_POPUP | DS_MODALFRAME;
    ex |= WS_EX_DLGMODALFRAME;
  } else {
    ws |= WS_OVERLAPPED;
    if (style.sizeable) ws |= WS_THICKFRAME;
    if (style.minimize_box) ws |= WS_MINIMIZEBOX;
    if (style.maximize_box) ws |= WS_MAXIMIZEBOX;
  }
  if (!style.caption && !style.sizeable && !style.dialog_frame) ws = WS_POPUP | WS_CLIPCHILDREN;
  // The data must exist before the first messages (WM_SIZE, WM_ACTIVATE) arrive.
  HWND hwnd =
      CreateWindowExA(ex, kFormClass, caption.c_str(), ws, bounds.left, bounds.top, bounds.width,
                      bounds.height, H(owner), nullptr, GetModuleHandleA(nullptr), nullptr);
  if (hwnd == nullptr) return 0;
  WindowData& data = Data()[hwnd];
  data.events = std::move(events);
  data.is_form = true;
  return W(hwnd);
}

Window CreateControl(Window parent, ControlKind kind, const std::string& text, const Rect& bounds,
                     std::function<void()> clicked, std::function<void()> changed) {
  RegisterClasses();
  const char* cls = "STATIC";
  DWORD ws = WS_CHILD | WS_VISIBLE;
  DWORD ex = 0;
  switch (kind) {
    case ControlKind::Label:
      cls = "STATIC";
      ws |= SS_LEFT | SS_NOPREFIX;
      break;
    case ControlKind::Button:
      cls = "BUTTON";
      ws |= BS_PUSHBUTTON | WS_TABSTOP;
      break;
    case ControlKind::Edit:
      cls = "EDIT";
      ws |= ES_AUTOHSCROLL | WS_TABSTOP;
      ex |= WS_EX_CLIENTEDGE;
      break;
    case ControlKind::Image:
      cls = "STATIC";
      ws |= SS_BITMAP;
      break;
    case ControlKind::Panel:
      cls = kPanelClass;
      ws |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
      ex |= WS_EX_CONTROLPARENT;
      break;
  }
  int id = g_next_id++;
  HWND hwnd = CreateWindowExA(
      ex, cls, text.c_str(), ws, bounds.left, bounds.top, bounds.width, bounds.height, H(parent),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  if (hwnd == nullptr) return 0;
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  WindowData& data = Data()[hwnd];
  data.clicked = std::move(clicked);
  data.changed = std::move(changed);
  return W(hwnd);
}

bool SetImage(Window image, const std::vector<uint8_t>& bitmap) {
  HWND hwnd = H(image);
  HBITMAP shown = nullptr;
  size_t offset = bitmap.size() >= 2 && bitmap[0] == 'B' && bitmap[1] == 'M' ? 14 : 0;
  if (bitmap.size() >= offset + sizeof(BITMAPINFOHEADER)) {
    BITMAPINFOHEADER header;
    std::memcpy(&header, bitmap.data() + offset, sizeof header);
    size_t colours = header.biClrUsed != 0    ? header.biClrUsed
                     : header.biBitCount <= 8 ? size_t{1} << header.biBitCount
                                              : 0;
    size_t bits = offset + header.biSize + colours * sizeof(RGBQUAD);
    size_t stride = (static_cast<size_t>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    size_t rows = static_cast<size_t>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
    // A picture whose pixels are not all there is not shown rather than read past its end.
    if (header.biSize >= sizeof(BITMAPINFOHEADER) && header.biWidth > 0 && bits <= bitmap.size() &&
        stride * rows <= bitmap.size() - bits) {
      HDC screen = GetDC(nullptr);
      shown = CreateDIBitmap(screen, &header, CBM_INIT, bitmap.data() + bits,
                             reinterpret_cast<const BITMAPINFO*>(bitmap.data() + offset),
                             DIB_RGB_COLORS);
      ReleaseDC(nullptr, screen);
    }
  }
  auto old = reinterpret_cast<HBITMAP>(
      SendMessageA(hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown)));
  if (old != nullptr && old != shown) DeleteObject(old);
  return shown != nullptr;
}

void DestroyWindow(Window window) {
  if (window == 0) return;
  HWND hwnd = H(window);
  // Child controls of the standard classes never see our WM_NCDESTROY: forget them here.
  for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    Data().erase(child);
  ::DestroyWindow(hwnd);
  Data().erase(hwnd);
}

void SetText(Window window, const std::string& text) {
  SetWindowTextA(H(window), text.c_str());
}

std::string GetText(Window window) {
  int n = GetWindowTextLengthA(H(window));
  std::string text(static_cast<size_t>(n < 0 ? 0 : n) + 1, '\0');
  int got = GetWindowTextA(H(window), text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(got < 0 ? 0 : got));
  return text;
}

void SetBounds(Window window, const Rect& b) {
  SetWindowPos(H(window), nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

Rect GetBounds(Window window) {
  RECT r;
  if (!GetWindowRect(H(window), &r)) return {};
  HWND parent = GetParent(H(window));
  POINT p{r.left, r.top};
  if (parent != nullptr && (GetWindowLongA(H(window), GWL_STYLE) & WS_CHILD)) {
    ScreenToClient(parent, &p);
  }
  return Rect{p.x, p.y, r.right - r.left, r.bottom - r.top};
}

void SetVisible(Window window, bool visible) {
  ::ShowWindow(H(window), visible ? SW_SHOWNA : SW_HIDE);
}

void SetEnabled(Window window, bool enabled) {
  EnableWindow(H(window), enabled ? TRUE : FALSE);
}

void SetDefaultButton(Window button, bool is_default) {
  HWND hwnd = H(button);
  SendMessageA(hwnd, BM_SETSTYLE, is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  HWND top = GetAncestor(hwnd, GA_ROOT);
  if (WindowData* data = Find(top); data != nullptr) {
    int id = GetDlgCtrlID(hwnd);
    if (is_default)
      data->default_id = id;
    else if (data->default_id == id)
      data->default_id = 0;
  }
}

void ShowWindow(Window window, ShowState state) {
  int command = SW_HIDE;
  switch (state) {
    case ShowState::Hidden:
      command = SW_HIDE;
      break;
    case ShowState::Normal:
      command = SW_SHOWNORMAL;
      break;
    case ShowState::Minimized:
      command = SW_SHOWMINIMIZED;
      break;
    case ShowState::Maximized:
      command = SW_SHOWMAXIMIZED;
      break;
  }
  ::ShowWindow(H(window), command);
  if (state != ShowState::Hidden) UpdateWindow(H(window));
}

void BringToFront(Window window) {
  SetWindowPos(H(window), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(H(window));
}

void Repaint(Window window) {
  InvalidateRect(H(window), nullptr, TRUE);
  UpdateWindow(H(window));
}

Rect ScreenRect() {
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

int CaptionHeight() {
  return GetSystemMetrics(SM_CYCAPTION);
}

void SetCursor(SystemCursor cursor) {
  int id = 32512;  // IDC_ARROW
  switch (cursor) {
    case SystemCursor::Arrow:
      id = 32512;
      break;
    case SystemCursor::Wait:
      id = 32514;  // IDC_WAIT
      break;
    case SystemCursor::AppStarting:
      id = 32650;
      break;
    case SystemCursor::IBeam:
      id = 32513;
      break;
    case SystemCursor::Cross:
      id = 32515;
      break;
    case SystemCursor::Hand:
      id = 32649;
      break;
    case SystemCursor::No:
      id = 32648;
      break;
    case SystemCursor::Help:
      id = 32651;
      break;
  }
  g_cursor = cursor == SystemCursor::Arrow ? nullptr : LoadCursorA(nullptr, MAKEINTRESOURCEA(id));
  ::SetCursor(g_cursor != nullptr ? g_cursor : LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
}

namespace {

bool Dispatch(MSG& msg) {
  HWND top = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  WindowData* data = top != nullptr ? Find(top) : nullptr;
  // Tab between controls and Enter for the default button, as in a dialog box.
  if (data != nullptr && data->is_form && IsDialogMessageA(top, &msg)) {
    ThrowPending();
    return true;
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  ThrowPending();
  return true;
}

}  // namespace

bool HandleMessage(bool wait) {
  MSG msg;
  if (wait) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    return Dispatch(msg);
  }
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
  if (msg.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    return false;
  }
  return Dispatch(msg);
}

bool HandleWaitingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    Dispatch(msg);
  }
  return true;
}

void PostQuit(int exit_code) {
  PostQuitMessage(exit_code);
}

int MessageBox(Window owner, const std::string& text, const std::string& caption, unsigned flags) {
  return MessageBoxA(H(owner), text.c_str(), caption.c_str(), flags);
}

void AnswerNextDialogForTesting(const std::string& caption, int button_id) {
  g_answer_caption = caption;
  g_answer_id = button_id;
  SetTimer(nullptr, kAnswerTimer, 50, AnswerTimer);
}

}  // namespace vantorel::platform::ui
