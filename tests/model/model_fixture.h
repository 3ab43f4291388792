#pragma once
// A form to put install objects on, and a recorder of the component calls they broadcast.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dialogs/grab_call.h"
#include "framework/application.h"
#include "framework/forms.h"
#include "model/container.h"
#include "model/file_container.h"
#include "model/install_file.h"
#include "model/symbolic_paths.h"

namespace vantorel::testing {

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override { form_ = std::make_unique<TForm>(nullptr); }
  void TearDown() override { form_.reset(); }

  template <class T>
  T* Make(const std::string& name) {
    T* object = new T(form_.get());
    object->SetName(name);
    return object;
  }

  // A TGrabCall on `container` that writes every call it hears into `log_`.
  TGrabCall* Recorder(TInstallContainer* container) {
    auto* grab = Make<TGrabCall>("Recorder" + std::to_string(recorders_++));
    grab->SetContainer(container);
    grab->OnCall = [this](TInstallContainer* c, int call, TObject*) {
      log_.push_back(c->Name() + ":" + std::to_string(call));
    };
    return grab;
  }

  std::unique_ptr<TForm> form_;
  std::vector<std::string> log_;
  int recorders_ = 0;
};

}  // namespace vantorel::testing
