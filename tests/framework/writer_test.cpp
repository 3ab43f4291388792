#include <gtest/gtest.h>

#include "framework/application.h"
#include "framework/streaming.h"
#include "test_classes.h"

namespace vantorel::testing {
namespace {

TEST(FormWriter, WritesOnlyWhatDiffersFromTheStoredDefault) {
  TRecorder root(nullptr);
  root.SetName("Root");
  EXPECT_EQ(WriteForm(root),
            "object Root: TRecorder\n"
            "  Dir = '\\Default'\n"  // NoDefault: written whatever it holds
            "  Always = False\n"     // AlwaysStored
            "end\n");

  root.SetNumber(7);
  root.SetDir("");
  root.SetKinds({});
  root.SetTag(3);
  root.Info()->SetCount(2);
  root.Lines()->Add("only line");
  auto* partner = new TRecorder(&root);
  partner->SetName("Other");
  root.SetPartner(partner);
  root.SetEventHandlerName("OnPing", "RootPing");
  EXPECT_EQ(WriteForm(root),
            "object Root: TRecorder\n"
            "  Tag = 3\n"
            "  Number = 7\n"
            "  Dir = ''\n"
            "  Always = False\n"
            "  Kinds = []\n"
            "  Lines.Strings = (\n"
            "    'only line')\n"
            "  Partner = Other\n"
            "  Info.Count = 2\n"
            "  OnPing = RootPing\n"
            "  object Other: TRecorder\n"
            "    Dir = '\\Default'\n"
            "    Always = False\n"
            "  end\n"
            "end\n");
}

TEST(FormWriter, QuotesStringsSoThatTheyReadBack) {
  struct Case {
    std::string text, quoted;
  } cases[] = {
      {"", "''"},
      {"plain", "'plain'"},
      {"It's", "'It''s'"},
      {"a\r\nb", "'a'#13#10'b'"},
      {"\t", "#9"},
      {std::string("x\0y", 3), "'x'#0'y'"},
      {"caf\xE9", "'caf'#233"},
  };
  for (const auto& c : cases) EXPECT_EQ(QuoteFormString(c.text), c.quoted);

  TRecorder root(nullptr);
  root.SetName("Root");
  std::string everything;
  for (int i = 0; i < 256; ++i) everything += static_cast<char>(i);
  root.SetText(everything);  // long: written in pieces joined with +
  std::string text = WriteForm(root);
  EXPECT_NE(text.find(" +\n"), std::string::npos);
  auto back = ReadForm(text, {.design_mode = true});
  EXPECT_EQ(static_cast<TRecorder*>(back.get())->Text(), everything);
}

const char* kRichForm = R"(object Form1: TForm1
  Left = 10
  Top = 20
  Width = 400
  Height = 300
  Caption = 'Round trip'
  Font.Style = [fsBold]
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  OnActivate = Form1Activate
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 200
    Height = 100
    BevelOuter = bvLowered
    object Button1: TButton
      Left = 8
      Top = 8
      Width = 75
      Height = 25
      Caption = '&OK'
      Default = True
      ModalResult = 1
      TabOrder = 0
      OnClick = Button1Click
    end
  end
  object Rec1: TRecorder
    Number = -5
    Small = 9
    Text = 'x'#9'y'
    Flag = True
    Ratio = 0.125
    Kind = tkLarge
    Kinds = [tkNone, tkLarge]
    Lines.Strings = (
      'a'
      ''
      'c''s')
    Partner = Rec2
    Info.Company = 'ACME'
    Picture.Data = {
      2800000003000000040000000100080000000000}
    OnPing = Rec1Ping
  end
  object Rec2: TRecorder
    Partner = Rec1
  end
  object Edit1: TEdit
    Left = 1
    Top = 2
    Width = 3
    Height = 4
    Text = 'edit'
  end
end
)";

TEST(FormWriter, AWrittenFormReadsBackToTheSameTree) {
  auto first = ReadForm(kRichForm, {.source_name = "rich", .design_mode = true});
  std::string written = WriteForm(*first);
  auto second = ReadForm(written, {.source_name = "written", .design_mode = true});
  EXPECT_EQ(WriteForm(*second), written);

  // The same tree: names, classes, nesting and values.
  ASSERT_EQ(second->ComponentCount(), first->ComponentCount());
  for (int i = 0; i < first->ComponentCount(); ++i) {
    TComponent* a = first->Components(i);
    TComponent* b = second->Components(i);
    EXPECT_EQ(a->Name(), b->Name());
    EXPECT_EQ(a->ClassName(), b->ClassName());
    TComponent* pa = a->GetParentComponent();
    TComponent* pb = b->GetParentComponent();
    EXPECT_EQ(pa ? pa->Name() : "", pb ? pb->Name() : "");
  }
  auto* r1 = static_cast<TRecorder*>(second->FindComponent("Rec1"));
  auto* r2 = static_cast<TRecorder*>(second->FindComponent("Rec2"));
  EXPECT_EQ(r1->Partner(), r2);
  EXPECT_EQ(r2->Partner(), r1);
  EXPECT_EQ(r1->Text(), "x\ty");
  EXPECT_DOUBLE_EQ(r1->Ratio(), 0.125);
  EXPECT_EQ(r1->Lines()->Lines(), (std::vector<std::string>{"a", "", "c's"}));
  EXPECT_EQ(r1->Picture()->Width(), 3);
  EXPECT_EQ(r1->Picture()->Height(), 4);
  EXPECT_EQ(r1->EventHandlerName("OnPing"), "Rec1Ping");
  EXPECT_EQ(static_cast<TForm*>(second.get())->EventHandlerName("OnActivate"), "Form1Activate");
  EXPECT_EQ(static_cast<TForm*>(second.get())->Font()->Style(), TFontStyles{fsBold});
  EXPECT_EQ(static_cast<TButton*>(second->FindComponent("Button1"))->ModalResult(), mrOk);
}

TEST(FormWriter, TheExampleProjectRoundTrips) {
  // The example lives in examples/, beside tests/data of the source tree.
  const char* data = std::getenv("VANTOREL_TEST_DATA");
  if (data == nullptr) GTEST_SKIP() << "VANTOREL_TEST_DATA is not set";
  std::string path = data;
  path = path.substr(0, path.rfind("/tests/data")) + "/examples/hello.vform";
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) GTEST_SKIP() << "no " << path;
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  std::fclose(f);
  auto form = ReadForm(text, {.source_name = "hello.vform", .design_mode = true});
  std::string written = WriteForm(*form);
  EXPECT_EQ(WriteForm(*ReadForm(written, {.design_mode = true})), written);
  EXPECT_EQ(static_cast<TLabel*>(form->FindComponent("Title"))->Caption(),
            "Welcome to the installation of 'Hello'");
}

}  // namespace
}  // namespace vantorel::testing
