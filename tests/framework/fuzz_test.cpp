// Mutated forms must give a read error (or be read), never crash, hang or run out of memory.
#include <gtest/gtest.h>

#include <random>

#include "framework/streaming.h"
#include "test_classes.h"

namespace vantorel::testing {
namespace {

const char* kSeed = R"(object Form1: TForm1
  Caption = 'Fuzz'#13#10 + 'me'
  Font.Style = [fsBold]
  object Panel1: TPanel
    object Button1: TButton
      Caption = 'OK'
      ModalResult = 1
      OnClick = FuzzClick
    end
  end
  object Rec1: TRecorder
    Number = -5
    Ratio = 1.5e3
    Kinds = [tkNone, tkLarge]
    Lines.Strings = (
      'a'
      'b')
    Partner = Rec2
    Info.Company = 'ACME'
    Picture.Data = {
      2800000003000000040000000100080000000000}
    OnPing = FuzzPing
  end
  object Rec2: TRecorder
    Partner = Rec1
  end
end
)";

// One read; anything but a read error or a success is a fault.
void ReadOnce(const std::string& text, bool design, const THandlerRegistry& handlers) {
  TReadOptions options;
  options.source_name = "fuzz";
  options.design_mode = design;
  options.handlers = &handlers;
  try {
    auto root = ReadForm(text, options);
    (void)WriteForm(*root);
  } catch (const EReadError&) {
  }
}

TEST(FormReaderFuzz, MutationsNeverCrash) {
  THandlerRegistry handlers;
  handlers.Register<void(TObject*)>("FuzzClick", [](TObject*) {});
  handlers.Register<void(TObject*)>("FuzzPing", [](TObject*) {});
  const std::string seed = kSeed;
  ReadOnce(seed, false, handlers);  // the seed itself is valid
  EXPECT_NO_THROW(ReadForm(seed, {.handlers = &handlers}));

  std::mt19937 random(20240611);
  auto pick = [&](size_t n) { return static_cast<size_t>(random() % (n == 0 ? 1 : n)); };
  static const char* kFragments[] = {"object ", "end",       "'",   "#",  "{", "}", "(",
                                     ")",       "[",         "]",   "=",  ".", "+", "-",
                                     "$",       "inherited", "nil", "\n", "<"};
  for (int i = 0; i < 4000; ++i) {
    std::string text = seed;
    switch (i % 6) {
      case 0:  // truncation
        text.resize(pick(text.size()));
        break;
      case 1:  // byte flips
        for (int k = 0; k < 1 + static_cast<int>(pick(4)); ++k)
          text[pick(text.size())] ^= static_cast<char>(1 << pick(8));
        break;
      case 2:  // random bytes
        for (int k = 0; k < 1 + static_cast<int>(pick(8)); ++k)
          text[pick(text.size())] = static_cast<char>(random());
        break;
      case 3:  // syntax fragments in random places
        for (int k = 0; k < 1 + static_cast<int>(pick(3)); ++k)
          text.insert(pick(text.size()), kFragments[pick(std::size(kFragments))]);
        break;
      case 4: {  // a cut-out piece
        size_t at = pick(text.size());
        text.erase(at, pick(40));
        break;
      }
      case 5: {  // a duplicated piece
        size_t at = pick(text.size());
        text.insert(pick(text.size()), text.substr(at, pick(80)));
        break;
      }
    }
    SCOPED_TRACE(i);
    ReadOnce(text, i % 2 == 0, handlers);
  }
}

TEST(FormReaderFuzz, HostileSizesAreBounded) {
  THandlerRegistry handlers;
  // Deep nesting stops at the limit instead of exhausting the stack.
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "object A: TPanel\n";
  EXPECT_THROW(ReadForm(deep, {.design_mode = true}), EReadError);
  std::string brackets = "object R: TRecorder\n  Lines.Strings = (" + std::string(100000, '(');
  EXPECT_THROW(ReadForm(brackets, {.design_mode = true}), EReadError);
  // Long values cost what they are long, and are read.
  std::string lines = "object R: TRecorder\n  Lines.Strings = (";
  for (int i = 0; i < 20000; ++i) lines += "'line'\n";
  lines += ")\nend\n";
  auto root = ReadForm(lines, {.design_mode = true});
  EXPECT_EQ(static_cast<TRecorder*>(root.get())->Lines()->Count(), 20000);
  std::string path = "object R: TRecorder\n  Info";
  for (int i = 0; i < 100; ++i) path += ".Info";
  EXPECT_THROW(ReadForm(path + " = 1\nend\n", {.design_mode = true}), EReadError);
  std::string digits = "object R: TRecorder\n  Ratio = 1." + std::string(100000, '5') + "\nend\n";
  EXPECT_THROW(ReadForm(digits, {.design_mode = true}), EReadError);
}

}  // namespace
}  // namespace vantorel::testing
