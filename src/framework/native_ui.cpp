// The native backend: forms and controls become real windows through platform/ui.h.
#include <algorithm>
#include <unordered_map>

#include "framework/application.h"
#include "framework/ui_backend.h"
#include "platform/ui.h"

namespace vantorel {

namespace {

namespace ui = platform::ui;

ui::SystemCursor ToSystemCursor(int cursor) {
  switch (cursor) {
    case crHourGlass:
      return ui::SystemCursor::Wait;
    case crAppStart:
      return ui::SystemCursor::AppStarting;
    case crIBeam:
      return ui::SystemCursor::IBeam;
    case crCross:
      return ui::SystemCursor::Cross;
    case crHandPoint:
      return ui::SystemCursor::Hand;
    case crNo:
      return ui::SystemCursor::No;
    case crHelp:
      return ui::SystemCursor::Help;
    default:
      return ui::SystemCursor::Arrow;
  }
}

ui::Rect BoundsOf(const TControl& c) {
  return ui::Rect{c.Left(), c.Top(), c.Width(), c.Height()};
}

ui::FontSpec SpecOf(const TFont& font) {
  ui::FontSpec spec;
  spec.name = font.Name();
  spec.height = font.Height();
  spec.charset = font.Charset();
  spec.bold = font.Style().Contains(fsBold);
  spec.italic = font.Style().Contains(fsItalic);
  spec.underline = font.Style().Contains(fsUnderline);
  return spec;
}

ui::Edge EdgeOf(TBevelCut cut) {
  switch (cut) {
    case bvRaised:
      return ui::Edge::Raised;
    case bvLowered:
      return ui::Edge::Lowered;
    default:
      return ui::Edge::None;
  }
}

ui::Frame BevelFrame(const TBevel& bevel) {
  ui::Frame frame;
  const bool lowered = bevel.Style() == bsLowered;
  // Lines are etched (two edges); boxes are one edge, frames etched all round.
  frame.outer = lowered ? ui::Edge::Lowered : ui::Edge::Raised;
  frame.inner = lowered ? ui::Edge::Raised : ui::Edge::Lowered;
  switch (bevel.Shape()) {
    case bsBox:
      frame.inner = ui::Edge::None;
      break;
    case bsFrame:
      break;
    case bsTopLine:
      frame.sides = ui::kSideTop;
      break;
    case bsBottomLine:
      frame.sides = ui::kSideBottom;
      break;
    case bsLeftLine:
      frame.sides = ui::kSideLeft;
      break;
    case bsRightLine:
      frame.sides = ui::kSideRight;
      break;
    case bsSpacer:
      frame.outer = frame.inner = ui::Edge::None;
      break;
  }
  return frame;
}

// What a control shows beyond its text and bounds: its font and the looks of its kind.
void ApplyLook(TControl& c) {
  ui::Window w = c.NativeHandle();
  if (w == 0) return;
  ui::SetFont(w, SpecOf(EffectiveFont(c)));
  if (auto* label = dynamic_cast<TLabel*>(&c)) {
    ui::TextAlign align = label->Alignment() == taRightJustify ? ui::TextAlign::Right
                          : label->Alignment() == taCenter     ? ui::TextAlign::Center
                                                               : ui::TextAlign::Left;
    ui::SetLabelStyle(w, align, label->WordWrap(), label->Layout() == tlCenter);
  } else if (auto* panel = dynamic_cast<TPanel*>(&c)) {
    ui::Frame frame;
    frame.outer = EdgeOf(panel->BevelOuter());
    frame.inner = EdgeOf(panel->BevelInner());
    frame.single_line = panel->BorderStyle() == bsSingle;
    ui::SetFrame(w, frame);
  } else if (auto* bevel = dynamic_cast<TBevel*>(&c)) {
    ui::SetFrame(w, BevelFrame(*bevel));
  } else if (auto* bar = dynamic_cast<TProgressBar*>(&c)) {
    ui::SetProgress(w, bar->Min(), bar->Max(), bar->Position());
  } else if (auto* bit = dynamic_cast<TBitBtn*>(&c)) {
    ui::SetButtonGlyph(w, bit->Glyph()->Data(), bit->NumGlyphs());
  } else if (auto* image = dynamic_cast<TImage*>(&c)) {
    ui::SetImageStyle(w, image->Center(), image->Transparent());
  }
}

// The visible, enabled default button of a form or panel; nullptr when there is none.
TButton* DefaultButton(TWinControl& parent) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* child = parent.Controls(i);
    if (!child->Visible() || !child->Enabled() || child->NativeHandle() == 0) continue;
    if (auto* button = dynamic_cast<TButton*>(child); button != nullptr && button->Default())
      return button;
    if (auto* box = dynamic_cast<TWinControl*>(child))
      if (TButton* found = DefaultButton(*box)) return found;
  }
  return nullptr;
}

// Children that take their parent's font follow it.
void ApplyParentFont(TControl& c) {
  auto* win = dynamic_cast<TWinControl*>(&c);
  if (win == nullptr) return;
  for (int i = 0; i < win->ControlCount(); ++i) {
    TControl* child = win->Controls(i);
    if (!child->ParentFont() || child->NativeHandle() == 0) continue;
    ui::SetFont(child->NativeHandle(), SpecOf(EffectiveFont(*child)));
    ApplyParentFont(*child);
  }
}

class TNativeBackend : public TUiBackend {
 public:
  const char* Name() const override { return "win32"; }
  bool IsHeadless() const override { return false; }

  void ShowForm(TForm& form) override {
    Realize(form);
    if (form.NativeHandle() == 0) return;
    shown_state_[&form] = form.WindowState();
    ui::ShowWindow(form.NativeHandle(), StateOf(form));
    ui::BringToFront(form.NativeHandle());
    // As in a dialog box, Enter and Space go to the button that takes the user on.
    if (TButton* proceed = DefaultButton(form)) ui::SetFocus(proceed->NativeHandle());
  }

  void HideForm(TForm& form) override {
    if (form.NativeHandle() != 0) ui::ShowWindow(form.NativeHandle(), ui::ShowState::Hidden);
  }

  int ShowModal(TForm& form) override {
    // The other windows of the application wait while the modal form is up.
    std::vector<TForm*> disabled;
    for (int i = 0; i < Application().ComponentCount(); ++i) {
      auto* other = dynamic_cast<TForm*>(Application().Components(i));
      if (other != nullptr && other != &form && other->NativeHandle() != 0 && other->Visible()) {
        ui::SetEnabled(other->NativeHandle(), false);
        disabled.push_back(other);
      }
    }
    if (TForm* main = Application().MainForm();
        main != nullptr && main != &form && main->NativeHandle() != 0 &&
        std::find(disabled.begin(), disabled.end(), main) == disabled.end()) {
      ui::SetEnabled(main->NativeHandle(), false);
      disabled.push_back(main);
    }
    struct Enable {
      std::vector<TForm*>& forms;
      ~Enable() {
        for (TForm* f : forms)
          if (f->NativeHandle() != 0) ui::SetEnabled(f->NativeHandle(), true);
      }
    } enable{disabled};

    ShowForm(form);
    // Without a window nothing could ever end the loop.
    if (form.NativeHandle() == 0)
      throw Exception("Cannot create the window of the form \"" + form.Caption() + "\"");
    while (true) {
      if (Application().Terminated()) {
        form.SetModalResult(mrCancel);
        break;
      }
      if (form.ModalResult() != mrNone) {
        if (form.CloseModal()) break;
        continue;
      }
      if (!ui::HandleMessage(true)) {
        form.SetModalResult(mrCancel);
        break;
      }
    }
    return form.ModalResult();
  }

  void ControlChanged(TControl& c) override {
    ui::Window w = c.NativeHandle();
    if (w == 0 || updating_from_window_) return;
    // A picture control would take its text for the name of a bitmap resource.
    if (dynamic_cast<TImage*>(&c) == nullptr) ui::SetText(w, WindowText(c));
    ui::SetBounds(w, BoundsOf(c));
    ui::SetEnabled(w, c.Enabled());
    ApplyLook(c);
    ApplyParentFont(c);
    if (auto* button = dynamic_cast<TButton*>(&c)) ui::SetDefaultButton(w, button->Default());
    if (auto* image = dynamic_cast<TImage*>(&c)) ui::SetImage(w, image->Picture()->Data());
    if (auto* form = dynamic_cast<TForm*>(&c); form != nullptr && form->Parent() == nullptr) {
      // Showing a window activates it: only when the state really changed.
      auto& shown = shown_state_[form];
      if (form->Visible() && shown != form->WindowState()) {
        shown = form->WindowState();
        ui::ShowWindow(w, StateOf(*form));
      }
    } else {
      ui::SetVisible(w, c.Visible());
    }
  }

  void ControlDestroying(TControl& c) override {
    shown_state_.erase(&c);
    ui::Window w = c.NativeHandle();
    Forget(c);
    ui::DestroyWindow(w);
  }

  void Repaint(TControl& c) override {
    if (c.NativeHandle() != 0) ui::Repaint(c.NativeHandle());
    ui::HandleWaitingMessages();
  }

  int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
    TForm* main = Application().MainForm();
    ui::Window owner = main != nullptr && main->Visible() ? main->NativeHandle() : 0;
    return ui::MessageBox(owner, text, caption, flags);
  }

  void Run(TApplication& app) override {
    if (TForm* main = app.MainForm(); main != nullptr && !main->Visible()) main->Show();
    while (!app.Terminated()) {
      try {
        if (!ui::HandleMessage(true)) break;
      } catch (...) {
        app.HandleException(&app);
      }
    }
  }

  void ProcessMessages(TApplication& app) override {
    try {
      ui::HandleWaitingMessages();
    } catch (...) {
      app.HandleException(&app);
    }
  }

  void Terminate() override { ui::PostQuit(0); }

  void CursorChanged(int cursor) override { ui::SetCursor(ToSystemCursor(cursor)); }

  void MeasureText(const TFont& font, const std::string& text, int& width, int& height) override {
    ui::Rect size = ui::MeasureText(SpecOf(font), text);
    width = size.width;
    height = size.height;
  }

  int MeasureWrappedText(const TFont& font, const std::string& text, int width) override {
    return ui::MeasureWrappedText(SpecOf(font), text, width);
  }

 private:
  // Windows of a control and of its children that do not have one yet.
  void Realize(TControl& c) {
    if (c.NativeHandle() == 0) {
      if (auto* form = dynamic_cast<TForm*>(&c); form != nullptr && form->Parent() == nullptr)
        CreateFormWindow(*form);
      else
        CreateChildWindow(c);
    }
    if (c.NativeHandle() == 0) return;
    if (auto* win = dynamic_cast<TWinControl*>(&c))
      for (int i = 0; i < win->ControlCount(); ++i) Realize(*win->Controls(i));
  }

  void CreateFormWindow(TForm& form) {
    ui::FormStyle style;
    style.caption = form.BorderStyle() != bsNone;
    style.sizeable = form.BorderStyle() == bsSizeable || form.BorderStyle() == bsSizeToolWin;
    style.dialog_frame = form.BorderStyle() == bsDialog;
    style.system_menu = form.BorderIcons().Contains(biSystemMenu);
    style.minimize_box = form.BorderIcons().Contains(biMinimize);
    style.maximize_box = form.BorderIcons().Contains(biMaximize);
    style.topmost = form.FormStyle() == fsStayOnTop;

    ui::Rect bounds = BoundsOf(form);
    if (form.Position() == poScreenCenter || form.Position() == poDesktopCenter ||
        form.Position() == poMainFormCenter || form.Position() == poOwnerFormCenter) {
      ui::Rect screen = ui::ScreenRect();
      bounds.left = screen.left + (screen.width - bounds.width) / 2;
      bounds.top = screen.top + (screen.height - bounds.height) / 2;
    }
    TForm* main = Application().MainForm();
    ui::Window owner = main != nullptr && main != &form ? main->NativeHandle() : 0;

    ui::FormEvents events;
    TForm* target = &form;
    events.activated = [target](bool active) {
      Application().Dispatch(target, [&] { target->SetActive(active); });
    };
    events.close_requested = [target] {
      Application().Dispatch(target, [&] { target->UserClose(); });
    };
    events.resized = [this, target](int width, int height) {
      updating_from_window_ = true;
      target->SetBounds(target->Left(), target->Top(), width, height);
      updating_from_window_ = false;
    };
    ui::Window w = ui::CreateFormWindow(owner, form.Caption(), bounds, style, std::move(events));
    form.SetNativeHandle(w);
    if (w != 0) ui::SetFont(w, SpecOf(*form.Font()));
  }

  void CreateChildWindow(TControl& c) {
    TWinControl* parent = c.Parent();
    if (parent == nullptr || parent->NativeHandle() == 0) return;
    ui::ControlKind kind;
    std::function<void()> clicked, changed;
    if (dynamic_cast<TLabel*>(&c) != nullptr) {
      kind = ui::ControlKind::Label;
    } else if (dynamic_cast<TImage*>(&c) != nullptr) {
      kind = ui::ControlKind::Image;
    } else if (dynamic_cast<TBevel*>(&c) != nullptr) {
      kind = ui::ControlKind::Bevel;
    } else if (dynamic_cast<TProgressBar*>(&c) != nullptr) {
      kind = ui::ControlKind::ProgressBar;
    } else if (auto* button = dynamic_cast<TButton*>(&c)) {
      kind = ui::ControlKind::Button;
      clicked = [button] { Application().Dispatch(button, [&] { button->Click(); }); };
    } else if (auto* edit = dynamic_cast<TEdit*>(&c)) {
      kind = ui::ControlKind::Edit;
      changed = [this, edit] {
        std::string text = ui::GetText(edit->NativeHandle());
        updating_from_window_ = true;
        Application().Dispatch(edit, [&] { edit->SetText(text); });
        updating_from_window_ = false;
      };
    } else if (dynamic_cast<TWinControl*>(&c) != nullptr) {
      // Panels, and containers this backend does not know yet, still hold their children.
      kind = ui::ControlKind::Panel;
    } else {
      return;
    }
    ui::Window w = ui::CreateControl(parent->NativeHandle(), kind, WindowText(c), BoundsOf(c),
                                     std::move(clicked), std::move(changed));
    c.SetNativeHandle(w);
    if (w == 0) return;
    if (!c.Visible()) ui::SetVisible(w, false);
    if (!c.Enabled()) ui::SetEnabled(w, false);
    if (auto* button = dynamic_cast<TButton*>(&c); button != nullptr && button->Default())
      ui::SetDefaultButton(w, true);
    ApplyLook(c);
    if (auto* image = dynamic_cast<TImage*>(&c)) ui::SetImage(w, image->Picture()->Data());
  }

  // A form inside another (a wizard page) keeps its caption for its host's title bar; its own
  // window shows no text.
  static std::string WindowText(const TControl& c) {
    if (dynamic_cast<const TForm*>(&c) != nullptr && c.Parent() != nullptr) return {};
    return c.Text();
  }

  // Destroying a window destroys its children's windows too.
  static void Forget(TControl& c) {
    c.SetNativeHandle(0);
    if (auto* win = dynamic_cast<TWinControl*>(&c))
      for (int i = 0; i < win->ControlCount(); ++i) Forget(*win->Controls(i));
  }

  static ui::ShowState StateOf(const TForm& form) {
    switch (form.WindowState()) {
      case wsMaximized:
        return ui::ShowState::Maximized;
      case wsMinimized:
        return ui::ShowState::Minimized;
      default:
        return ui::ShowState::Normal;
    }
  }

  bool updating_from_window_ = false;
  std::unordered_map<const TControl*, TWindowState> shown_state_;
};

}  // namespace

std::unique_ptr<TUiBackend> CreateNativeBackend() {
  if (!platform::ui::Available()) return nullptr;
  return std::make_unique<TNativeBackend>();
}

}  // namespace vantorel
