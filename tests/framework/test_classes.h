#pragma once
// Components whose setters, Loaded and Notification record what they saw, for the reader,
// writer and component tests.
#include <string>
#include <vector>

#include "framework/component.h"
#include "framework/forms.h"

namespace vantorel::testing {

// What happened, in order: "Rec1.Number=5 loading reading", "Rec1.Loaded partner=Rec2", ...
std::vector<std::string>& Log();

VANTOREL_ENUM(TTestKind, tkNone, tkSmall, tkLarge);
using TTestKinds = TSet<TTestKind>;

class TTestInfo : public TPersistent {
 public:
  const std::string& Company() const { return company_; }
  void SetCompany(const std::string& v) { company_ = v; }
  int Count() const { return count_; }
  void SetCount(int v) { count_ = v; }
  void Assign(const TPersistent& source) override;

 private:
  std::string company_ = "My Company";
  int count_ = 0;
};

class TRecorder : public TComponent {
 public:
  explicit TRecorder(TComponent* owner);

  int Number() const { return number_; }
  void SetNumber(int v);
  uint16_t Small() const { return small_; }
  void SetSmall(uint16_t v) { small_ = v; }
  const std::string& Text() const { return text_; }
  void SetText(const std::string& v);
  const std::string& Dir() const { return dir_; }
  void SetDir(const std::string& v) { dir_ = v; }
  bool Flag() const { return flag_; }
  void SetFlag(bool v);
  bool Always() const { return always_; }
  void SetAlways(bool v) { always_ = v; }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  TTestKind Kind() const { return kind_; }
  void SetKind(TTestKind v);
  TTestKinds Kinds() const { return kinds_; }
  void SetKinds(TTestKinds v);
  TStringList* Lines() { return &lines_; }
  void SetLines(const TStrings& v);
  TRecorder* Partner() const { return partner_; }
  void SetPartner(TRecorder* v);
  TTestInfo* Info() { return &info_; }
  TPicture* Picture() { return &picture_; }

  std::function<void(TObject*)> OnPing;
  std::function<void(TRecorder*, int&)> OnCount;

  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void Record(const std::string& what);
  int number_ = 0;
  uint16_t small_ = 0;
  std::string text_;
  std::string dir_ = "\\Default";
  bool flag_ = false;
  bool always_ = false;
  double ratio_ = 0;
  TTestKind kind_ = tkNone;
  TTestKinds kinds_{tkSmall};
  TStringList lines_;
  TRecorder* partner_ = nullptr;
  TTestInfo info_;
  TPicture picture_;
};

// A recorder whose class differs, for reference type checks.
class TOtherComponent : public TComponent {
 public:
  using TComponent::TComponent;
};

// Logs its own destruction, for destruction-order tests.
class TDyingComponent : public TComponent {
 public:
  using TComponent::TComponent;
  ~TDyingComponent() override;
};

// A form class whose constructor creates a control itself (reading into existing components).
class TBuiltForm : public TForm {
 public:
  explicit TBuiltForm(TComponent* owner);
  TLabel* Prebuilt;
};

}  // namespace vantorel::testing
