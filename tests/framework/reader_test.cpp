#include <gtest/gtest.h>

#include "framework/application.h"
#include "framework/streaming.h"
#include "test_classes.h"

namespace vantorel::testing {
namespace {

std::unique_ptr<TComponent> Read(const std::string& text, bool design = false,
                                 const THandlerRegistry* handlers = nullptr) {
  TReadOptions options;
  options.source_name = "test.vform";
  options.design_mode = design;
  options.handlers = handlers;
  return ReadForm(text, options);
}

template <class T>
T* Child(TComponent& root, const char* name) {
  return dynamic_cast<T*>(root.FindComponent(name));
}

TEST(FormReader, SetsPropertiesInFileOrderWhileLoadingThenResolvesThenLoads) {
  Log().clear();
  auto root = Read(R"(object Root: TRecorder
  Number = 1
  object Rec1: TRecorder
    Number = 5
    Partner = Rec2
    Text = 'hello'
  end
  object Rec2: TRecorder
    Flag = True
    Partner = Rec1
  end
end
)");
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "new",
                       "Root.Number=1 loading reading",
                       "new",
                       "Rec1.Number=5 loading reading",
                       "Rec1.Text=hello loading reading",
                       "new",
                       "Rec2.Flag=true loading reading",
                       // References wait for the end of the text, then go through the setter.
                       "Rec1.Partner=Rec2 loading reading",
                       "Rec2.Partner=Rec1 loading reading",
                       "Root.Loaded partner=nil",
                       "Rec1.Loaded partner=Rec2",
                       "Rec2.Loaded partner=Rec1",
                   }));
  for (int i = 0; i < root->ComponentCount(); ++i)
    EXPECT_TRUE(root->Components(i)->ComponentState().Empty());
  EXPECT_TRUE(root->ComponentState().Empty());
  EXPECT_EQ(root->Name(), "Root");
  EXPECT_EQ(root->ComponentCount(), 2);
}

TEST(FormReader, ALargeStringJoinedFromPartsIsReadWhole) {
  // Parts joined by '+' are scanned onto one value: each part is read once, however large.
  const std::string part(2 << 20, 'x');
  std::string text =
      "object Root: TRecorder\n  Text = 'a''" + part + "' +\n    #66'" + part + "' + 'c'#13\nend\n";
  std::string seen;
  TReadOptions options;
  options.on_property = [&](TComponent&, const std::string&, std::string value, int) {
    seen = std::move(value);
  };
  auto root = ReadForm(text, options);
  std::string expected = "a'" + part + "B" + part + "c\r";
  EXPECT_TRUE(static_cast<TRecorder*>(root.get())->Text() == expected);
  EXPECT_TRUE(seen == "'a''" + part + "B" + part + "c'#13") << seen.substr(0, 40);
}

TEST(FormReader, ValuesOfEveryKind) {
  THandlerRegistry handlers;
  int pings = 0;
  handlers.Register<void(TObject*)>("RootPing", [&](TObject*) { ++pings; });
  auto root = Read(R"(object Root: TRecorder
  Number = -42
  Small = 65535
  Text = 'It''s ' +
    'two'#13#10'lines'#$41
  Flag = TRUE
  Ratio = 2.5
  Kind = TKLARGE
  Kinds = [tkNone, tkLarge]
  Lines.Strings = (
    'first'
    'sec' + 'ond'
    '')
  Info.Company = 'ACME'
  Info.Count = 3
  OnPing = RootPing
  Tag = $10
end
)",
                   false, &handlers);
  auto* r = static_cast<TRecorder*>(root.get());
  EXPECT_EQ(r->Number(), -42);
  EXPECT_EQ(r->Small(), 65535);
  EXPECT_EQ(r->Text(), "It's two\r\nlinesA");
  EXPECT_TRUE(r->Flag());
  EXPECT_DOUBLE_EQ(r->Ratio(), 2.5);
  EXPECT_EQ(r->Kind(), tkLarge);
  EXPECT_EQ(r->Kinds(), (TTestKinds{tkNone, tkLarge}));
  EXPECT_EQ(r->Lines()->Lines(), (std::vector<std::string>{"first", "second", ""}));
  EXPECT_EQ(r->Info()->Company(), "ACME");
  EXPECT_EQ(r->Info()->Count(), 3);
  EXPECT_EQ(r->Tag(), 16);
  ASSERT_TRUE(r->OnPing);
  r->OnPing(r);
  EXPECT_EQ(pings, 1);
  EXPECT_EQ(r->EventHandlerName("OnPing"), "RootPing");
}

TEST(FormReader, PicturesFromBinaryData) {
  // BITMAPINFOHEADER of a 117 x 290 bitmap, behind a file header.
  auto root = Read(R"(object Root: TRecorder
  Picture.Data = {
    424D000000000000000000000000
    2800000075000000 22010000
    0100040000000000}
end
)");
  TPicture* picture = static_cast<TRecorder*>(root.get())->Picture();
  EXPECT_EQ(picture->Data().size(), 34u);
  EXPECT_EQ(picture->Width(), 117);
  EXPECT_EQ(picture->Height(), 290);
}

TEST(FormReader, AnImageTakesItsPicture) {
  auto root = Read(R"(object Form1: TForm1
  object Image1: TImage
    Left = 8
    Picture.Data = {
      424D000000000000000000000000
      2800000075000000 22010000
      0100040000000000}
  end
end
)");
  auto* image = dynamic_cast<TImage*>(root->FindComponent("Image1"));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Parent(), root.get());
  EXPECT_EQ(image->Left(), 8);
  EXPECT_EQ(image->Picture()->Width(), 117);
  TPicture other;
  image->SetPicture(other);
  EXPECT_TRUE(image->Picture()->Empty());
}

TEST(FormReader, NestedControlsAreOwnedByTheRootAndParentedToTheEnclosingControl) {
  auto root = Read(R"(object Form1: TForm1
  Caption = 'Form'
  ClientWidth = 400
  object Panel1: TPanel
    object Button1: TButton
      Caption = 'OK'
    end
  end
  object Label1: TLabel
  end
  object Loose: TRecorder
  end
end
)",
                   true);
  auto* form = dynamic_cast<TForm*>(root.get());
  ASSERT_NE(form, nullptr);
  auto* panel = Child<TPanel>(*form, "Panel1");
  auto* button = Child<TButton>(*form, "Button1");
  ASSERT_NE(panel, nullptr);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Owner(), form);
  EXPECT_EQ(button->Parent(), panel);
  EXPECT_EQ(panel->Parent(), form);
  EXPECT_EQ(Child<TLabel>(*form, "Label1")->Parent(), form);
  EXPECT_EQ(form->ClientWidth(), 400);
  EXPECT_EQ(form->ControlCount(), 2);
  EXPECT_EQ(button->ParentForm(), form);
}

TEST(FormReader, DesignModeMarksComponentsFromConstructionAndKeepsHandlerNames) {
  Log().clear();
  auto root = Read(R"(object Root: TRecorder
  OnPing = NobodyRegisteredThis
  object Rec1: TRecorder
  end
end
)",
                   true);
  EXPECT_EQ(Log()[0], "new designing");
  EXPECT_EQ(Log()[1], "new designing");
  EXPECT_TRUE(root->IsDesigning());
  EXPECT_TRUE(root->FindComponent("Rec1")->IsDesigning());
  auto* r = static_cast<TRecorder*>(root.get());
  EXPECT_FALSE(r->OnPing);
  EXPECT_EQ(r->EventHandlerName("OnPing"), "NobodyRegisteredThis");
  // Outside the read, new components are not designing unless their owner is.
  TComponent plain(nullptr);
  EXPECT_FALSE(plain.IsDesigning());
}

TEST(FormReader, ReadsIntoAnExistingRootReusingItsComponents) {
  TBuiltForm form(nullptr);
  TLabel* prebuilt = form.Prebuilt;
  ReadFormInto(form, R"(object BuiltForm: TBuiltForm
  Caption = 'Read'
  object Prebuilt: TLabel
    Caption = 'from the form'
  end
  object Extra: TButton
  end
end
)",
               {.source_name = "built", .design_mode = true});
  EXPECT_EQ(form.Name(), "BuiltForm");
  EXPECT_EQ(form.Caption(), "Read");
  EXPECT_EQ(form.FindComponent("Prebuilt"), prebuilt);
  EXPECT_EQ(prebuilt->Caption(), "from the form");
  EXPECT_EQ(form.ComponentCount(), 2);
  EXPECT_TRUE(form.ComponentState().Empty() || form.IsDesigning());
  EXPECT_FALSE(form.IsLoading());

  // A failed read takes back what it created and leaves the root usable.
  TBuiltForm second(nullptr);
  EXPECT_THROW(ReadFormInto(second, R"(object BuiltForm: TBuiltForm
  object Extra: TButton
  end
  object Broken: TButton
    NoSuchProperty = 1
  end
end
)"),
               EReadError);
  EXPECT_EQ(second.ComponentCount(), 1);
  EXPECT_FALSE(second.IsLoading());
  EXPECT_FALSE(second.Prebuilt->IsLoading());

  // The text must describe the root's class or an ancestor.
  TRecorder recorder(nullptr);
  EXPECT_THROW(ReadFormInto(recorder, "object F: TForm1\nend\n"), EReadError);
  TBuiltForm third(nullptr);
  EXPECT_NO_THROW(ReadFormInto(third, "object F: TForm\nend\n", {.design_mode = true}));
}

TEST(FormReader, ADataModuleHoldsNonVisualComponents) {
  THandlerRegistry handlers;
  int created = 0;
  handlers.Register<void(TObject*)>("ModuleCreate", [&](TObject*) { ++created; });
  auto root = Read(
      "object Module1: TDataModule\n  OnCreate = ModuleCreate\n  object R: TRecorder\n  end\nend\n",
      false, &handlers);
  EXPECT_EQ(created, 1);
  EXPECT_EQ(root->FindComponent("R")->Owner(), root.get());
  EXPECT_EQ(Application().MainForm(), nullptr);
}

TEST(FormReader, EventHandlersAreBoundByNameAndSignature) {
  THandlerRegistry handlers;
  int counted = 0;
  handlers.Register<void(TRecorder*, int&)>("Counter", [&](TRecorder*, int& n) { n = ++counted; });
  auto root = Read("object Root: TRecorder\n  OnCount = counter\nend\n", false, &handlers);
  auto* r = static_cast<TRecorder*>(root.get());
  int n = 0;
  r->OnCount(r, n);
  EXPECT_EQ(n, 1);
  // nil clears a handler.
  auto cleared = Read("object Root: TRecorder\n  OnCount = nil\nend\n", false, &handlers);
  EXPECT_FALSE(static_cast<TRecorder*>(cleared.get())->OnCount);

  // The process-wide registry is the default.
  RegisterHandler<void(TObject*)>("GlobalPing", [](TObject*) {});
  EXPECT_NO_THROW(Read("object Root: TRecorder\n  OnPing = GlobalPing\nend\n"));
  Handlers().Remove("GlobalPing");
}

struct ErrorCase {
  const char* text;
  int line;
  const char* problem;
};

TEST(FormReader, ErrorsNameTheSourceTheLineAndTheProblem) {
  THandlerRegistry handlers;
  handlers.Register<void(TRecorder*, int&)>("WrongShape", [](TRecorder*, int&) {});
  std::string deep;
  for (int i = 0; i < 70; ++i) deep += "object P" + std::to_string(i) + ": TRecorder\n";
  const ErrorCase cases[] = {
      {"object Root: TRecorder\n  object X: TNope\n  end\nend\n", 2, "unknown class 'TNope'"},
      {"object Root: TRecorder\n  Bogus = 1\nend\n", 2,
       "unknown property 'Bogus' of Root: TRecorder"},
      {"object Root: TRecorder\n  Info.Bogus = 1\nend\n", 2,
       "unknown property 'Bogus' of Root.Info: TTestInfo"},
      {"object Root: TRecorder\n  Number = 'x'\nend\n", 2,
       "Root.Number expects an integer (Integer), not a string"},
      {"object Root: TRecorder\n  Flag = 1\nend\n", 2, "Root.Flag expects True or False"},
      {"object Root: TRecorder\n  Text = Ident\nend\n", 2,
       "Root.Text expects a string (String), not an identifier"},
      {"object Root: TRecorder\n\n  Text = 'abc\nend\n", 3, "unterminated string"},
      {"object Root: TRecorder\n  Number = 1\n", 3,
       "missing 'end' of object 'Root' (begun at line 1)"},
      {"object Root: TRecorder\n  object A: TRecorder\n    Number = 1\nend\n", 5,
       "missing 'end' of object 'Root'"},
      {"object Root: TRecorder\n  OnPing = NoSuchHandler\nend\n", 2,
       "Root.OnPing: no handler named 'NoSuchHandler' is registered"},
      {"object Root: TRecorder\n  OnPing = WrongShape\nend\n", 2,
       "Root.OnPing: handler 'WrongShape' has the signature void (testing::TRecorder*, int&), but "
       "the "
       "event needs void (TObject*)"},
      {"object Root: TRecorder\n  Partner = Ghost\nend\n", 2,
       "Root.Partner: component 'Ghost' not found"},
      {"object Root: TRecorder\n  object O: TOtherComponent\n  end\n  Partner = O\nend\n", 4,
       "Root.Partner: O is a TOtherComponent, not a TRecorder"},
      {"object Root: TRecorder\n  object A: TRecorder\n  end\n  object a: TRecorder\n  end\nend\n",
       4, "duplicate component name 'a'"},
      {"inherited Root: TRecorder\nend\n", 1, "'inherited' objects are not supported"},
      {"object Root: TRecorder\n  inline X: TRecorder\n  end\nend\n", 2,
       "'inline' objects are not supported"},
      {"object Root: TRecorder\n  Kind = tkHuge\nend\n", 2,
       "'tkHuge' is not a value of TTestKind (Root.Kind)"},
      {"object Root: TRecorder\n  Kinds = [tkSmall, nope]\nend\n", 2,
       "'nope' is not a value of TTestKind"},
      {"object Root: TRecorder\n  Kinds = [tkSmall tkLarge]\nend\n", 2,
       "expected ',' or ']' in a set"},
      {"object Root: TRecorder\n  Small = 70000\nend\n", 2, "70000 is out of range 0..65535"},
      {"object Root: TRecorder\n  Number = 3000000000\nend\n", 2, "out of range"},
      {"object Root: TRecorder\n  Number = 99999999999999999999999\nend\n", 2,
       "number out of range"},
      {"object Root: TRecorder\n  Text = #300\nend\n", 2, "character code out of range"},
      {"object Root: TRecorder\n  Picture.Data = {0G}\nend\n", 2, "invalid character 'G'"},
      {"object Root: TRecorder\n  Picture.Data = {012}\nend\n", 2, "odd number of hex digits"},
      {"object Root: TRecorder\n  Picture.Data = {01\n", 2, "unterminated binary data"},
      {"object Root: TRecorder\n  Picture = {01}\nend\n", 2, "is a picture"},
      {"object Root: TRecorder\n  Lines = ('a')\nend\n", 2, "Root.Lines is a string list"},
      {"object Root: TRecorder\n  Lines.Strings = ('a'\n 1)\nend\n", 3, "must be strings"},
      {"object Root: TRecorder\n  Lines.Strings = ('a'\n", 2, "unterminated list"},
      {"object Root: TRecorder\n  Info = 1\nend\n", 2, "Root.Info has sub-properties"},
      {"object Root: TRecorder\n  Number = -999\nend\n", 2,
       "cannot set Root.Number: -999 is not a number I take"},
      {"object Root: TRecorder\nend\nextra\n", 3, "text after the end of the form"},
      {"object Root: TStringList\nend\n", 1, "class TStringList cannot be created"},
      {"object Root: TRecorder\n  Number 1\nend\n", 2, "expected '=' but found the number 1"},
      {"object Root: TRecorder\n  Number = \nend\n", 3, "Root.Number expects an integer"},
      {"object Root: TRecorder\n  Number = ~\nend\n", 2, "unexpected character '~'"},
      {"object Root: TRecorder\n  Number = <\nend\n", 2, "collections"},
      {"object Root: TRecorder\n  object L: TLabel\n    object B: TButton\n    end\n  end\nend\n",
       2, "cannot place 'L' in 'Root': a TRecorder cannot hold controls"},
      {"", 1, "expected 'object' but found the end of the text"},
      {deep.c_str(), 65, "nested deeper than 64 levels"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      Read(c.text, false, &handlers);
      ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Source(), "test.vform");
      EXPECT_EQ(e.Line(), c.line) << e.Message();
      EXPECT_NE(e.Problem().find(c.problem), std::string::npos) << e.Message();
      EXPECT_EQ(e.Message().rfind("test.vform:" + std::to_string(e.Line()) + ": ", 0), 0u);
    }
  }
}

TEST(FormReader, CrLfAndCrAloneEachEndOneLine) {
  // Written with "\n"; read with each line end, and with them mixed.
  const ErrorCase cases[] = {
      {"object Root: TRecorder\n\n  Text = 'abc\nend\n", 3, "unterminated string"},
      {"object Root: TRecorder\n  Text = 'a' +\n  'b' +\n  7\nend\n", 4,
       "expected a string after '+'"},
      {"object Root: TRecorder\n  Picture.Data = {\n    01\n    0G}\nend\n", 4,
       "invalid character 'G'"},
      {"object Root: TRecorder\n  Lines.Strings = (\n    'a'\n    1)\nend\n", 4, "must be strings"},
      {"object Root: TRecorder\n  Number = 1\n\n", 4, "missing 'end' of object 'Root'"},
      {"object Root: TRecorder\n  Picture.Data = {01\n02\n\n", 2, "unterminated binary data"},
      {"object Root: TRecorder\n  Picture.Data = {\n01\n02}\n  Bogus = 1\nend\n", 5,
       "unknown property 'Bogus'"},
  };
  for (const auto& c : cases) {
    for (const char* ending : {"\n", "\r", "\r\n", "mixed"}) {
      std::string text;
      int line = 0;
      for (const char* p = c.text; *p != '\0'; ++p) {
        if (*p != '\n') {
          text += *p;
          continue;
        }
        static const char* kMixed[] = {"\r", "\r\n", "\n"};
        text += std::string(ending) == "mixed" ? kMixed[line++ % 3] : ending;
      }
      SCOPED_TRACE(::testing::PrintToString(text));
      try {
        Read(text);
        ADD_FAILURE() << "no error";
      } catch (const EReadError& e) {
        EXPECT_EQ(e.Line(), c.line) << e.Message();
        EXPECT_NE(e.Problem().find(c.problem), std::string::npos) << e.Message();
      }
    }
  }
}

TEST(FormReader, TheErrorOfASetterIsKeptAsTheCause) {
  try {
    Read("object Root: TRecorder\n  Number = -999\nend\n");
    FAIL();
  } catch (const EReadError& e) {
    ASSERT_TRUE(e.Cause());
    try {
      std::rethrow_exception(e.Cause());
    } catch (const Exception& cause) {
      EXPECT_EQ(cause.Message(), "-999 is not a number I take");
    }
  }
}

TEST(FormReader, AcceptsOrdinaryFormsWithTheirUsualProperties) {
  auto root = Read(R"(object Form1: TForm1
  Left = 192
  Top = 107
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Caption = 'Setup'
  ClientHeight = 273
  ClientWidth = 427
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = [fsBold, fsItalic]
  OldCreateOrder = False
  Position = poScreenCenter
  WindowState = wsMaximized
  Cursor = crHourGlass
  PixelsPerInch = 96
  TextHeight = 13
  object Edit1: TEdit
    Left = 8
    Top = 8
    Width = 121
    Height = 21
    TabOrder = 0
    Text = 'Edit1'
  end
end
)",
                   true);
  auto* form = static_cast<TForm*>(root.get());
  EXPECT_EQ(form->BorderStyle(), bsDialog);
  EXPECT_EQ(form->BorderIcons(), TBorderIcons{biSystemMenu});
  EXPECT_EQ(form->ClientHeight(), 273);
  EXPECT_EQ(form->Color(), clBtnFace);
  EXPECT_EQ(form->Font()->Style(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(form->Font()->Size(), 8);
  EXPECT_EQ(form->WindowState(), wsMaximized);
  EXPECT_EQ(form->Cursor(), crHourGlass);
  EXPECT_EQ(form->Position(), poScreenCenter);
  EXPECT_EQ(Child<TEdit>(*form, "Edit1")->Text(), "Edit1");
}

}  // namespace
}  // namespace vantorel::testing
