// The project form reader, as `vantorel check` reads a project from anywhere: design mode, every
// class of the install program registered (the harness links them all, as the programs do), and
// the tree written back as the builder saves it. The input is the form text.
#include "framework/streaming.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vantorel;
  fuzz::Setup();
  TReadOptions options;
  options.source_name = "fuzz.vform";
  options.design_mode = true;
  size_t told = 0;
  options.on_property = [&](TComponent&, const std::string& name, const std::string& value, int) {
    told += name.size() + value.size();
  };
  try {
    std::unique_ptr<TComponent> root =
        ReadForm(std::string_view(reinterpret_cast<const char*>(data), size), options);
    (void)WriteForm(*root);
  } catch (const Exception&) {
    // A read error names the line; a constructor or setter refusing a value is one too.
  }
  (void)told;
  return 0;
}
