#include "routines/component_routines.h"

#include "framework/component.h"

namespace vantorel {

void UniqueComponentName(TComponent& component, const std::string& base) {
  // Only the owner's other components can hold a name, so if each of them took one candidate
  // the next is free: more refusals than that mean the refusal is not about a clash.
  const TComponent* owner = component.Owner();
  const int attempts = (owner != nullptr ? owner->ComponentCount() : 0) + 1;
  for (int n = 0;; ++n) {
    try {
      component.SetName(n == 0 ? base : base + std::to_string(n));
      return;
    } catch (const EComponentError&) {
      if (n + 1 >= attempts || !IsValidIdent(base)) throw;
    }
  }
}

}  // namespace vantorel
