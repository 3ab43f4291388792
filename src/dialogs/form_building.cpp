#include "dialogs/form_building.h"

#include <algorithm>

#include "framework/properties.h"

namespace vantorel {

namespace {

// The translator's class of that name when it is registered and is a kind of `Base`.
template <class Base>
Base* CreateTranslatable(const char* class_name, TComponent* owner) {
  const TClass* cls = FindClass(class_name);
  if (cls != nullptr && cls->CanCreate() && cls->InheritsFrom(TClassOf<Base>())) {
    TComponent* made = cls->Create(owner);
    if (auto* control = dynamic_cast<Base*>(made)) return control;
    delete made;
  }
  return nullptr;
}

void SetGlid(TComponent& control, int glid) {
  if (const TPropInfo* info = control.ClassType()->FindProperty("GLID");
      info != nullptr && info->set_ordinal)
    info->set_ordinal(control, glid);
}

}  // namespace

TLabel* NewTranslateLabel(TComponent* owner, TWinControl* parent, const std::string& name,
                          const std::string& caption, int glid) {
  TLabel* label = CreateTranslatable<TLabel>("TTranslateLabel", owner);
  if (label == nullptr) label = new TLabel(owner);
  label->SetName(name);
  SetGlid(*label, glid);
  label->SetCaption(caption);
  label->SetParent(parent);
  return label;
}

TButton* NewTranslateBitBtn(TComponent* owner, TWinControl* parent, const std::string& name,
                            const std::string& caption, int glid) {
  TButton* button = CreateTranslatable<TButton>("TTranslateBitBtn", owner);
  if (button == nullptr) button = new TBitBtn(owner);
  button->SetName(name);
  SetGlid(*button, glid);
  button->SetCaption(caption);
  button->SetParent(parent);
  return button;
}

int GlidOf(const TComponent& control) {
  const TPropInfo* info = control.ClassType()->FindProperty("GLID");
  if (info == nullptr || !info->get_ordinal) return 0;
  return static_cast<int>(info->get_ordinal(const_cast<TComponent&>(control)));
}

TPanel* NewBox(TComponent* owner, TWinControl* parent, const std::string& name, TAlign align,
               int width, int height, int border_width) {
  auto* panel = NewControl<TPanel>(owner, parent, name, align, 0, 0, width, height);
  panel->SetBevelOuter(bvNone);
  panel->SetBorderWidth(border_width);
  return panel;
}

int WrappedTextHeight(const TControl& control, const std::string& text, int width) {
  return MeasureWrappedText(control, text, width);
}

void FitLabelHeights(TWinControl& parent) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    TControl* c = parent.Controls(i);
    if (auto* label = dynamic_cast<TLabel*>(c); label != nullptr && label->WordWrap() &&
                                                label->Align() == alTop && label->Width() > 0 &&
                                                !label->Caption().empty())
      label->SetHeight(WrappedTextHeight(*label, label->Caption(), label->Width()));
    if (auto* win = dynamic_cast<TWinControl*>(c)) FitLabelHeights(*win);
  }
}

}  // namespace vantorel
