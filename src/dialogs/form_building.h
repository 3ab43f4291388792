#pragma once
// What the install forms are built of: their controls made in code, the translatable ones
// through the translator's classes where the program has them, and labels that take the height
// of their wrapped text.
#include <string>

#include "framework/controls.h"

namespace vantorel {

// A control owned by `owner` and placed on `parent`, with its name, caption, alignment and size.
template <class T>
T* NewControl(TComponent* owner, TWinControl* parent, const std::string& name, TAlign align,
              int left, int top, int width, int height) {
  T* control = new T(owner);
  control->SetName(name);
  control->SetBounds(left, top, width, height);
  control->SetAlign(align);
  control->SetParent(parent);
  return control;
}

// A label or button that carries a GLID, the number of its text in the language files: a
// TTranslateLabel / TTranslateBitBtn where the translator's classes are registered, else a
// plain TLabel / TBitBtn with the same caption (translated by its text instead).
TLabel* NewTranslateLabel(TComponent* owner, TWinControl* parent, const std::string& name,
                          const std::string& caption, int glid);
TButton* NewTranslateBitBtn(TComponent* owner, TWinControl* parent, const std::string& name,
                            const std::string& caption, int glid);
// The GLID a control carries; 0 when it has none.
int GlidOf(const TComponent& control);

// A panel without bevels (a layout box of the designed forms).
TPanel* NewBox(TComponent* owner, TWinControl* parent, const std::string& name, TAlign align,
               int width, int height, int border_width);

// The height a text takes wrapped at words to `width` in the control's font.
int WrappedTextHeight(const TControl& control, const std::string& text, int width);
// Word-wrapped labels aligned to the top take the height of their text, as an automatically
// sized label does; other labels keep theirs.
void FitLabelHeights(TWinControl& parent);

}  // namespace vantorel
