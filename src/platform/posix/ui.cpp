// No window system on the native build: the framework uses its headless backend instead.
#include "platform/ui.h"

namespace vantorel::platform::ui {

bool Available() {
  return false;
}

Window CreateFormWindow(Window, const std::string&, const Rect&, const FormStyle&, FormEvents) {
  return 0;
}
Window CreateControl(Window, ControlKind, const std::string&, const Rect&, std::function<void()>,
                     std::function<void()>) {
  return 0;
}
void DestroyWindow(Window) {}
void SetText(Window, const std::string&) {}
std::string GetText(Window) {
  return {};
}
void SetBounds(Window, const Rect&) {}
Rect GetBounds(Window) {
  return {};
}
void SetVisible(Window, bool) {}
void SetEnabled(Window, bool) {}
void SetDefaultButton(Window, bool) {}
void ShowWindow(Window, ShowState) {}
void BringToFront(Window) {}
void Repaint(Window) {}
Rect ScreenRect() {
  return Rect{0, 0, 1024, 768};
}
bool SetImage(Window, const std::vector<uint8_t>&) {
  return false;
}
int CaptionHeight() {
  return 18;
}
void SetCursor(SystemCursor) {}
bool HandleMessage(bool) {
  return false;
}
bool HandleWaitingMessages() {
  return true;
}
void PostQuit(int) {}
int MessageBox(Window, const std::string&, const std::string&, unsigned) {
  return 0;
}
void AnswerNextDialogForTesting(const std::string&, int) {}
void SetFont(Window, const FontSpec&) {}
void SetTextCodePage(unsigned) {}
void SetFocus(Window) {}
Rect MeasureText(const FontSpec&, const std::string&) {
  return {};
}
int MeasureWrappedText(const FontSpec&, const std::string&, int) {
  return 0;
}
void SetLabelStyle(Window, TextAlign, bool, bool) {}
void SetFrame(Window, const Frame&) {}
void SetProgress(Window, int, int, int) {}
void SetButtonGlyph(Window, const std::vector<uint8_t>&, int) {}
void SetImageStyle(Window, bool, bool) {}

}  // namespace vantorel::platform::ui
