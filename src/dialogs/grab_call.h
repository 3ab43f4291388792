#pragma once
// An install object that hands every component call of its container to user code.
#include "model/container.h"

namespace vantorel {

class TGrabCall : public TInstallObject {
 public:
  using TInstallObject::TInstallObject;
  int RegisteredType() const override { return kRegDialog; }
  void HandleComponentCall(TInstallContainer* container, int component_call, TObject* po) override;

  TExternalComponentCall OnCall;
};

}  // namespace vantorel
