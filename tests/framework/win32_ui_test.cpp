// The native backend makes real windows. Runs in the win64 tree only (under Wine there).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "framework/application.h"
#include "framework/ui_backend.h"
#include "native_windows.h"
#include "platform/ui.h"

#ifdef _WIN32
// Last: its macros would rename the framework's own message-box constants.
#include <windows.h>
// The A/W macro would rename the framework's own function.
#undef MessageBox
#endif

namespace vantorel {
namespace {

#ifdef _WIN32

class NativeApplication : public ::testing::Test {
 protected:
  void SetUp() override { testing::UseNativeWindows(); }
  void TearDown() override { Application().Reinitialize(); }
};

TEST_F(NativeApplication, FormsAndControlsAreRealWindows) {
  auto* form = Application().CreateForm<TForm>();
  form->SetCaption("Vantorel window test");
  form->SetBounds(10, 10, 300, 200);
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetCaption("A label");
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  auto* button = new TButton(panel);
  button->SetParent(panel);
  button->SetCaption("OK");
  form->Show();
  ASSERT_NE(form->NativeHandle(), 0u);
  ASSERT_NE(label->NativeHandle(), 0u);
  ASSERT_NE(button->NativeHandle(), 0u);
  EXPECT_EQ(platform::ui::GetText(form->NativeHandle()), "Vantorel window test");
  EXPECT_EQ(platform::ui::GetText(label->NativeHandle()), "A label");
  label->SetCaption("Changed");
  EXPECT_EQ(platform::ui::GetText(label->NativeHandle()), "Changed");
  EXPECT_EQ(platform::ui::GetBounds(button->NativeHandle()).width, button->Width());
  Application().ProcessMessages();
  label->Free();
  form->Free();
}

TEST_F(NativeApplication, MessageBoxesAreAnsweredUnattended) {
  platform::ui::AnswerNextDialogForTesting("Vantorel question", IDNO);
  EXPECT_EQ(Application().MessageBox("Continue?", "Vantorel question", MB_YESNO), IDNO);
}

TEST_F(NativeApplication, ModalFormsRunTheirOwnLoop) {
  auto* dialog = Application().CreateForm<TForm>();
  dialog->SetCaption("Vantorel modal test");
  auto* ok = new TButton(dialog);
  ok->SetParent(dialog);
  ok->SetCaption("OK");
  ok->SetModalResult(mrOk);
  ok->SetDefault(true);
  int clicks = 0;
  ok->OnClick = [&](TObject*) { ++clicks; };
  // A real click on the default button, sent to the window once it is up.
  platform::ui::AnswerNextDialogForTesting("Vantorel modal test", 1 /* Enter: default */);
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(clicks, 1);
}

// Texts are bytes of their language's code page, shown as such on any system: what a window
// holds in Unicode is read back here through the system's own API.
TEST_F(NativeApplication, TextsAreShownFromTheCodePageOfTheirLanguage) {
  struct ResetCodePage {
    ~ResetCodePage() { platform::ui::SetTextCodePage(0); }
  } reset;
  platform::ui::SetTextCodePage(1251);
  auto* form = Application().CreateForm<TForm>();
  form->SetCaption("\xC4\xEE\xE1\xF0\xEE");  // "Добро" in 1251
  auto* russian = new TLabel(form);
  russian->SetParent(form);
  russian->SetParentFont(false);
  russian->Font()->SetCharset(204);
  russian->SetCaption("\xC4\xE0");  // "Да"
  auto* japanese = new TLabel(form);
  japanese->SetParent(form);
  japanese->SetParentFont(false);
  japanese->SetCaption("\x83\x74\x83\x40\x83\x43\x83\x8B");  // "ファイル" in 932
  auto* western = new TLabel(form);
  western->SetParent(form);
  western->SetParentFont(false);
  western->Font()->SetCharset(0);
  western->SetCaption("Gr\xFC\xDF");  // "Grüß" in 1252
  form->Show();
  auto wide = [](TControl* c) {
    HWND hwnd = reinterpret_cast<HWND>(c->NativeHandle());
    wchar_t text[64] = {};
    GetWindowTextW(hwnd, text, 64);
    return std::wstring(text);
  };
  EXPECT_EQ(wide(form), L"\u0414\u043E\u0431\u0440\u043E");
  EXPECT_EQ(wide(russian), L"\u0414\u0430");
  EXPECT_EQ(wide(western), L"Gr\u00FC\u00DF");
  // A label whose font comes to name another character set shows the same bytes anew.
  japanese->Font()->SetCharset(128);
  EXPECT_EQ(wide(japanese), L"\u30D5\u30A1\u30A4\u30EB");
  EXPECT_EQ(platform::ui::GetText(japanese->NativeHandle()), "\x83\x74\x83\x40\x83\x43\x83\x8B");
  // The install's language changes: the caption follows it.
  platform::ui::SetTextCodePage(1253);
  EXPECT_EQ(wide(form), L"\u0394\u03BE\u03B1\u03C0\u03BE");  // the same bytes in 1253
  form->Free();
}

// Japanese has no spaces to wrap at: a word-wrapped label breaks it between characters, within
// its width, and keeps its text as given.
TEST_F(NativeApplication, AWrappedLabelOfEastAsianTextBreaksWithinItsWidth) {
  auto* form = Application().CreateForm<TForm>();
  form->SetCaption("Vantorel wrap test");
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetParentFont(false);
  label->Font()->SetCharset(128);
  label->SetWordWrap(true);
  label->SetAutoSize(false);
  label->SetBounds(0, 0, 120, 80);
  // "このプログラムは、ソフトウェアをインストールします。" in 932
  const std::string text =
      "\x82\xB1\x82\xCC\x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80\x82\xCD\x81\x41\x83\x5C"
      "\x83\x74\x83\x67\x83\x45\x83\x46\x83\x41\x82\xF0\x83\x43\x83\x93\x83\x58\x83\x67"
      "\x81\x5B\x83\x8B\x82\xB5\x82\xDC\x82\xB7\x81\x42";
  label->SetCaption(text);
  form->Show();
  HWND hwnd = reinterpret_cast<HWND>(label->NativeHandle());
  wchar_t shown[256] = {};
  GetWindowTextW(hwnd, shown, 256);
  std::wstring lines(shown);
  ASSERT_NE(lines.find(L"\r\n"), std::wstring::npos) << "not wrapped";
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
  size_t start = 0;
  while (start <= lines.size()) {
    size_t end = lines.find(L"\r\n", start);
    if (end == std::wstring::npos) end = lines.size();
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, lines.data() + start, static_cast<int>(end - start), &size);
    EXPECT_LE(size.cx, 120) << "line from " << start;
    // No line starts with the closing marks that must follow their word.
    if (end > start) {
      EXPECT_NE(lines[start], L'\u3001');
      EXPECT_NE(lines[start], L'\u3002');
    }
    start = end + 2;
  }
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  EXPECT_EQ(platform::ui::GetText(label->NativeHandle()), text);
  // A page sizes such a label for all of its lines.
  const int line = MeasureText(*label, "Ag").height;
  EXPECT_GE(MeasureWrappedText(*label, text, 120), 2 * line);
  EXPECT_EQ(MeasureWrappedText(*label, "\x82\xB1", 120), line);
  form->Free();
}

TEST_F(NativeApplication, AShownFormGivesTheKeyboardToItsDefaultButton) {
  auto* form = Application().CreateForm<TForm>();
  form->SetCaption("Vantorel focus test");
  auto* back = new TButton(form);
  back->SetParent(form);
  back->SetCaption("< Back");
  auto* next = new TButton(form);
  next->SetParent(form);
  next->SetCaption("Next >");
  next->SetLeft(100);
  next->SetDefault(true);
  form->Show();
  Application().ProcessMessages();
  EXPECT_EQ(GetFocus(), reinterpret_cast<HWND>(next->NativeHandle()));
  form->Free();
}

#endif

}  // namespace
}  // namespace vantorel
