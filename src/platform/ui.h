#pragma once
// Windows and the message loop: the narrow part of the window system the framework's native
// backend needs. Handles are opaque numbers; callbacks run on the thread of the message loop.
// The posix backend has no window system: Available() is false and nothing else may be called.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantorel::platform::ui {

using Window = uintptr_t;  // 0: none

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

enum class ControlKind { Label, Button, Edit, Panel, Image, ProgressBar, Bevel };
enum class ShowState { Hidden, Normal, Minimized, Maximized };
enum class SystemCursor { Arrow, Wait, AppStarting, IBeam, Cross, Hand, No, Help };

struct FormStyle {
  bool caption = true;  // a title bar
  bool sizeable = true;
  bool dialog_frame = false;
  bool system_menu = true;
  bool minimize_box = true;
  bool maximize_box = true;
  bool topmost = false;  // above every window that is not topmost itself
};

struct FormEvents {
  std::function<void(bool active)> activated;  // the window became / stopped being active
  std::function<void()> close_requested;       // the user closed it (the window stays)
  std::function<void(int width, int height)> resized;
};

bool Available();

// A top-level window (hidden until ShowWindow). `owner` keeps it above that window.
Window CreateFormWindow(Window owner, const std::string& caption, const Rect& bounds,
                        const FormStyle& style, FormEvents events);
// A child control of a form or panel; `clicked` fires for buttons, `changed` for edits.
Window CreateControl(Window parent, ControlKind kind, const std::string& text, const Rect& bounds,
                     std::function<void()> clicked, std::function<void()> changed);
void DestroyWindow(Window window);

void SetText(Window window, const std::string& text);
std::string GetText(Window window);
void SetBounds(Window window, const Rect& bounds);
Rect GetBounds(Window window);
void SetVisible(Window window, bool visible);
void SetEnabled(Window window, bool enabled);
void SetDefaultButton(Window button, bool is_default);
// An Image control shows this bitmap (the bytes of a .bmp file, or a DIB without the file
// header); empty bytes clear it. False when there is no bitmap to show.
bool SetImage(Window image, const std::vector<uint8_t>& bitmap);
void ShowWindow(Window window, ShowState state);
void BringToFront(Window window);
// The keyboard goes to this control (its form must be the active window).
void SetFocus(Window control);
void Repaint(Window window);
Rect ScreenRect();
// The height of a window's title bar.
int CaptionHeight();

// The cursor over the application's windows.
void SetCursor(SystemCursor cursor);

// Handles one message, waiting for it when `wait`. Returns false when the message was the end
// of the loop (WM_QUIT); it is posted again so that outer loops see it too.
bool HandleMessage(bool wait);
// Handles every waiting message; false when the end of the loop was among them.
bool HandleWaitingMessages();
void PostQuit(int exit_code);

// A message box with the Windows flags; returns the Windows button id. Its texts are in the code
// page of the owner's font, or without an owner in the texts' code page (below).
int MessageBox(Window owner, const std::string& text, const std::string& caption, unsigned flags);

// Texts are 8-bit strings in a Windows code page: a window's is the code page of its font's
// character set, and where the font names none (and for message boxes without an owner) this
// one, set to the language the install speaks. 0: the system's ANSI code page.
void SetTextCodePage(unsigned code_page);

// Unattended tests: the next message box or window whose caption is `caption` gets a click on
// the button with id `button_id` as soon as it appears on this thread.
void AnswerNextDialogForTesting(const std::string& caption, int button_id);

// ---- what the install forms draw ------------------------------------------------------------

struct FontSpec {
  std::string name;
  int height = -11;  // negative: the character height in pixels, as in a LOGFONT
  int charset = 1;   // DEFAULT_CHARSET
  bool bold = false;
  bool italic = false;
  bool underline = false;
};
// The control draws its text in this font (kept per spec, shared between windows).
void SetFont(Window window, const FontSpec& font);
// The width and height the text takes on one line in that font.
Rect MeasureText(const FontSpec& font, const std::string& text);
// The height the text takes in a word-wrapped label of that width.
int MeasureWrappedText(const FontSpec& font, const std::string& text, int width);

enum class TextAlign { Left, Right, Center };
// A label: its alignment, whether long lines wrap at words, and whether one line is centred
// vertically.
void SetLabelStyle(Window label, TextAlign align, bool word_wrap, bool center_vertically);

enum class Edge { None, Raised, Lowered };
enum Side : unsigned { kSideLeft = 1, kSideTop = 2, kSideRight = 4, kSideBottom = 8 };
// The edges a panel or bevel draws inside its rectangle: an outer and an inner one, on `sides`,
// `inset` pixels in from its border (a bevel line drawn in the middle of a taller control).
struct Frame {
  Edge outer = Edge::Raised;
  Edge inner = Edge::None;
  unsigned sides = kSideLeft | kSideTop | kSideRight | kSideBottom;
  bool single_line = false;  // a plain black line (a single border) outside the edges
};
void SetFrame(Window panel, const Frame& frame);

// A progress bar's range and position.
void SetProgress(Window bar, int min, int max, int position);

// A button that shows a glyph left of its caption: `glyphs` side by side in the bitmap, the
// first for the enabled button, the second (when there is one) for the disabled one. The
// glyph's lower-left pixel colour is drawn as the button face.
void SetButtonGlyph(Window button, const std::vector<uint8_t>& bitmap, int glyphs);
// An image centred in its control instead of at its top left; `transparent`: the picture's
// lower-left pixel colour is drawn as the parent's background.
void SetImageStyle(Window image, bool center, bool transparent);

}  // namespace vantorel::platform::ui
