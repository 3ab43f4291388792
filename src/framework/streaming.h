#pragma once
// The text form format: reading a tree of components from `object Name: TClass ... end` text and
// writing it back.
//
//   object Form1: TForm1
//     Caption = 'Setup'
//     object Install1: TInstall
//       InstallTypes = [itAlways, itFull]
//       Information.ProductName = 'My product'
//       Description.Strings = (
//         'First line'
//         'Second line')
//       DestDirType = psProgramFiles
//       OnBeforeProcess = Install1BeforeProcess
//     end
//   end
//
// Every object is owned by the root; a nested object's parent (SetParentComponent) is the
// enclosing object. Reading, in order: each object is created (or, when the root already owns a
// component of that name and class that this read did not create, reused) and its properties
// are set through their setters in file order while csLoading and csReading are set on it; then
// every component reference is resolved through its setter, in file order; then csReading is
// cleared and Loaded is called on every component read, root first, in creation order; then
// csLoading is cleared on any component whose Loaded did not clear it.
//
// Errors are EReadError naming the source, the line and the problem. A failed read destroys the
// components it created (and the root when it created the root).
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "framework/component.h"

namespace vantorel {

class EReadError : public Exception {
 public:
  EReadError(std::string source, int line, std::string problem, std::exception_ptr cause = nullptr);
  const std::string& Source() const { return source_; }
  int Line() const { return line_; }
  const std::string& Problem() const { return problem_; }
  // The exception a constructor or setter raised, when that was the problem.
  std::exception_ptr Cause() const { return cause_; }

 private:
  std::string source_;
  int line_;
  std::string problem_;
  std::exception_ptr cause_;
};

struct TReadOptions {
  // Names the text in error messages ("hello.vform:12: ...").
  std::string source_name = "form";
  // Creates every component with csDesigning and keeps event handler names without binding them.
  bool design_mode = false;
  // Where event handler names are looked up; nullptr: Handlers().
  const THandlerRegistry* handlers = nullptr;
  // Told about every property the text sets, in file order: the component, the property path
  // ("Information.ProductName"), the value as the text gives it, and its line. The value is
  // the receiver's to keep: a large string is not copied again.
  std::function<void(TComponent& component, const std::string& property, std::string value,
                     int line)>
      on_property = nullptr;
};

// Limits that keep a hostile form from exhausting the stack.
inline constexpr int kMaxFormNesting = 64;

// Creates the root by the class named in the text (which must be registered and creatable with
// no owner) and reads the form into it. Outside design mode a root that is a form becomes the
// application's main form when there is none yet.
std::unique_ptr<TComponent> ReadForm(std::string_view text, const TReadOptions& options = {});

// Reads the form into an existing root. The text's root class must be the root's class or one of
// its ancestors; the root takes the text's name.
void ReadFormInto(TComponent& root, std::string_view text, const TReadOptions& options = {});

// The text of `root` and of every component it owns, nested by parent. A property is written
// when its storage rule says so (properties.h).
std::string WriteForm(TComponent& root);

// A string as the form format writes it: quoted, '' for a quote, #n for control characters.
std::string QuoteFormString(std::string_view text);

}  // namespace vantorel
