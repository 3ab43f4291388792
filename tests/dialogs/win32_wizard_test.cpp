// The wizard host with real windows. Runs in the win64 tree only, under Xvfb; when a screenshot
// folder is named, the wizard waits on screen until the picture has been taken.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "../framework/native_windows.h"
#include "dialog_fixture.h"
#include "dialogs/theme_bitmap.h"
#include "framework/ui_backend.h"
#include "platform/ui.h"

namespace vantorel::testing {
namespace {

#ifdef _WIN32

bool FileExists(const std::string& path) {
  return static_cast<bool>(std::ifstream(path));
}

class NativeWizard : public DialogTest {
 protected:
  void SetUp() override {
    UseNativeWindows();
    if (IsSkipped() || HasFatalFailure()) return;
    form_ = std::make_unique<TForm>(nullptr);
    install_ = Make<TFakeInstall>("Install1");
    install_->theme.SetData(InstallThemeBitmap());
  }
  void TearDown() override {
    DialogTest::TearDown();
    Application().Reinitialize();
    // The other tests of this program are headless.
    Application().SetUi(CreateHeadlessBackend());
  }
};

TEST_F(NativeWizard, PagesAreChildWindowsOfTheHost) {
  TDialogManager* before = Manager("Before", dmBeforeInstall);
  Page("Welcome", before, 0);
  Page("Skipped", before, 1, /*skip=*/true);
  Page("Ready", before, 2);
  std::vector<std::string> seen;
  TBaseFormContainer* host = nullptr;
  TTestPage::OnActivated() = [&](TTestPage& page) {
    seen.push_back(page.Caption());
    if (host != nullptr) return;
    host = page.Host();
    // The host window is activated inside the modal loop, once the windows exist.
    host->OnActivate = [&](TObject*) {
      if (host->ModalResult() != mrNone || host->TabIndex() != 0) return;
      TBaseInstallForm* current = host->CurrentPage();
      ASSERT_NE(current, nullptr);
      ASSERT_NE(host->NativeHandle(), 0u);
      ASSERT_NE(current->NativeHandle(), 0u);
      EXPECT_EQ(platform::ui::GetText(host->NativeHandle()), "Page Welcome");
      platform::ui::Rect inside = platform::ui::GetBounds(current->NativeHandle());
      EXPECT_EQ(inside.left, 0);
      EXPECT_EQ(inside.top, 0);
      EXPECT_EQ(inside.width, host->DisplayPanel()->Width());
      // The page shows the install's picture.
      auto* page = static_cast<TTestPage*>(current);
      ASSERT_NE(page->image->NativeHandle(), 0u);
      EXPECT_EQ(page->image->Picture()->Data(), InstallThemeBitmap());
      EXPECT_TRUE(platform::ui::SetImage(page->image->NativeHandle(), InstallThemeBitmap()));
      if (const char* dir = std::getenv("VANTOREL_SCREENSHOT_DIR")) {
        // The script outside takes the picture between these two files.
        std::string ready = std::string(dir) + "\\wizard.ready";
        std::string done = std::string(dir) + "\\wizard.done";
        std::ofstream(ready) << "ready\n";
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!FileExists(done) && std::chrono::steady_clock::now() < until) {
          Application().ProcessMessages();
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        EXPECT_TRUE(FileExists(done)) << "no screenshot was taken";
      }
      host->NextPage();
      host->NextPage();
    };
  };
  install_->BroadcastComponentCall(install_, ccBeforeInstallDialogs, nullptr);
  EXPECT_EQ(seen, (std::vector<std::string>{"Page Welcome", "Page Ready"}));
}

#endif

}  // namespace
}  // namespace vantorel::testing
