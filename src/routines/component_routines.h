#pragma once
// Routines on components that the install objects share.
#include <string>

namespace vantorel {

class TComponent;

// Gives `component` the name `base`, or else `base` followed by 1, 2, 3, ...: the first name its
// owner accepts stays. A refusal that is not a clash with another component's name (an invalid
// identifier, a component that refuses every name) is raised, never retried without end.
void UniqueComponentName(TComponent& component, const std::string& base);

}  // namespace vantorel
