#include "test_classes.h"

namespace vantorel::testing {

VANTOREL_CLASS(TTestInfo, TPersistent) {
  p.String("Company", &TTestInfo::Company, &TTestInfo::SetCompany).Default("My Company");
  p.Int("Count", &TTestInfo::Count, &TTestInfo::SetCount).Default(0);
}

VANTOREL_CLASS(TRecorder, TComponent) {
  p.Int("Number", &TRecorder::Number, &TRecorder::SetNumber).Default(0);
  p.Int("Small", &TRecorder::Small, &TRecorder::SetSmall).Default(0);
  p.String("Text", &TRecorder::Text, &TRecorder::SetText);
  p.String("Dir", &TRecorder::Dir, &TRecorder::SetDir).NoDefault();
  p.Bool("Flag", &TRecorder::Flag, &TRecorder::SetFlag).Default(false);
  p.Bool("Always", &TRecorder::Always, &TRecorder::SetAlways).AlwaysStored();
  p.Float("Ratio", &TRecorder::Ratio, &TRecorder::SetRatio).Default(0);
  p.Enum("Kind", &TRecorder::Kind, &TRecorder::SetKind).Default(tkNone);
  p.Set("Kinds", &TRecorder::Kinds, &TRecorder::SetKinds).Default(TTestKinds{tkSmall});
  p.Strings("Lines", &TRecorder::Lines, &TRecorder::SetLines);
  p.Component("Partner", &TRecorder::Partner, &TRecorder::SetPartner);
  p.Object("Info", &TRecorder::Info);
  p.Picture("Picture", &TRecorder::Picture);
  p.Event("OnPing", &TRecorder::OnPing);
  p.Event("OnCount", &TRecorder::OnCount);
}

VANTOREL_CLASS(TOtherComponent, TComponent) {}
VANTOREL_CLASS(TDyingComponent, TComponent) {}
VANTOREL_CLASS(TBuiltForm, TForm) {}

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

void TTestInfo::Assign(const TPersistent& source) {
  if (auto* info = dynamic_cast<const TTestInfo*>(&source)) {
    company_ = info->company_;
    count_ = info->count_;
    return;
  }
  TPersistent::Assign(source);
}

TRecorder::TRecorder(TComponent* owner) : TComponent(owner) {
  Log().push_back(IsDesigning() ? "new designing" : "new");
}

void TRecorder::Record(const std::string& what) {
  std::string entry = Name() + "." + what;
  if (ComponentState().Contains(csLoading)) entry += " loading";
  if (ComponentState().Contains(csReading)) entry += " reading";
  Log().push_back(entry);
}

void TRecorder::SetNumber(int v) {
  if (v == -999) throw Exception("-999 is not a number I take");
  number_ = v;
  Record("Number=" + std::to_string(v));
}
void TRecorder::SetText(const std::string& v) {
  text_ = v;
  Record("Text=" + v);
}
void TRecorder::SetFlag(bool v) {
  flag_ = v;
  Record(std::string("Flag=") + (v ? "true" : "false"));
}
void TRecorder::SetKind(TTestKind v) {
  kind_ = v;
  Record("Kind=" + EnumName(v));
}
void TRecorder::SetKinds(TTestKinds v) {
  kinds_ = v;
  Record("Kinds=" + std::to_string(v.Bits()));
}
void TRecorder::SetLines(const TStrings& v) {
  lines_.Assign(v);
  Record("Lines=" + std::to_string(v.Count()));
}
void TRecorder::SetPartner(TRecorder* v) {
  partner_ = v;
  Record("Partner=" + (v ? v->Name() : std::string("nil")));
}

void TRecorder::Loaded() {
  TComponent::Loaded();
  std::string entry = Name() + ".Loaded partner=" + (partner_ ? partner_->Name() : "nil");
  if (ComponentState().Contains(csLoading)) entry += " loading";
  Log().push_back(entry);
}

void TRecorder::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == partner_) partner_ = nullptr;
  TComponent::Notification(component, operation);
}

TDyingComponent::~TDyingComponent() {
  Log().push_back("destroy " + Name());
}

TBuiltForm::TBuiltForm(TComponent* owner) : TForm(owner) {
  Prebuilt = new TLabel(this);
  Prebuilt->SetName("Prebuilt");
  Prebuilt->SetParent(this);
  Prebuilt->SetCaption("from the constructor");
}

}  // namespace vantorel::testing
