// A saved project reads back as the same project: every published property of every registered
// class, set to the empty value and to values other than its default, survives write, read and
// write again. The classes come from the registry, so a class added later is covered too.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/forms.h"
#include "framework/streaming.h"

namespace vantorel {
namespace {

TReadOptions Design() {
  TReadOptions options;
  options.source_name = "round trip";
  options.design_mode = true;
  return options;
}

bool IsRootClass(const TClass* cls) {
  return cls->InheritsFrom(TClassOf<TForm>()) || cls->InheritsFrom(TClassOf<TDataModule>());
}

std::string SubjectName(const TClass* cls) {
  return cls->ClassName().substr(1) + "1";
}

// A form holding a component of every creatable class, as a user might put them there: the path
// specifiers first, so that constructors that look one up find it, then the install component,
// which the other install objects join in design mode. A class that cannot share the form (a
// second install component) gets a form of its own, with the path specifiers.
struct Habitat {
  std::string text;
  std::vector<const TClass*> members;
};

std::string Member(const TClass* cls) {
  return "  object " + SubjectName(cls) + ": " + cls->ClassName() + "\n  end\n";
}

bool Reads(const std::string& text) {
  try {
    ReadForm(text, Design()).reset();
    return true;
  } catch (const Exception&) {
    return false;
  }
}

std::vector<Habitat> Habitats() {
  std::vector<const TClass*> specifiers, install, rest;
  for (const TClass* cls : RegisteredClasses()) {
    if (!cls->CanCreate() || !cls->InheritsFrom(TClassOf<TComponent>()) || IsRootClass(cls))
      continue;
    if (cls->ClassName().rfind("Tps", 0) == 0)
      specifiers.push_back(cls);
    else if (cls->ClassName() == "TInstall")
      install.push_back(cls);
    else
      rest.push_back(cls);
  }
  std::string common;
  for (const TClass* cls : specifiers) common += Member(cls);
  Habitat zoo{common, specifiers};
  std::vector<Habitat> out;
  install.insert(install.end(), rest.begin(), rest.end());
  for (const TClass* cls : install) {
    std::string with = zoo.text + Member(cls);
    if (Reads("object Form1: TForm1\n" + with + "end\n")) {
      zoo.text = with;
      zoo.members.push_back(cls);
    } else {
      out.push_back({common + Member(cls), {cls}});
    }
  }
  out.insert(out.begin(), zoo);
  for (Habitat& h : out) h.text = "object Form1: TForm1\n" + h.text + "end\n";
  return out;
}

// A property as reached from a component: a path through sub-objects.
struct PropPath {
  std::vector<const TPropInfo*> steps;
  std::string Name() const {
    std::string name;
    for (const TPropInfo* p : steps) name += (name.empty() ? "" : ".") + p->name;
    return name;
  }
};

void CollectPaths(const TClass* cls, PropPath prefix, std::vector<PropPath>& out, int depth = 0) {
  for (const TPropInfo* p : cls->Properties()) {
    PropPath path = prefix;
    path.steps.push_back(p);
    if (p->kind == TPropKind::Object) {
      if (depth < 4) CollectPaths(p->object_class, path, out, depth + 1);
    } else if (!p->never_stored) {
      out.push_back(path);
    }
  }
}

// The object holding the last property of the path, or nullptr.
TObject* Holder(TComponent& component, const PropPath& path) {
  TObject* instance = &component;
  for (size_t i = 0; i + 1 < path.steps.size(); ++i) {
    instance = path.steps[i]->get_object(*instance);
    if (instance == nullptr) return nullptr;
  }
  return instance;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (uint8_t b : bytes) (out += kHex[b >> 4]) += kHex[b & 15];
  return out;
}

// The value of a property, comparable across two trees of the same form.
std::string ValueOf(TComponent& component, const PropPath& path) {
  TObject* instance = Holder(component, path);
  if (instance == nullptr) return "(no object)";
  const TPropInfo& p = *path.steps.back();
  switch (p.kind) {
    case TPropKind::Integer:
    case TPropKind::Boolean:
    case TPropKind::Enumeration:
    case TPropKind::Set:
      return std::to_string(p.get_ordinal(*instance));
    case TPropKind::Float:
      return std::to_string(p.get_float(*instance));
    case TPropKind::String:
      return "'" + p.get_string(*instance) + "'";
    case TPropKind::StringList: {
      auto* list = static_cast<TStringList*>(p.get_object(*instance));
      return list == nullptr ? "(none)" : "(" + list->Text() + ")";
    }
    case TPropKind::Picture: {
      auto* picture = static_cast<TPicture*>(p.get_object(*instance));
      return picture == nullptr ? "(none)" : "{" + Hex(picture->Data()) + "}";
    }
    case TPropKind::Component: {
      auto* target = dynamic_cast<TComponent*>(p.get_object(*instance));
      return target == nullptr ? "nil" : target->Name();
    }
    case TPropKind::Event:
      return component.EventHandlerName(p.name);
    case TPropKind::Object:
      break;
  }
  return "?";
}

// The first line where two texts part, with its neighbours.
std::string FirstDifference(const std::string& a, const std::string& b) {
  size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  auto around = [at](const std::string& s) {
    size_t start = s.rfind('\n', at == 0 ? 0 : at - 1);
    start = start == std::string::npos ? 0 : start + 1;
    if (start > 0) start = s.rfind('\n', start - 2) + 1;
    return s.substr(start, 160);
  };
  return "written:\n" + around(a) + "\nread back and written:\n" + around(b);
}

struct Candidate {
  std::string label;
  std::function<void(TComponent& root, TComponent& component, TObject& instance)> set;
};

// The empty value first, then the stored default (where a constructor may have chosen another),
// then values other than the default.
std::vector<Candidate> CandidatesFor(const TPropInfo& p, TComponent& root) {
  std::vector<Candidate> out;
  auto with_default = [&p](std::vector<Candidate> values) {
    if (p.default_ordinal) {
      int64_t v = *p.default_ordinal;
      values.insert(values.begin() + 1,
                    {"default " + std::to_string(v),
                     [&p, v](TComponent&, TComponent&, TObject& o) { p.set_ordinal(o, v); }});
    } else if (p.default_float) {
      double v = *p.default_float;
      values.insert(values.begin() + 1, {"default", [&p, v](TComponent&, TComponent&, TObject& o) {
                                           p.set_float(o, v);
                                         }});
    } else if (p.default_string) {
      std::string v = *p.default_string;
      values.insert(values.begin() + 1,
                    {"default '" + v + "'",
                     [&p, v](TComponent&, TComponent&, TObject& o) { p.set_string(o, v); }});
    }
    return values;
  };
  auto ordinal = [&](int64_t v) {
    out.push_back({std::to_string(v),
                   [&p, v](TComponent&, TComponent&, TObject& o) { p.set_ordinal(o, v); }});
  };
  switch (p.kind) {
    case TPropKind::Integer:
      for (int64_t v : {int64_t{0}, int64_t{1}, int64_t{7}, int64_t{-1}, p.min_value, p.max_value})
        if (v >= p.min_value && v <= p.max_value) ordinal(v);
      break;
    case TPropKind::Boolean:
      ordinal(0);
      ordinal(1);
      break;
    case TPropKind::Enumeration:
      for (int i = 0; i < p.enum_info->Count(); ++i) ordinal(i);
      break;
    case TPropKind::Set: {
      int count = std::min(p.enum_info->Count(), 63);
      ordinal(0);
      ordinal(1);
      ordinal((int64_t{1} << count) - 1);
      break;
    }
    case TPropKind::Float:
      for (double v : {0.0, 0.5, -3.25})
        out.push_back({std::to_string(v),
                       [&p, v](TComponent&, TComponent&, TObject& o) { p.set_float(o, v); }});
      break;
    case TPropKind::String:
      for (std::string v : {std::string(), std::string("x"), std::string("It's\r\n\t#1"),
                            std::string(150, 'w') + "\\end"})
        out.push_back({"'" + v.substr(0, 12) + "'",
                       [&p, v](TComponent&, TComponent&, TObject& o) { p.set_string(o, v); }});
      break;
    case TPropKind::StringList:
      for (std::vector<std::string> v : {std::vector<std::string>{}, {"a", "", "c's"}})
        out.push_back({"(" + std::to_string(v.size()) + " lines)",
                       [&p, v](TComponent&, TComponent&, TObject& o) {
                         TStringList lines;
                         for (const std::string& line : v) lines.Add(line);
                         p.set_object(o, &lines);
                       }});
      break;
    case TPropKind::Picture: {
      // A 2 x 1 bitmap of 24 bits: header and one padded row.
      std::vector<uint8_t> dib(40 + 8, 0);
      dib[0] = 40;
      dib[4] = 2;
      dib[8] = 1;
      dib[12] = 1;
      dib[14] = 24;
      for (std::vector<uint8_t> v : {std::vector<uint8_t>{}, dib})
        out.push_back({"{" + std::to_string(v.size()) + " bytes}",
                       [&p, v](TComponent&, TComponent&, TObject& o) {
                         TPicture picture;
                         picture.SetData(v);
                         p.set_object(o, &picture);
                       }});
      break;
    }
    case TPropKind::Component: {
      out.push_back(
          {"nil", [&p](TComponent&, TComponent&, TObject& o) { p.set_object(o, nullptr); }});
      std::vector<TComponent*> targets{&root};
      for (int i = 0; i < root.ComponentCount(); ++i) targets.push_back(root.Components(i));
      for (TComponent* t : targets) {
        if (!p.accepts(t)) continue;
        std::string name = t->Name();
        out.push_back({name, [&p, name](TComponent& r, TComponent&, TObject& o) {
                         TComponent* target = r.Name() == name ? &r : r.FindComponent(name);
                         p.set_object(o, target);
                       }});
      }
      break;
    }
    case TPropKind::Event:
      for (std::string v : {std::string(), std::string("SomeHandler")})
        out.push_back({v.empty() ? "no handler" : v, [&p, v](TComponent&, TComponent& c, TObject&) {
                         c.SetEventHandlerName(p.name, v);
                       }});
      break;
    case TPropKind::Object:
      break;
  }
  return out.empty() ? out : with_default(std::move(out));
}

// Departures this test found in other parts of the system and that are not mended yet; each is a
// fault, named here so that everything else stays guarded. "*" stands for any class. Remove an
// entry once its fault is mended.
const std::set<std::string> kKnownDepartures = {
    // A page the wizard tests build in code: it makes unnamed buttons in its constructor, which
    // a form read back then holds twice. No project form has one.
    "TRunTestPage",
    // A component that names no Container joins the install component while its form is read
    // and leaves it when loading ends; a container set to such a component is refused as
    // circular when the form is read back.
    "TInstall.Container", "TInstallFileGroup.Container",
    // A file's order is renumbered when its container is read.
    "TInstallFile.Order",
    "TUninstallEXE.Order",
    // Not a fault: a language keeps lines that do not parse, so that they can be mended, and a
    // form holding them is refused when read, with the parse error and its line.
    "TTranslator.*.Strings",
};

bool Known(const TClass* cls, const PropPath* path) {
  if (kKnownDepartures.count(cls->ClassName())) return true;
  return path != nullptr &&
         (kKnownDepartures.count(cls->ClassName() + "." + path->Name()) ||
          kKnownDepartures.count("*." + path->Name()) ||
          kKnownDepartures.count(cls->ClassName() + ".*." + path->steps.back()->name));
}

struct Change {
  std::string subject;  // the component's name in the form
  PropPath path;
  Candidate candidate;
};

class FormRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override { Application().Reinitialize(); }
  void TearDown() override { Application().Reinitialize(); }

  // Reads `text`, applies the changes, writes, reads that back and writes it again: the two texts
  // and the changed values must agree. False when no change could be made.
  bool RoundTrip(const std::string& text, const std::vector<Change>& changes,
                 const std::string& what) {
    std::unique_ptr<TComponent> root = ReadForm(text, Design());
    std::vector<std::pair<const Change*, std::string>> expected;
    for (const Change& change : changes) {
      TComponent* c = Find(*root, change.subject);
      if (c == nullptr) continue;
      TObject* instance = Holder(*c, change.path);
      if (instance == nullptr) continue;
      try {
        change.candidate.set(*root, *c, *instance);
      } catch (const std::exception&) {
        continue;  // a value the setter refuses is no value of a project
      }
      expected.emplace_back(&change, "");
    }
    if (expected.empty()) return false;
    for (auto& [change, value] : expected)
      value = ValueOf(*Find(*root, change->subject), change->path);

    std::string written = WriteForm(*root);
    root.reset();
    std::unique_ptr<TComponent> again;
    try {
      again = ReadForm(written, Design());
    } catch (const Exception& e) {
      ADD_FAILURE() << what << ": the written form does not read back: " << e.Message() << "\n"
                    << written;
      return true;
    }
    std::string rewritten = WriteForm(*again);
    if (rewritten != written)
      ADD_FAILURE() << what << ": the text changes\n" << FirstDifference(written, rewritten);
    for (const auto& [change, value] : expected) {
      TComponent* c = Find(*again, change->subject);
      if (c == nullptr) {
        ADD_FAILURE() << what << ": " << change->subject << " is gone";
        continue;
      }
      // A control that takes its parent's color has no color of its own to keep.
      if (auto* control = dynamic_cast<TControl*>(c);
          control != nullptr && change->path.Name() == "Color" && control->ParentColor() &&
          control->Parent() != nullptr) {
        continue;
      }
      EXPECT_EQ(ValueOf(*c, change->path), value)
          << what << ": " << change->subject << "." << change->path.Name();
    }
    return true;
  }

  static TComponent* Find(TComponent& root, const std::string& name) {
    return root.Name() == name ? &root : root.FindComponent(name);
  }

  // Every property of `subject` (a component of the form `text`), one value at a time, then all
  // empty values at once and all last values at once.
  void EveryProperty(const std::string& text, const std::string& subject, const TClass* cls) {
    if (Known(cls, nullptr)) return;
    std::vector<PropPath> paths;
    CollectPaths(cls, {}, paths);
    std::vector<Change> empties, others;
    // The values, among them the components of the form a reference may name.
    std::vector<std::vector<Candidate>> values;
    {
      std::unique_ptr<TComponent> probe = ReadForm(text, Design());
      for (const PropPath& path : paths)
        values.push_back(CandidatesFor(*path.steps.back(), *probe));
    }
    for (size_t i = 0; i < paths.size(); ++i) {
      const PropPath& path = paths[i];
      if (Known(cls, &path)) continue;
      const std::vector<Candidate>& candidates = values[i];
      bool any = false;
      for (const Candidate& candidate : candidates) {
        std::string what = cls->ClassName() + "." + path.Name() + " = " + candidate.label;
        if (RoundTrip(text, {{subject, path, candidate}}, what)) any = true;
        ++round_trips_;
      }
      // A property that takes no value at all would go untested unnoticed.
      EXPECT_TRUE(any || candidates.empty())
          << cls->ClassName() << "." << path.Name() << " took none of the values tried";
      if (!candidates.empty()) {
        empties.push_back({subject, path, candidates.front()});
        others.push_back({subject, path, candidates.back()});
      }
    }
    RoundTrip(text, empties, cls->ClassName() + " with every property empty");
    RoundTrip(text, others, cls->ClassName() + " with every property changed");
    tested_.insert(cls->ClassName());
  }

  int round_trips_ = 0;
  std::set<std::string> tested_;
};

TEST_F(FormRoundTrip, EveryPublishedPropertyOfEveryRegisteredClass) {
  std::vector<Habitat> habitats = Habitats();
  for (const Habitat& h : habitats) {
    // The form itself reads back unchanged, and every member is in it.
    std::unique_ptr<TComponent> root = ReadForm(h.text, Design());
    for (const TClass* cls : h.members)
      EXPECT_NE(root->FindComponent(SubjectName(cls)), nullptr) << SubjectName(cls);
    std::string written = WriteForm(*root);
    root.reset();
    EXPECT_EQ(WriteForm(*ReadForm(written, Design())), written);
  }
  EveryProperty(habitats.front().text, "Form1", TClassOf<TForm1>());
  for (const Habitat& h : habitats)
    for (const TClass* cls : h.members) EveryProperty(h.text, SubjectName(cls), cls);
  for (const TClass* cls : RegisteredClasses()) {
    if (!cls->CanCreate() || !IsRootClass(cls) || cls == TClassOf<TForm1>()) continue;
    std::string text = "object " + SubjectName(cls) + ": " + cls->ClassName() + "\nend\n";
    EveryProperty(text, SubjectName(cls), cls);
  }

  // The registry holds every library's classes: the framework's, the model's, the dialogs' and
  // the install component.
  for (const char* name : {"TForm1", "TLabel", "TInstall", "TInstallFile", "TpsProgramFiles",
                           "TDialogManager", "TDataModule"})
    EXPECT_TRUE(tested_.count(name)) << name << " was not tested";
  EXPECT_GT(round_trips_, 500);
}

// The fault that made a saved project change: the install component's constructor names a folder
// and a path specifier, so their empty and nil values must be written.
TEST_F(FormRoundTrip, TheInstallComponentKeepsAnEmptyFolderAndNoPathSpecifier) {
  const std::string text =
      "object Form1: TForm1\n"
      "  object psProgramFiles: TpsProgramFiles\n"
      "  end\n"
      "  object Install1: TInstall\n"
      "    DestDir = ''\n"
      "    DestDirType = nil\n"
      "  end\n"
      "end\n";
  std::string written = WriteForm(*ReadForm(text, Design()));
  EXPECT_NE(written.find("DestDir = ''\n"), std::string::npos) << written;
  EXPECT_NE(written.find("DestDirType = nil\n"), std::string::npos) << written;
  auto again = ReadForm(written, Design());
  auto* install = again->FindComponent("Install1");
  ASSERT_NE(install, nullptr);
  const TPropInfo* dir = install->ClassType()->FindProperty("DestDir");
  const TPropInfo* type = install->ClassType()->FindProperty("DestDirType");
  EXPECT_EQ(dir->get_string(*install), "");
  EXPECT_EQ(type->get_object(*install), nullptr);
}

}  // namespace
}  // namespace vantorel
