// Windows created in code: one window class for forms, one for panels (so that the commands of
// the buttons on a panel reach us), and the standard STATIC, BUTTON and EDIT controls.
// Every window is a Unicode window: a text comes in the code page of its language and is shown
// as such whatever the system's own code page is (a Russian install on a Western Windows).
#include "platform/ui.h"

#include <windows.h>
// windows.h first: the common controls need its types.
#include <commctrl.h>
// The A/W macro would rename our own function.
#undef MessageBox

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <exception>
#include <map>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/code_page.h"

namespace vantorel::platform::ui {

namespace {

constexpr wchar_t kFormClass[] = L"VantorelForm";
constexpr wchar_t kPanelClass[] = L"VantorelPanel";
constexpr UINT_PTR kAnswerTimer = 0x5654;

struct WindowData {
  FormEvents events;
  std::function<void()> clicked;
  std::function<void()> changed;
  bool is_form = false;
  int default_id = 0;  // forms: the control id Enter presses
  // Panels and bevels: the edges they draw, and the font of their caption.
  Frame frame;
  HFONT font = nullptr;
  // Buttons with a glyph are drawn by us; the bitmap holds `glyphs` glyphs side by side.
  HBITMAP glyph = nullptr;
  int glyphs = 0;
  bool is_default = false;
  // Images.
  bool transparent = false;
  // The code page of the window's texts, from its font; 0: the texts' code page. The bytes
  // last set, so that a change of code page shows them anew without a lossy round trip.
  unsigned code_page = 0;
  std::string text;
  bool is_edit = false;  // its text is the user's: read back from the window
  bool wraps = false;    // a word-wrapped label
  HFONT applied_font = nullptr;
  ~WindowData() {
    if (glyph != nullptr) DeleteObject(glyph);
  }
  WindowData() = default;
  WindowData(const WindowData&) = delete;
  WindowData& operator=(const WindowData&) = delete;
};

std::unordered_map<HWND, WindowData>& Data() {
  static std::unordered_map<HWND, WindowData> data;
  return data;
}

WindowData* Find(HWND hwnd) {
  auto it = Data().find(hwnd);
  return it == Data().end() ? nullptr : &it->second;
}

unsigned g_text_code_page = 0;

// A code page the system can convert, else the system's own.
unsigned Usable(unsigned code_page) {
  return code_page != 0 && IsValidCodePage(code_page) ? code_page : CP_ACP;
}

unsigned CodePageOf(HWND hwnd) {
  const WindowData* data = hwnd != nullptr ? Find(hwnd) : nullptr;
  return Usable(data != nullptr && data->code_page != 0 ? data->code_page : g_text_code_page);
}

// Bytes the code page leaves undefined become the replacement character rather than losing the
// whole text.
std::wstring Widen(std::string_view text, unsigned code_page) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int wide_length = MultiByteToWideChar(code_page, 0, text.data(), length, nullptr, 0);
  if (wide_length <= 0) return {};
  std::wstring wide(static_cast<size_t>(wide_length), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), length, wide.data(), wide_length);
  return wide;
}

std::string Narrow(std::wstring_view wide, unsigned code_page) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int narrow_length =
      WideCharToMultiByte(code_page, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (narrow_length <= 0) return {};
  std::string text(static_cast<size_t>(narrow_length), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), length, text.data(), narrow_length, nullptr,
                      nullptr);
  return text;
}

std::wstring WindowTextW(HWND hwnd);
std::wstring WrapWideText(HWND hwnd, const std::wstring& text);

// Shows the window's bytes in its code page, a wrapped label with its line breaks.
void ShowText(HWND hwnd, const WindowData& data) {
  std::wstring wide = Widen(data.text, CodePageOf(hwnd));
  if (data.wraps) wide = WrapWideText(hwnd, wide);
  SetWindowTextW(hwnd, wide.c_str());
}

std::wstring WindowTextW(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n < 0 ? 0 : n) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(got < 0 ? 0 : got));
  return text;
}

// Where a line may break in East Asian text, which has no spaces between its words: between
// two characters of which one is wide, except before closing and after opening punctuation.
bool IsWide(wchar_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF);
}
bool NoBreakBefore(wchar_t c) {
  return c != 0 && std::wcschr(L"\u3001\u3002\uFF0C\uFF0E\u30FB\uFF1A\uFF1B\uFF1F\uFF01\uFF09"
                              L"\u300D\u300F\u3011\u3009\u300B\u30FC\u3005,.!?:;)]}",
                              c) != nullptr;
}
bool NoBreakAfter(wchar_t c) {
  return c != 0 && std::wcschr(L"\uFF08\u300C\u300E\u3010\u3008\u300A([{", c) != nullptr;
}

// The system's labels wrap only at spaces (and Wine's do so in every language): East Asian
// text gets its line breaks here, measured in the font selected into `dc`.
std::wstring WrapLines(HDC dc, const std::wstring& text, LONG width) {
  if (width <= 0 || std::none_of(text.begin(), text.end(), IsWide)) return text;
  auto measure = [&](size_t from, size_t to) {
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, text.data() + from, static_cast<int>(to - from), &size);
    return size.cx;
  };
  std::wstring out;
  size_t line = 0, last_break = std::wstring::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\r' || c == L'\n') {
      out.append(text, line, i + 1 - line);
      line = i + 1;
      last_break = std::wstring::npos;
      continue;
    }
    if (i > line) {
      const wchar_t previous = text[i - 1];
      if (previous == L' ' || ((IsWide(previous) || IsWide(c)) && !NoBreakBefore(c) &&
                               !NoBreakAfter(previous)))
        last_break = i;
    }
    if (last_break != std::wstring::npos && last_break > line && measure(line, i + 1) > width) {
      size_t end = last_break;
      while (end > line && text[end - 1] == L' ') --end;
      out.append(text, line, end - line);
      out += L"\r\n";
      line = last_break;
      last_break = std::wstring::npos;
    }
  }
  out.append(text, line, std::wstring::npos);
  return out;
}

// A label's text with its line breaks, in the label's own font and width.
std::wstring WrapWideText(HWND hwnd, const std::wstring& text) {
  if (std::none_of(text.begin(), text.end(), IsWide)) return text;
  RECT client;
  GetClientRect(hwnd, &client);
  HDC dc = GetDC(hwnd);
  auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  std::wstring out = WrapLines(dc, text, client.right - client.left);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return out;
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

// A device-dependent copy of a DIB (with or without its file header); nullptr when the bytes
// are not a whole bitmap. `face`: the colour of the lower-left pixel becomes the button face.
HBITMAP MakeBitmap(const std::vector<uint8_t>& bitmap, bool face) {
  size_t offset = bitmap.size() >= 2 && bitmap[0] == 'B' && bitmap[1] == 'M' ? 14 : 0;
  if (bitmap.size() < offset + sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPINFOHEADER header;
  std::memcpy(&header, bitmap.data() + offset, sizeof header);
  size_t colours = header.biClrUsed != 0    ? header.biClrUsed
                   : header.biBitCount <= 8 ? size_t{1} << header.biBitCount
                                            : 0;
  size_t bits = offset + header.biSize + colours * sizeof(RGBQUAD);
  size_t stride = (static_cast<size_t>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
  size_t rows = static_cast<size_t>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
  // A picture whose pixels are not all there is not shown rather than read past its end.
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biWidth <= 0 || bits > bitmap.size() ||
      stride * rows > bitmap.size() - bits)
    return nullptr;
  std::vector<uint8_t> info(bitmap.begin() + static_cast<ptrdiff_t>(offset),
                            bitmap.begin() + static_cast<ptrdiff_t>(bits));
  if (face && colours > 0 && rows > 0 && (header.biBitCount == 4 || header.biBitCount == 8) &&
      header.biCompression == BI_RGB) {
    // The lower-left pixel is the first of the first row of a bottom-up DIB.
    const uint8_t* first = bitmap.data() + bits;
    size_t index = header.biBitCount == 8 ? first[0] : first[0] >> 4;
    if (header.biHeight < 0) {
      const uint8_t* last = first + stride * (rows - 1);
      index = header.biBitCount == 8 ? last[0] : last[0] >> 4;
    }
    if (index < colours) {
      COLORREF c = GetSysColor(COLOR_BTNFACE);
      RGBQUAD q{GetBValue(c), GetGValue(c), GetRValue(c), 0};
      std::memcpy(info.data() + header.biSize + index * sizeof(RGBQUAD), &q, sizeof q);
    }
  }
  HDC screen = GetDC(nullptr);
  HBITMAP made = CreateDIBitmap(screen, &header, CBM_INIT, bitmap.data() + bits,
                                reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return made;
}

// A push button with a glyph left of its caption, drawn as the system draws its buttons.
BOOL DrawGlyphButton(const DRAWITEMSTRUCT& item) {
  WindowData* data = Find(item.hwndItem);
  if (data == nullptr || data->glyph == nullptr) return FALSE;
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pushed = item.itemState & ODS_SELECTED;
  const bool disabled = item.itemState & ODS_DISABLED;
  const bool focus = item.itemState & ODS_FOCUS;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  if (data->is_default || focus) {
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&r, -1, -1);
  }
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

  const std::wstring text = WindowTextW(item.hwndItem);
  const int n = static_cast<int>(text.size());
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
  HGDIOBJ old_font = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  RECT measured{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), n, &measured, DT_SINGLELINE | DT_CALCRECT);
  BITMAP bm;
  GetObjectW(data->glyph, sizeof bm, &bm);
  const int glyph_w = bm.bmWidth / (data->glyphs > 0 ? data->glyphs : 1), glyph_h = bm.bmHeight;
  const int spacing = n > 0 ? 4 : 0;
  const int total = glyph_w + spacing + (measured.right - measured.left);
  const int shift = pushed ? 1 : 0;
  int x = r.left + (r.right - r.left - total) / 2 + shift;
  const int y = r.top + (r.bottom - r.top - glyph_h) / 2 + shift;
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old_bitmap = SelectObject(memory, data->glyph);
  const int slice = disabled && data->glyphs > 1 ? 1 : 0;
  BitBlt(dc, x, y, glyph_w, glyph_h, memory, slice * glyph_w, 0, SRCCOPY);
  SelectObject(memory, old_bitmap);
  DeleteDC(memory);
  x += glyph_w + spacing;
  RECT text_rect{x, r.top + shift, r.right - 2, r.bottom + shift};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  DrawTextW(dc, text.c_str(), n, &text_rect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  SelectObject(dc, old_font);
  if (focus) {
    RECT f = r;
    InflateRect(&f, -3, -3);
    DrawFocusRect(dc, &f);
  }
  return TRUE;
}

void PaintFrame(HDC dc, RECT r, const Frame& frame) {
  if (frame.single_line) {
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&r, -1, -1);
  }
  UINT sides = (frame.sides & kSideLeft ? BF_LEFT : 0) | (frame.sides & kSideTop ? BF_TOP : 0) |
               (frame.sides & kSideRight ? BF_RIGHT : 0) |
               (frame.sides & kSideBottom ? BF_BOTTOM : 0);
  auto shrink = [&] {
    if (frame.sides & kSideLeft) ++r.left;
    if (frame.sides & kSideTop) ++r.top;
    if (frame.sides & kSideRight) --r.right;
    if (frame.sides & kSideBottom) --r.bottom;
  };
  if (frame.outer != Edge::None) {
    DrawEdge(dc, &r, frame.outer == Edge::Raised ? BDR_RAISEDOUTER : BDR_SUNKENOUTER, sides);
    shrink();
  }
  if (frame.inner != Edge::None)
    DrawEdge(dc, &r, frame.inner == Edge::Raised ? BDR_RAISEDINNER : BDR_SUNKENINNER, sides);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_DRAWITEM:
      if (DrawGlyphButton(*reinterpret_cast<DRAWITEMSTRUCT*>(lparam))) return TRUE;
      break;
    case WM_COMMAND:
      if (lparam == 0 && LOWORD(wparam) == IDOK) {
        // Enter in the dialog navigation: press the default button.
        if (WindowData* data = Find(hwnd); data != nullptr && data->default_id != 0) {
          if (HWND button = GetDlgItem(hwnd, data->default_id); button != nullptr)
            PostMessageW(button, BM_CLICK, 0, 0);
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
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_COMMAND:
      return HandleCommand(wparam, lparam);
    case WM_DRAWITEM:
      if (DrawGlyphButton(*reinterpret_cast<DRAWITEMSTRUCT*>(lparam))) return TRUE;
      break;
    case WM_SETFONT:
      if (WindowData* data = Find(hwnd)) data->font = reinterpret_cast<HFONT>(wparam);
      return 0;
    case WM_GETFONT:
      if (WindowData* data = Find(hwnd)) return reinterpret_cast<LRESULT>(data->font);
      return 0;
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
      WindowData* data = Find(hwnd);
      if (data != nullptr) PaintFrame(dc, r, data->frame);
      const std::wstring text = WindowTextW(hwnd);
      const int n = static_cast<int>(text.size());
      if (n > 0) {
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ font = data != nullptr && data->font != nullptr ? static_cast<HGDIOBJ>(data->font)
                                                                : GetStockObject(DEFAULT_GUI_FONT);
        HGDIOBJ old = SelectObject(dc, font);
        DrawTextW(dc, text.c_str(), n, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(dc, old);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_NCDESTROY:
      Data().erase(hwnd);
      break;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

void RegisterClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FormProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  wc.lpszClassName = kFormClass;
  RegisterClassExW(&wc);
  wc.lpfnWndProc = PanelProc;
  wc.hIcon = nullptr;
  wc.lpszClassName = kPanelClass;
  RegisterClassExW(&wc);
}

void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR id, DWORD) {
  if (g_answer_id == 0) {
    KillTimer(nullptr, id);
    return;
  }
  HWND window = FindWindowW(nullptr, Widen(g_answer_caption, Usable(g_text_code_page)).c_str());
  if (window == nullptr || !IsWindowVisible(window)) return;
  DWORD pid = 0;
  if (GetWindowThreadProcessId(window, &pid) != GetCurrentThreadId()) return;
  if (HWND button = GetDlgItem(window, g_answer_id); button != nullptr)
    PostMessageW(button, BM_CLICK, 0, 0);
  else
    PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(g_answer_id), 0);
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
  if (style.topmost) ex |= WS_EX_TOPMOST;
  // The data must exist before the first messages (WM_SIZE, WM_ACTIVATE) arrive.
  HWND hwnd = CreateWindowExW(ex, kFormClass, Widen(caption, CodePageOf(nullptr)).c_str(), ws,
                              bounds.left, bounds.top, bounds.width, bounds.height, H(owner),
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  if (hwnd == nullptr) return 0;
  WindowData& data = Data()[hwnd];
  data.events = std::move(events);
  data.is_form = true;
  data.text = caption;
  return W(hwnd);
}

Window CreateControl(Window parent, ControlKind kind, const std::string& text, const Rect& bounds,
                     std::function<void()> clicked, std::function<void()> changed) {
  RegisterClasses();
  const wchar_t* cls = L"STATIC";
  DWORD ws = WS_CHILD | WS_VISIBLE;
  DWORD ex = 0;
  switch (kind) {
    case ControlKind::Label:
      cls = L"STATIC";
      ws |= SS_LEFT | SS_NOPREFIX;
      break;
    case ControlKind::Button:
      cls = L"BUTTON";
      ws |= BS_PUSHBUTTON | WS_TABSTOP;
      break;
    case ControlKind::Edit:
      cls = L"EDIT";
      ws |= ES_AUTOHSCROLL | WS_TABSTOP;
      ex |= WS_EX_CLIENTEDGE;
      break;
    case ControlKind::Image:
      cls = L"STATIC";
      ws |= SS_BITMAP;
      break;
    case ControlKind::Panel:
      cls = kPanelClass;
      ws |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
      ex |= WS_EX_CONTROLPARENT;
      break;
    case ControlKind::Bevel:
      cls = kPanelClass;
      break;
    case ControlKind::ProgressBar: {
      // Loaded when the first bar is made, not imported: an imported library loads at the
      // program's start, and under Wine this one's start brings up the desktop process, which a
      // silent install and the loader never need. It stays loaded: the class lives in it.
      static const bool loaded = [] {
        HMODULE library = ::LoadLibraryW(L"comctl32.dll");
        FARPROC proc = library ? ::GetProcAddress(library, "InitCommonControlsEx") : nullptr;
        if (proc == nullptr) return false;
        using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        auto init_controls = reinterpret_cast<InitFunction>(reinterpret_cast<void (*)()>(proc));
        INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
        return init_controls(&init) != FALSE;
      }();
      (void)loaded;
      cls = PROGRESS_CLASSW;
      break;
    }
  }
  int id = g_next_id++;
  // A control starts with its parent's code page; its own font may change it.
  const unsigned code_page = CodePageOf(H(parent));
  HWND hwnd = CreateWindowExW(ex, cls, Widen(text, code_page).c_str(), ws, bounds.left,
                              bounds.top, bounds.width, bounds.height, H(parent),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), nullptr);
  if (hwnd == nullptr) return 0;
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  WindowData& data = Data()[hwnd];
  if (const WindowData* parent_data = Find(H(parent))) data.code_page = parent_data->code_page;
  data.text = text;
  data.is_edit = kind == ControlKind::Edit;
  data.clicked = std::move(clicked);
  data.changed = std::move(changed);
  if (kind == ControlKind::Bevel) data.frame = Frame{Edge::Lowered, Edge::Raised, kSideTop, false};
  return W(hwnd);
}

bool SetImage(Window image, const std::vector<uint8_t>& bitmap) {
  HWND hwnd = H(image);
  WindowData* data = Find(hwnd);
  HBITMAP shown = MakeBitmap(bitmap, data != nullptr && data->transparent);
  auto old = reinterpret_cast<HBITMAP>(
      SendMessageW(hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown)));
  if (old != nullptr && old != shown) DeleteObject(old);
  return shown != nullptr;
}

void DestroyWindow(Window window) {
  if (window == 0) return;
  HWND hwnd = H(window);
  // Controls of the standard classes never see our WM_NCDESTROY: forget them here, at every
  // depth (a button on a panel on a page).
  EnumChildWindows(
      hwnd,
      [](HWND child, LPARAM) -> BOOL {
        Data().erase(child);
        return TRUE;
      },
      0);
  ::DestroyWindow(hwnd);
  Data().erase(hwnd);
}

void SetText(Window window, const std::string& text) {
  HWND hwnd = H(window);
  if (WindowData* data = Find(hwnd)) {
    data->text = text;
    ShowText(hwnd, *data);
  } else {
    SetWindowTextW(hwnd, Widen(text, CodePageOf(hwnd)).c_str());
  }
}

std::string GetText(Window window) {
  HWND hwnd = H(window);
  const WindowData* data = Find(hwnd);
  if (data != nullptr && !data->is_edit) return data->text;
  return Narrow(WindowTextW(hwnd), CodePageOf(hwnd));
}

void SetBounds(Window window, const Rect& b) {
  HWND hwnd = H(window);
  RECT before;
  GetClientRect(hwnd, &before);
  SetWindowPos(hwnd, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT after;
  GetClientRect(hwnd, &after);
  const WindowData* data = Find(hwnd);
  if (data != nullptr && data->wraps && after.right != before.right) ShowText(hwnd, *data);
}

Rect GetBounds(Window window) {
  RECT r;
  if (!GetWindowRect(H(window), &r)) return {};
  HWND parent = GetParent(H(window));
  POINT p{r.left, r.top};
  if (parent != nullptr && (GetWindowLongW(H(window), GWL_STYLE) & WS_CHILD)) {
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
  if (WindowData* own = Find(hwnd); own != nullptr && own->glyph != nullptr) {
    // A drawn button keeps its owner-drawn style; it draws the default frame itself.
    own->is_default = is_default;
    InvalidateRect(hwnd, nullptr, TRUE);
  } else {
    SendMessageW(hwnd, BM_SETSTYLE, is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
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

void SetFocus(Window control) {
  ::SetFocus(H(control));
}

void Repaint(Window window) {
  // The window and every control on it, now.
  RedrawWindow(H(window), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

Rect ScreenRect() {
  RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
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
  g_cursor = cursor == SystemCursor::Arrow ? nullptr : LoadCursorW(nullptr, MAKEINTRESOURCEW(id));
  ::SetCursor(g_cursor != nullptr ? g_cursor : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
}

namespace {

bool Dispatch(MSG& msg) {
  HWND top = msg.hwnd != nullptr ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  WindowData* data = top != nullptr ? Find(top) : nullptr;
  // Tab between controls and Enter for the default button, as in a dialog box.
  if (data != nullptr && data->is_form && IsDialogMessageW(top, &msg)) {
    ThrowPending();
    return true;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  ThrowPending();
  return true;
}

}  // namespace

bool HandleMessage(bool wait) {
  MSG msg;
  if (wait) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    return Dispatch(msg);
  }
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
  if (msg.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    return false;
  }
  return Dispatch(msg);
}

bool HandleWaitingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
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
  const unsigned code_page = CodePageOf(H(owner));
  return MessageBoxW(H(owner), Widen(text, code_page).c_str(), Widen(caption, code_page).c_str(),
                     flags);
}

void SetTextCodePage(unsigned code_page) {
  if (code_page == g_text_code_page) return;
  const unsigned old = Usable(g_text_code_page);
  g_text_code_page = code_page;
  // Windows that follow it show their texts anew.
  for (auto& [hwnd, data] : Data()) {
    if (data.code_page != 0 || data.text.empty()) continue;
    if (data.is_edit) {
      data.text = Narrow(WindowTextW(hwnd), old);
      SetWindowTextW(hwnd, Widen(data.text, Usable(code_page)).c_str());
    } else {
      ShowText(hwnd, data);
    }
  }
}

namespace {

std::string FontKey(const FontSpec& f) {
  return f.name + '\n' + std::to_string(f.height) + '\n' + std::to_string(f.charset) +
         (f.bold ? "b" : "") + (f.italic ? "i" : "") + (f.underline ? "u" : "");
}

// Fonts live as long as the program: windows share them and never own one.
HFONT FontFor(const FontSpec& f) {
  static std::map<std::string, HFONT> fonts;
  HFONT& font = fonts[FontKey(f)];
  if (font == nullptr) {
    LOGFONTW lf{};
    lf.lfHeight = f.height;
    lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = f.italic ? TRUE : FALSE;
    lf.lfUnderline = f.underline ? TRUE : FALSE;
    lf.lfCharSet = static_cast<BYTE>(f.charset);
    lf.lfQuality = DEFAULT_QUALITY;
    // A face name is written in the code page of its character set ("ＭＳ Ｐゴシック" in 932).
    const std::wstring face = Widen(f.name, Usable(CharsetCodePage(f.charset)));
    face.copy(lf.lfFaceName, LF_FACESIZE - 1);
    font = CreateFontIndirectW(&lf);
  }
  return font;
}

}  // namespace

void SetFont(Window window, const FontSpec& font) {
  HWND hwnd = H(window);
  bool changed_code_page = false;
  // A caption is drawn in the system's caption font, whatever the form's own: it stays in the
  // texts' code page.
  if (WindowData* data = Find(hwnd); data != nullptr && !data->is_form) {
    const unsigned code_page = CharsetCodePage(font.charset);
    if (code_page != 0 && code_page != data->code_page) {
      // What the user typed is read back in the code page it was typed in.
      if (data->is_edit) data->text = GetText(window);
      data->code_page = code_page;
      changed_code_page = true;
    }
  }
  HFONT handle = FontFor(font);
  if (handle != nullptr) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
  // Shown again in the new code page, measured again in a new font.
  if (WindowData* data = Find(hwnd)) {
    const bool new_font = std::exchange(data->applied_font, handle) != handle;
    if (changed_code_page || (data->wraps && new_font)) ShowText(hwnd, *data);
  }
}

Rect MeasureText(const FontSpec& font, const std::string& text) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FontFor(font));
  SIZE size{0, 0};
  const unsigned code_page = CharsetCodePage(font.charset);
  const std::wstring wide = Widen(text, Usable(code_page != 0 ? code_page : g_text_code_page));
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return Rect{0, 0, size.cx, size.cy};
}

int MeasureWrappedText(const FontSpec& font, const std::string& text, int width) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FontFor(font));
  const unsigned code_page = CharsetCodePage(font.charset);
  const std::wstring lines =
      WrapLines(dc, Widen(text, Usable(code_page != 0 ? code_page : g_text_code_page)), width);
  // As a label draws it: the system's own breaking at spaces, over the lines made above.
  RECT r{0, 0, width, 0};
  DrawTextW(dc, lines.empty() ? L" " : lines.c_str(), lines.empty() ? 1 : -1, &r,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return r.bottom - r.top;
}

void SetLabelStyle(Window label, TextAlign align, bool word_wrap, bool center_vertically) {
  HWND hwnd = H(label);
  LONG style = GetWindowLongW(hwnd, GWL_STYLE) & ~(SS_TYPEMASK | SS_CENTERIMAGE);
  switch (align) {
    case TextAlign::Left:
      style |= word_wrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
      break;
    case TextAlign::Right:
      style |= SS_RIGHT;
      break;
    case TextAlign::Center:
      style |= SS_CENTER;
      break;
  }
  // A vertically centred label is one line: the system draws it so only without wrapping.
  if (center_vertically && !word_wrap) style |= SS_CENTERIMAGE;
  SetWindowLongW(hwnd, GWL_STYLE, style);
  if (WindowData* data = Find(hwnd); data != nullptr && data->wraps != word_wrap) {
    data->wraps = word_wrap;
    ShowText(hwnd, *data);
  }
  InvalidateRect(hwnd, nullptr, TRUE);
}

void SetFrame(Window panel, const Frame& frame) {
  if (WindowData* data = Find(H(panel))) {
    data->frame = frame;
    InvalidateRect(H(panel), nullptr, TRUE);
  }
}

void SetProgress(Window bar, int min, int max, int position) {
  SendMessageW(H(bar), PBM_SETRANGE32, static_cast<WPARAM>(min), static_cast<LPARAM>(max));
  SendMessageW(H(bar), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void SetButtonGlyph(Window button, const std::vector<uint8_t>& bitmap, int glyphs) {
  HWND hwnd = H(button);
  WindowData* data = Find(hwnd);
  if (data == nullptr) return;
  if (data->glyph != nullptr) DeleteObject(data->glyph);
  data->glyph = bitmap.empty() ? nullptr : MakeBitmap(bitmap, true);
  data->glyphs = glyphs < 1 ? 1 : glyphs;
  const LONG kind = GetWindowLongW(hwnd, GWL_STYLE) & 0x0F;
  LONG style = GetWindowLongW(hwnd, GWL_STYLE) & ~0x0F;
  if (kind != BS_OWNERDRAW) data->is_default = kind == BS_DEFPUSHBUTTON;
  if (data->glyph != nullptr) {
    style |= BS_OWNERDRAW;
  } else {
    style |= data->is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  }
  SetWindowLongW(hwnd, GWL_STYLE, style);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void SetImageStyle(Window image, bool center, bool transparent) {
  HWND hwnd = H(image);
  if (WindowData* data = Find(hwnd)) data->transparent = transparent;
  LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  style = center ? style | SS_CENTERIMAGE : style & ~SS_CENTERIMAGE;
  SetWindowLongW(hwnd, GWL_STYLE, style);
}

void AnswerNextDialogForTesting(const std::string& caption, int button_id) {
  g_answer_caption = caption;
  g_answer_id = button_id;
  SetTimer(nullptr, kAnswerTimer, 50, AnswerTimer);
}

}  // namespace vantorel::platform::ui
