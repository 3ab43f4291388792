// The native backend makes real windows. Runs in the win64 tree only (under Wine there).
#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/application.h"
#include "framework/ui_backend.h"
#include "native_windows.h"
#include "platform/ui.h"

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

#endif

}  // namespace
}  // namespace vantorel
