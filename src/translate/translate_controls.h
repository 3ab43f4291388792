#pragma once
// Controls whose text the translator finds by number (GLID); 0: translated by their text.
#include <cstdint>

#include "framework/controls.h"

namespace vantorel {

class TTranslateLabel : public TLabel {
 public:
  using TLabel::TLabel;
  int32_t GLID() const { return glid_; }
  void SetGLID(int32_t v) { glid_ = v; }

 private:
  int32_t glid_ = 0;
};

class TTranslateBitBtn : public TBitBtn {
 public:
  using TBitBtn::TBitBtn;
  int32_t GLID() const { return glid_; }
  void SetGLID(int32_t v) { glid_ = v; }

 private:
  int32_t glid_ = 0;
};

// The GLID of a translatable control; 0 for every other component.
int32_t GLIDOf(const TComponent& component);

}  // namespace vantorel
