// vantorel check FORM: reads a project form as the install program would and prints its tree.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "apps/vantorel/commands.h"
#include "framework/streaming.h"

namespace vantorel {

namespace {

struct SetProperty {
  std::string name;
  std::string value;
};

// The component a component is nested in when printed: its parent when that belongs to the form.
TComponent* PrintParent(TComponent& root, TComponent& c) {
  TComponent* parent = c.GetParentComponent();
  if (parent == nullptr || parent == &c) return &root;
  if (parent != &root && parent->Owner() != &root) return &root;
  return parent;
}

class TreePrinter {
 public:
  TreePrinter(TComponent& root, const std::map<TComponent*, std::vector<SetProperty>>& props,
              std::FILE* out)
      : props_(props), out_(out) {
    // Each component's children once, in creation order: a form of many siblings prints in
    // linear time.
    for (int i = 0; i < root.ComponentCount(); ++i) {
      TComponent* child = root.Components(i);
      children_[PrintParent(root, *child)].push_back(child);
    }
  }

  void Print(TComponent& c, int level) {
    std::string indent(static_cast<size_t>(level) * 2, ' ');
    std::fprintf(out_, "%s%s: %s\n", indent.c_str(),
                 c.Name().empty() ? "(unnamed)" : c.Name().c_str(), c.ClassName().c_str());
    if (auto it = props_.find(&c); it != props_.end())
      for (const auto& p : it->second)
        std::fprintf(out_, "%s  %s = %s\n", indent.c_str(), p.name.c_str(), p.value.c_str());
    if (level > kMaxFormNesting) return;
    if (auto it = children_.find(&c); it != children_.end())
      for (TComponent* child : it->second)
        if (child != &c) Print(*child, level + 1);
  }

 private:
  const std::map<TComponent*, std::vector<SetProperty>>& props_;
  std::FILE* out_;
  std::map<TComponent*, std::vector<TComponent*>> children_;
};

}  // namespace

int CheckCommand(const Args& args, std::FILE* out, std::FILE* err) {
  if (args.size() != 1) {
    std::fprintf(err, "vantorel: check needs one form file\n");
    return kExitUsage;
  }
  const std::string& path = args[0];
  std::string text;
  if (!ReadTextFile(path, text)) {
    std::fprintf(err, "%s: cannot read the file\n", path.c_str());
    return kExitFailed;
  }
  std::map<TComponent*, std::vector<SetProperty>> props;
  TReadOptions options;
  options.source_name = path;
  options.design_mode = true;
  options.on_property = [&](TComponent& c, const std::string& name, std::string value, int) {
    props[&c].push_back({name, std::move(value)});
  };
  try {
    std::unique_ptr<TComponent> root = ReadForm(text, options);
    TreePrinter(*root, props, out).Print(*root, 0);
  } catch (const Exception& e) {
    std::fprintf(err, "%s\n", e.Message().c_str());
    return kExitFormErrors;
  }
  return kExitOk;
}

}  // namespace vantorel
