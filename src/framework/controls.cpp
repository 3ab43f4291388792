#include "framework/controls.h"

#include <algorithm>
#include <cstdint>

#include "framework/application.h"
#include "framework/format.h"
#include "framework/forms.h"
#include "framework/ui_backend.h"

namespace vantorel {

const TIdentMap& ColorIdents() {
  static const TIdentMap map{
      {"clBlack", clBlack},
      {"clMaroon", clMaroon},
      {"clGreen", clGreen},
      {"clOlive", 0x008080},
      {"clNavy", clNavy},
      {"clPurple", 0x800080},
      {"clTeal", 0x808000},
      {"clGray", clGray},
      {"clSilver", clSilver},
      {"clRed", clRed},
      {"clLime", 0x00FF00},
      {"clYellow", 0x00FFFF},
      {"clBlue", clBlue},
      {"clFuchsia", 0xFF00FF},
      {"clAqua", 0xFFFF00},
      {"clWhite", clWhite},
      {"clScrollBar", clSystemColor | 0},
      {"clBackground", clSystemColor | 1},
      {"clActiveCaption", clSystemColor | 2},
      {"clInactiveCaption", clSystemColor | 3},
      {"clMenu", clSystemColor | 4},
      {"clWindow", clWindow},
      {"clWindowFrame", clSystemColor | 6},
      {"clMenuText", clSystemColor | 7},
      {"clWindowText", clWindowText},
      {"clCaptionText", clSystemColor | 9},
      {"clActiveBorder", clSystemColor | 10},
      {"clInactiveBorder", clSystemColor | 11},
      {"clAppWorkSpace", clSystemColor | 12},
      {"clHighlight", clHighlight},
      {"clHighlightText", clHighlightText},
      {"clBtnFace", clBtnFace},
      {"clBtnShadow", clSystemColor | 16},
      {"clGrayText", clSystemColor | 17},
      {"clBtnText", clBtnText},
      {"clInactiveCaptionText", clSystemColor | 19},
      {"clBtnHighlight", clSystemColor | 20},
      {"cl3DDkShadow", clSystemColor | 21},
      {"cl3DLight", clSystemColor | 22},
      {"clInfoText", clSystemColor | 23},
      {"clInfoBk", clSystemColor | 24},
      {"clNone", 0x1FFFFFFF},
      {"clDefault", 0x20000000},
  };
  return map;
}

const TIdentMap& CursorIdents() {
  static const TIdentMap map{
      {"crDefault", crDefault},
      {"crNone", crNone},
      {"crArrow", crArrow},
      {"crCross", crCross},
      {"crIBeam", crIBeam},
      {"crSizeNESW", -6},
      {"crSizeNS", -7},
      {"crSizeNWSE", -8},
      {"crSizeWE", -9},
      {"crUpArrow", -10},
      {"crHourGlass", crHourGlass},
      {"crDrag", -12},
      {"crNoDrop", -13},
      {"crHSplit", -14},
      {"crVSplit", -15},
      {"crMultiDrag", -16},
      {"crSQLWait", -17},
      {"crNo", -18},
      {"crAppStart", crAppStart},
      {"crHelp", crHelp},
      {"crHandPoint", crHandPoint},
  };
  return map;
}

const TIdentMap& CharsetIdents() {
  static const TIdentMap map{
      {"ANSI_CHARSET", ANSI_CHARSET},
      {"DEFAULT_CHARSET", DEFAULT_CHARSET},
      {"SYMBOL_CHARSET", SYMBOL_CHARSET},
      {"MAC_CHARSET", 77},
      {"SHIFTJIS_CHARSET", 128},
      {"HANGEUL_CHARSET", 129},
      {"JOHAB_CHARSET", 130},
      {"GB2312_CHARSET", 134},
      {"CHINESEBIG5_CHARSET", 136},
      {"GREEK_CHARSET", 161},
      {"TURKISH_CHARSET", 162},
      {"VIETNAMESE_CHARSET", 163},
      {"HEBREW_CHARSET", 177},
      {"ARABIC_CHARSET", 178},
      {"BALTIC_CHARSET", 186},
      {"RUSSIAN_CHARSET", 204},
      {"THAI_CHARSET", 222},
      {"EASTEUROPE_CHARSET", 238},
      {"OEM_CHARSET", OEM_CHARSET},
  };
  return map;
}

VANTOREL_CLASS(TFont, TPersistent) {
  p.Int("Charset", &TFont::Charset, &TFont::SetCharset)
      .Default(DEFAULT_CHARSET)
      .Idents(CharsetIdents());
  p.Int("Color", &TFont::Color, &TFont::SetColor).Default(clWindowText).Idents(ColorIdents());
  p.Int("Height", &TFont::Height, &TFont::SetHeight).Default(-11);
  p.String("Name", &TFont::Name, &TFont::SetName).Default("MS Sans Serif");
  p.Enum("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
  p.Set("Style", &TFont::Style, &TFont::SetStyle).Default(TFontStyles{});
}

namespace {
// A form has no parent whose color it could take: its color is always its own.
bool TakesOwnColor(TObject& object) {
  auto& control = static_cast<TControl&>(object);
  return !control.ParentColor() || control.Parent() == nullptr;
}
}  // namespace

VANTOREL_CLASS(TControl, TComponent) {
  p.Int("Left", &TControl::Left, &TControl::SetLeft);
  p.Int("Top", &TControl::Top, &TControl::SetTop);
  p.Int("Width", &TControl::Width, &TControl::SetWidth);
  p.Int("Height", &TControl::Height, &TControl::SetHeight);
  p.Enum("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
  // Setting Color clears ParentColor: a color written for a control that takes its parent's
  // would read back as its own.
  p.Int("Color", &TControl::Color, &TControl::SetColor)
      .Default(clBtnFace)
      .Idents(ColorIdents())
      .StoredWhen(TakesOwnColor);
  p.Int("Cursor", &TControl::Cursor, &TControl::SetCursor)
      .Default(crDefault)
      .Idents(CursorIdents());
  p.Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
  p.Object("Font", [](TControl& c) { return c.Font(); });
  p.String("Hint", &TControl::Hint, &TControl::SetHint);
  p.Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(true);
  p.Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
  p.Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Default(false);
  p.Bool("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  p.Event("OnClick", &TControl::OnClick);
}

VANTOREL_CLASS(TWinControl, TControl) {
  p.Int("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
  p.Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
}

VANTOREL_CLASS(TLabel, TControl) {
  p.String("Caption", &TLabel::Caption, &TLabel::SetCaption);
  p.Enum("Alignment", &TLabel::Alignment, &TLabel::SetAlignment).Default(taLeftJustify);
  p.Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize).Default(true);
  p.Enum("Layout", &TLabel::Layout, &TLabel::SetLayout).Default(tlTop);
  p.Bool("Transparent", &TLabel::Transparent, &TLabel::SetTransparent).Default(false);
  p.Bool("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap).Default(false);
}

VANTOREL_CLASS(TButton, TWinControl) {
  p.String("Caption", &TButton::Caption, &TButton::SetCaption);
  p.Bool("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false);
  p.Bool("Default", &TButton::Default, &TButton::SetDefault).Default(false);
  p.Int("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(mrNone);
  p.Bool("TabStop", &TButton::TabStop, &TButton::SetTabStop).Default(true);
}

VANTOREL_CLASS(TPanel, TWinControl) {
  p.String("Caption", &TPanel::Caption, &TPanel::SetCaption);
  p.Enum("Alignment", &TPanel::Alignment, &TPanel::SetAlignment).Default(taCenter);
  p.Enum("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner).Default(bvNone);
  p.Enum("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter).Default(bvRaised);
  p.Int("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth).Default(1);
  p.Int("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth).Default(0);
  p.Enum("BorderStyle", &TPanel::BorderStyle, &TPanel::SetBorderStyle).Default(bsNone);
}

VANTOREL_CLASS(TImage, TControl) {
  p.Picture("Picture", static_cast<TPicture* (TImage::*)()>(&TImage::Picture), &TImage::SetPicture);
  p.Bool("Center", &TImage::Center, &TImage::SetCenter).Default(false);
  p.Bool("Transparent", &TImage::Transparent, &TImage::SetTransparent).Default(false);
}

VANTOREL_CLASS(TBitBtn, TButton) {
  p.Picture("Glyph", static_cast<TPicture* (TBitBtn::*)()>(&TBitBtn::Glyph), &TBitBtn::SetGlyph);
  p.Int("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs).Default(1);
}

VANTOREL_CLASS(TProgressBar, TWinControl) {
  p.Int("Min", &TProgressBar::Min, &TProgressBar::SetMin).Default(0);
  p.Int("Max", &TProgressBar::Max, &TProgressBar::SetMax).Default(100);
  p.Int("Position", &TProgressBar::Position, &TProgressBar::SetPosition).Default(0);
}

VANTOREL_CLASS(TBevel, TControl) {
  p.Enum("Shape", &TBevel::Shape, &TBevel::SetShape).Default(bsBox);
  p.Enum("Style", &TBevel::Style, &TBevel::SetStyle).Default(bsLowered);
}

VANTOREL_CLASS(TEdit, TWinControl) {
  p.String("Text", &TEdit::Text, &TEdit::SetText);
  p.Int("Color", &TEdit::Color, &TEdit::SetColor)
      .Default(clWindow)
      .Idents(ColorIdents())
      .StoredWhen(TakesOwnColor);
  p.Int("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength).Default(0);
  p.Bool("ParentColor", &TEdit::ParentColor, &TEdit::SetParentColor).Default(false);
  p.Bool("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly).Default(false);
  p.Bool("TabStop", &TEdit::TabStop, &TEdit::SetTabStop).Default(true);
  p.Event("OnChange", &TEdit::OnChange);
}

// ---- TFont ----------------------------------------------------------------------------------

void TFont::Changed() {
  if (OnChange) OnChange(this);
}
void TFont::SetCharset(int v) {
  charset_ = v;
  Changed();
}
void TFont::SetColor(TColor v) {
  color_ = v;
  Changed();
}
void TFont::SetHeight(int v) {
  height_ = v;
  Changed();
}
int TFont::Size() const {
  return -(height_ * 72 - (height_ < 0 ? 48 : -48)) / 96;
}
void TFont::SetSize(int points) {
  SetHeight(-(points * 96 + 36) / 72);
}
void TFont::SetName(const std::string& v) {
  name_ = v;
  Changed();
}
void TFont::SetStyle(TFontStyles v) {
  style_ = v;
  Changed();
}
void TFont::SetPitch(TFontPitch v) {
  pitch_ = v;
  Changed();
}
void TFont::Assign(const TPersistent& source) {
  if (auto* font = dynamic_cast<const TFont*>(&source)) {
    charset_ = font->charset_;
    color_ = font->color_;
    height_ = font->height_;
    name_ = font->name_;
    style_ = font->style_;
    pitch_ = font->pitch_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

// ---- TControl -------------------------------------------------------------------------------

TControl::TControl(TComponent* owner) : TComponent(owner) {
  // A window shows its font's changes, a translator's new character set among them.
  font_.OnChange = [this](TObject*) { Changed(); };
}

TControl::~TControl() {
  if (native_ != 0) Application().Ui().ControlDestroying(*this);
  native_ = 0;
  if (parent_ != nullptr) std::erase(parent_->controls_, this);
  parent_ = nullptr;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  for (TControl* p = parent; p != nullptr; p = p->parent_)
    if (p == this) throw Exception(Format("%s cannot be a parent of itself", Name()));
  if (native_ != 0) {
    // The window belongs to the old parent; the backend makes a new one when it is shown again.
    Application().Ui().ControlDestroying(*this);
    native_ = 0;
  }
  TWinControl* old = parent_;
  if (parent_ != nullptr) std::erase(parent_->controls_, this);
  parent_ = parent;
  if (parent_ != nullptr) parent_->controls_.push_back(this);
  if (align_ != alNone) {
    if (old != nullptr) old->AlignControls();
    if (parent_ != nullptr) parent_->AlignControls();
  }
}

TForm* TControl::ParentForm() const {
  const TControl* top = this;
  while (top->parent_ != nullptr) top = top->parent_;
  return dynamic_cast<TForm*>(const_cast<TControl*>(top));
}

void TControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Changed();
  // An aligned control that changes its size moves its neighbours.
  if (align_ != alNone && parent_ != nullptr) parent_->AlignControls();
}

void TControl::SetAlign(TAlign v) {
  if (v == align_) return;
  align_ = v;
  if (parent_ != nullptr) parent_->AlignControls();
}

void TControl::SetText(const std::string& v) {
  if (v == text_) return;
  text_ = v;
  Changed();
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Changed();
  if (align_ != alNone && parent_ != nullptr) parent_->AlignControls();
}

bool TControl::Showing() const {
  for (const TControl* c = this; c != nullptr; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Changed();
}

void TControl::SetColor(TColor v) {
  color_ = v;
  parent_color_ = false;
  Changed();
}

void TControl::SetCursor(TCursor v) {
  cursor_ = v;
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::Repaint() {
  // The headless backend has no windows but writes what a repainted window shows.
  if (native_ != 0 || Application().Ui().IsHeadless()) Application().Ui().Repaint(*this);
}

TComponent* TControl::GetParentComponent() const {
  return parent_;
}

void TControl::SetParentComponent(TComponent* parent) {
  auto* win = dynamic_cast<TWinControl*>(parent);
  if (parent != nullptr && win == nullptr)
    throw Exception(Format("a %s cannot hold controls", parent->ClassName()));
  SetParent(win);
}

void TControl::Changed() {
  if (native_ != 0) Application().Ui().ControlChanged(*this);
}

// ---- TWinControl ----------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  while (!controls_.empty()) {
    TControl* child = controls_.back();
    if (child->IsDestroying()) {
      // Already on its way out through its owner; only forget it.
      child->SetParent(nullptr);
      continue;
    }
    child->Free();
  }
}

TWinControl::TClientArea TWinControl::ClientArea() const {
  return {0, 0, Width(), Height()};
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  const bool resized = width != Width() || height != Height();
  TControl::SetBounds(left, top, width, height);
  if (resized) AlignControls();
}

void TWinControl::Loaded() {
  TControl::Loaded();
  AlignControls();
}

void TWinControl::AlignControls() {
  // A form being read is laid out once, when it has been read whole.
  if (aligning_ || IsLoading() || IsDestroying()) return;
  aligning_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{aligning_};
  TClientArea a = ClientArea();
  int64_t left = a.left, top = a.top, right = int64_t{a.left} + a.width,
          bottom = int64_t{a.top} + a.height;
  auto fit = [](int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  };
  auto span = [&](int64_t from, int64_t to) { return fit(std::max<int64_t>(0, to - from)); };
  const std::vector<TControl*> children(controls_);
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TControl* c : children) {
      if (c->Align() != align || !c->Visible()) continue;
      switch (align) {
        case alTop:
          c->SetBounds(fit(left), fit(top), span(left, right), c->Height());
          top += c->Height();
          break;
        case alBottom:
          bottom -= c->Height();
          c->SetBounds(fit(left), fit(bottom), span(left, right), c->Height());
          break;
        case alLeft:
          c->SetBounds(fit(left), fit(top), c->Width(), span(top, bottom));
          left += c->Width();
          break;
        case alRight:
          right -= c->Width();
          c->SetBounds(fit(right), fit(top), c->Width(), span(top, bottom));
          break;
        default:
          c->SetBounds(fit(left), fit(top), span(left, right), span(top, bottom));
          break;
      }
    }
  }
}

TControl* TWinControl::Controls(int index) const {
  if (index < 0 || index >= ControlCount())
    throw EListError(Format("List index out of bounds (%d)", index));
  return controls_[static_cast<size_t>(index)];
}

// ---- the controls ---------------------------------------------------------------------------

TLabel::TLabel(TComponent* owner) : TControl(owner) {
  SetBounds(0, 0, 65, 17);
}

TControlDescription TLabel::Describe() const {
  // An empty label (a spacer) shows a person nothing.
  if (Caption().empty()) return {};
  return {"label", Caption(), {}};
}

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TButton::SetDefault(bool v) {
  if (v == default_) return;
  default_ = v;
  Changed();
}

void TButton::SetCancel(bool v) {
  cancel_ = v;
}

void TButton::Click() {
  if (TForm* form = ParentForm()) form->SetModalResult(modal_result_);
  TWinControl::Click();
}

TControlDescription TButton::Describe() const {
  TControlDescription d{"button", Caption(), {}};
  if (default_) d.flags.push_back("default");
  if (cancel_) d.flags.push_back("cancel");
  if (!Enabled()) d.flags.push_back("disabled");
  return d;
}

TPanel::TPanel(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelInner(TBevelCut v) {
  bevel_inner_ = v;
  Changed();
  AlignControls();
}
void TPanel::SetBevelOuter(TBevelCut v) {
  bevel_outer_ = v;
  Changed();
  AlignControls();
}
void TPanel::SetBevelWidth(int v) {
  bevel_width_ = v;
  Changed();
  AlignControls();
}
void TPanel::SetBorderWidth(int v) {
  border_width_ = v;
  AlignControls();
}
void TPanel::SetBorderStyle(TBorderStyle v) {
  border_style_ = v;
  Changed();
  AlignControls();
}

TWinControl::TClientArea TPanel::ClientArea() const {
  // Sizes a form may give at the ends of the int range stay there instead of overflowing.
  int64_t inset = int64_t{border_width_} + (border_style_ == bsSingle ? 1 : 0);
  if (bevel_outer_ != bvNone) inset += bevel_width_;
  if (bevel_inner_ != bvNone) inset += bevel_width_;
  auto fit = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, 0, INT32_MAX)); };
  return {fit(inset), fit(inset), fit(int64_t{Width()} - 2 * inset),
          fit(int64_t{Height()} - 2 * inset)};
}

TControlDescription TPanel::Describe() const {
  if (Caption().empty()) return {};
  return {"panel", Caption(), {}};
}

TImage::TImage(TComponent* owner) : TControl(owner) {
  SetBounds(0, 0, 105, 105);
  picture_.OnChange = [this](TObject*) { Changed(); };
}

void TImage::SetCenter(bool v) {
  center_ = v;
  Changed();
}

void TImage::SetTransparent(bool v) {
  transparent_ = v;
  Changed();
}

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {
  glyph_.OnChange = [this](TObject*) { Changed(); };
}

void TBitBtn::SetNumGlyphs(int v) {
  num_glyphs_ = std::clamp(v, 1, 4);
  Changed();
}

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 150, 16);
}

void TProgressBar::SetMin(int v) {
  min_ = v;
  position_ = std::max(position_, min_);
  Changed();
}

void TProgressBar::SetMax(int v) {
  max_ = v;
  position_ = std::min(position_, std::max(min_, max_));
  Changed();
}

void TProgressBar::SetPosition(int v) {
  v = std::clamp(v, min_, std::max(min_, max_));
  if (v == position_) return;
  position_ = v;
  Changed();
}

TBevel::TBevel(TComponent* owner) : TControl(owner) {
  SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape v) {
  shape_ = v;
  Changed();
}

void TBevel::SetStyle(TBevelStyle v) {
  style_ = v;
  Changed();
}

const TFont& EffectiveFont(const TControl& control) {
  const TControl* c = &control;
  while (c->ParentFont() && c->Parent() != nullptr && dynamic_cast<const TForm*>(c) == nullptr)
    c = c->Parent();
  return *c->Font();
}

TTextSize MeasureText(const TControl& control, const std::string& text) {
  TTextSize size;
  Application().Ui().MeasureText(EffectiveFont(control), text, size.width, size.height);
  return size;
}

int MeasureWrappedText(const TControl& control, const std::string& text, int width) {
  return Application().Ui().MeasureWrappedText(EffectiveFont(control), text, width);
}

int TUiBackend::MeasureWrappedText(const TFont& font, const std::string& text, int width) {
  int ignored = 0, line_height = 0;
  MeasureText(font, "Ag", ignored, line_height);
  line_height = std::max(1, line_height);
  if (text.empty()) return line_height;
  int lines = 1;
  std::string line;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(at, end - at);
    std::string longer = line.empty() ? word : line + " " + word;
    int longer_width = 0, height = 0;
    MeasureText(font, longer, longer_width, height);
    if (!line.empty() && longer_width > width) {
      ++lines;
      line = word;
    } else {
      line = longer;
    }
    at = end + 1;
  }
  return lines * line_height;
}

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetColor(clWindow);
  SetParentColor(false);
}

void TEdit::SetText(const std::string& v) {
  if (v == Text()) return;
  TWinControl::SetText(v);
  if (OnChange && !IsLoading()) OnChange(this);
}

TControlDescription TEdit::Describe() const {
  TControlDescription d{"edit", Text(), {}};
  if (!Enabled()) d.flags.push_back("disabled");
  if (read_only_) d.flags.push_back("readonly");
  return d;
}

}  // namespace vantorel
