#include "dialogs/grab_call.h"

namespace vantorel {

void TGrabCall::HandleComponentCall(TInstallContainer* container, int component_call, TObject* po) {
  TInstallObject::HandleComponentCall(container, component_call, po);
  if (OnCall) OnCall(container, component_call, po);
}

VANTOREL_CLASS(TGrabCall, TInstallObject) {
  p.Component("Container", &TGrabCall::Container, &TGrabCall::SetContainer);
  p.Event("OnCall", &TGrabCall::OnCall);
}

}  // namespace vantorel
