#pragma once
// Controls: the visual components a form holds. They keep their state here; the user-interface
// backend (win32 windows or the headless widget tree) shows that state once their form is shown.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/classes.h"
#include "framework/component.h"

namespace vantorel {

class TWinControl;
class TForm;

// Colours: RGB values, or a system colour (high bit set, low byte the system colour index).
using TColor = int32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
inline constexpr TColor clWindow = clSystemColor | 5;
inline constexpr TColor clWindowText = clSystemColor | 8;
inline constexpr TColor clBtnFace = clSystemColor | 15;
inline constexpr TColor clBtnText = clSystemColor | 18;
inline constexpr TColor clHighlight = clSystemColor | 13;
inline constexpr TColor clHighlightText = clSystemColor | 14;
const TIdentMap& ColorIdents();

// Cursors, as the form format and Screen use them.
using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crNo = -12;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
const TIdentMap& CursorIdents();

// Character sets of fonts.
inline constexpr int ANSI_CHARSET = 0;
inline constexpr int DEFAULT_CHARSET = 1;
inline constexpr int SYMBOL_CHARSET = 2;
inline constexpr int OEM_CHARSET = 255;
const TIdentMap& CharsetIdents();

// Modal results; a button's ModalResult closes its modal form with that result.
using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;

VANTOREL_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient);
VANTOREL_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter);
VANTOREL_ENUM(TTextLayout, tlTop, tlCenter, tlBottom);
VANTOREL_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut);
using TFontStyles = TSet<TFontStyle>;
VANTOREL_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed);
VANTOREL_ENUM(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace);
// Forms use every value; panels and edits only bsNone and bsSingle.
VANTOREL_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow,
              bsSizeToolWin);
using TBorderStyle = TFormBorderStyle;

class TFont : public TPersistent {
 public:
  int Charset() const { return charset_; }
  void SetCharset(int v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  int Height() const { return height_; }
  void SetHeight(int v);
  // Points at 96 pixels per inch; derived from Height.
  int Size() const;
  void SetSize(int points);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& v);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles v);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch v);
  void Assign(const TPersistent& source) override;
  TNotifyEvent OnChange;

 private:
  void Changed();
  int charset_ = DEFAULT_CHARSET;
  TColor color_ = clWindowText;
  int height_ = -11;
  std::string name_ = "MS Sans Serif";
  TFontStyles style_;
  TFontPitch pitch_ = fpDefault;
};

// What a control shows a person, as the headless transcript writes it: `label "Welcome"`,
// `button "OK" default`. An empty keyword: nothing to report.
struct TControlDescription {
  std::string keyword;
  std::string text;
  std::vector<std::string> flags;
};

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  // The form this control is on (itself for a form that has no parent form).
  TForm* ParentForm() const;

  int Left() const { return left_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  int Top() const { return top_; }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  int Width() const { return width_; }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  int Height() const { return height_; }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);

  // Caption and Text are one text, as on the platform the forms come from.
  const std::string& Caption() const { return text_; }
  void SetCaption(const std::string& v) { SetText(v); }
  const std::string& Text() const { return text_; }
  virtual void SetText(const std::string& v);

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent visible.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v);

  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TFont* Font() { return &font_; }
  const TFont* Font() const { return &font_; }
  bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool v) { parent_font_ = v; }
  bool ParentColor() const { return parent_color_; }
  void SetParentColor(bool v) { parent_color_ = v; }
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v);
  TCursor Cursor() const { return cursor_; }
  virtual void SetCursor(TCursor v);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& v) { hint_ = v; }
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool v) { show_hint_ = v; }

  // Fires OnClick; an exception from the handler goes to the application's handler.
  virtual void Click();
  TNotifyEvent OnClick;

  // Repaints the control now (no effect in the headless backend).
  void Repaint();

  // For the headless transcript; controls that show text override it.
  virtual TControlDescription Describe() const { return {}; }

  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;

  // The backend's handle of the control's window; 0 while it has none.
  uintptr_t NativeHandle() const { return native_; }
  void SetNativeHandle(uintptr_t handle) { native_ = handle; }

 protected:
  // Tells the backend that something it shows has changed.
  void Changed();

 private:
  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::string text_;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clBtnFace;
  TFont font_;
  bool parent_font_ = true;
  bool parent_color_ = true;
  TAlign align_ = alNone;
  TCursor cursor_ = crDefault;
  std::string hint_;
  bool show_hint_ = false;
  uintptr_t native_ = 0;
};

// A control that can hold other controls.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  // Destroys its child controls (last first) before anything else of it goes.
  ~TWinControl() override;

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const;  // raises EListError outside 0..Count-1

  struct TClientArea {
    int left = 0, top = 0, width = 0, height = 0;
  };
  // Where aligned children go: the whole control, less its frame.
  virtual TClientArea ClientArea() const;
  // Lays out the visible children with an Align: top ones from the top down in child order,
  // then bottom, left and right ones, and the client one in what is left.
  void AlignControls();
  void SetBounds(int left, int top, int width, int height) override;
  void Loaded() override;
  int TabOrder() const { return tab_order_; }
  void SetTabOrder(int v) { tab_order_ = v; }
  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool v) { tab_stop_ = v; }

 private:
  friend class TControl;
  std::vector<TControl*> controls_;
  int tab_order_ = -1;
  bool tab_stop_ = false;
  bool aligning_ = false;
};

class TLabel : public TControl {
 public:
  explicit TLabel(TComponent* owner);
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v) { auto_size_ = v; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) {
    alignment_ = v;
    Changed();
  }
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout v) {
    layout_ = v;
    Changed();
  }
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool v) {
    word_wrap_ = v;
    Changed();
  }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v) { transparent_ = v; }
  TControlDescription Describe() const override;

 private:
  bool auto_size_ = true;
  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool word_wrap_ = false;
  bool transparent_ = false;
};

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  // The button Enter presses.
  bool Default() const { return default_; }
  void SetDefault(bool v);
  // The button Escape presses.
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v);
  TModalResult ModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult v) { modal_result_ = v; }
  // Sets the form's ModalResult to the button's, then fires OnClick.
  void Click() override;
  TControlDescription Describe() const override;

 private:
  bool default_ = false;
  bool cancel_ = false;
  TModalResult modal_result_ = mrNone;
};

class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* owner);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { alignment_ = v; }
  TBevelCut BevelInner() const { return bevel_inner_; }
  void SetBevelInner(TBevelCut v);
  TBevelCut BevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TBevelCut v);
  int BevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int v);
  int BorderWidth() const { return border_width_; }
  void SetBorderWidth(int v);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle v);
  TControlDescription Describe() const override;
  TClientArea ClientArea() const override;

 private:
  TAlignment alignment_ = taCenter;
  TBevelCut bevel_inner_ = bvNone;
  TBevelCut bevel_outer_ = bvRaised;
  int bevel_width_ = 1;
  int border_width_ = 0;
  TBorderStyle border_style_ = bsNone;
};

class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* owner);
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int v) { max_length_ = v; }
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v) { read_only_ = v; }
  void SetText(const std::string& v) override;
  // Fires when the text changes (from code or from the user).
  TNotifyEvent OnChange;
  TControlDescription Describe() const override;

 private:
  int max_length_ = 0;
  bool read_only_ = false;
};

// A picture on a form: a bitmap shown at its own size.
class TImage : public TControl {
 public:
  explicit TImage(TComponent* owner);
  TPicture* Picture() { return &picture_; }
  const TPicture* Picture() const { return &picture_; }
  void SetPicture(const TPicture& v) { picture_.Assign(v); }
  // The picture in the middle of the control rather than at its top left.
  bool Center() const { return center_; }
  void SetCenter(bool v);
  // The picture's lower-left pixel colour shows the background instead.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);

 private:
  TPicture picture_;
  bool center_ = false;
  bool transparent_ = false;
};

// A push button with a glyph: a bitmap of NumGlyphs pictures side by side (enabled, disabled).
class TBitBtn : public TButton {
 public:
  explicit TBitBtn(TComponent* owner);
  TPicture* Glyph() { return &glyph_; }
  const TPicture* Glyph() const { return &glyph_; }
  void SetGlyph(const TPicture& v) { glyph_.Assign(v); }
  int NumGlyphs() const { return num_glyphs_; }
  void SetNumGlyphs(int v);

 private:
  TPicture glyph_;
  int num_glyphs_ = 1;
};

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* owner);
  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  // Kept inside Min..Max.
  int Position() const { return position_; }
  void SetPosition(int v);

 private:
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
};

VANTOREL_ENUM(TBevelShape, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine,
              bsSpacer);
VANTOREL_ENUM(TBevelStyle, bsLowered, bsRaised);

// An etched line or box drawn inside the control's rectangle.
class TBevel : public TControl {
 public:
  explicit TBevel(TComponent* owner);
  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape v);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle v);

 private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};

// The width and height of one line of text in a control's font (the font it shows: its own,
// or its parent's while ParentFont).
struct TTextSize {
  int width = 0;
  int height = 0;
};
TTextSize MeasureText(const TControl& control, const std::string& text);
// The height a word-wrapped label of this width takes for the text, in the control's font.
int MeasureWrappedText(const TControl& control, const std::string& text, int width);
// The font a control is drawn in.
const TFont& EffectiveFont(const TControl& control);

}  // namespace vantorel
