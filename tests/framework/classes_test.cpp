#include "framework/classes.h"

#include <gtest/gtest.h>

#include "framework/forms.h"
#include "test_classes.h"

namespace vantorel::testing {
namespace {

TEST(TSet, BitsFollowOrdinals) {
  TTestKinds s{tkSmall, tkLarge};
  EXPECT_EQ(s.Bits(), 0b110u);
  EXPECT_TRUE(s.Contains(tkLarge));
  EXPECT_FALSE(s.Contains(tkNone));
  s.Exclude(tkLarge).Include(tkNone);
  EXPECT_EQ(s, (TTestKinds{tkNone, tkSmall}));
  EXPECT_TRUE(TTestKinds{}.Empty());
  EXPECT_EQ((TTestKinds{tkNone} + TTestKinds{tkLarge}).Bits(), 0b101u);
  EXPECT_EQ((TTestKinds{tkNone, tkLarge} - TTestKinds{tkLarge}).Bits(), 0b001u);
  // Values outside 0..63 cannot be members.
  EXPECT_FALSE(
      TTestKinds{}.Include(static_cast<TTestKind>(64)).Contains(static_cast<TTestKind>(64)));
}

TEST(TList, IndexesAreChecked) {
  TComponent a(nullptr), b(nullptr);
  TList list;
  EXPECT_EQ(list.Add(&a), 0);
  list.Insert(0, &b);
  EXPECT_EQ(list[0], &b);
  EXPECT_EQ(list.IndexOf(&a), 1);
  EXPECT_EQ(list.Remove(&b), 0);
  EXPECT_EQ(list.Remove(&b), -1);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_THROW(list.Items(1), EListError);
  EXPECT_THROW(list.Items(-1), EListError);
  EXPECT_THROW(list.Insert(3, &a), EListError);
  try {
    list.Delete(5);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (5)");
  }
}

TEST(TStringList, TextLinesAndCaseInsensitiveSearch) {
  TStringList list;
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };
  list.SetText("one\r\ntwo\nthree\rfour");
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list[3], "four");
  EXPECT_EQ(list.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n");
  EXPECT_EQ(list.IndexOf("TWO"), 1);
  EXPECT_EQ(list.IndexOf("five"), -1);
  list.Insert(0, "zero");
  list.Delete(4);
  list.Put(1, "ONE");
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"zero", "ONE", "two", "three"}));
  EXPECT_EQ(changes, 4);
  EXPECT_THROW(list.Put(4, "x"), EListError);

  list.BeginUpdate();
  list.Add("a");
  list.Add("b");
  list.EndUpdate();
  EXPECT_EQ(changes, 5);  // one notification for the whole update

  TStringList copy;
  copy.Assign(list);
  EXPECT_TRUE(copy.Equals(list));
  copy.AddStrings(copy);
  EXPECT_EQ(copy.Count(), 12);
  list.SetText("");
  EXPECT_EQ(list.Count(), 0);
  list.SetText("trailing\r\n");
  EXPECT_EQ(list.Count(), 1);

  TPicture picture;
  EXPECT_THROW(copy.Assign(picture), Exception);
}

std::vector<uint8_t> Bitmap(int width, int height, bool file_header, bool class_prefix) {
  std::vector<uint8_t> info(40, 0);
  auto put32 = [](std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
  };
  put32(info, 0, 40);
  put32(info, 4, static_cast<uint32_t>(width));
  put32(info, 8, static_cast<uint32_t>(height));
  std::vector<uint8_t> out;
  if (class_prefix) {
    out = {7, 'T', 'B', 'i', 't', 'm', 'a', 'p', 0, 0, 0, 0};
  }
  if (file_header) {
    std::vector<uint8_t> file(14, 0);
    file[0] = 'B';
    file[1] = 'M';
    out.insert(out.end(), file.begin(), file.end());
  }
  out.insert(out.end(), info.begin(), info.end());
  return out;
}

TEST(TPicture, SizeFromTheBitmapHeader) {
  struct Case {
    std::vector<uint8_t> data;
    int width, height;
  } cases[] = {
      {Bitmap(117, 290, false, false), 117, 290},
      {Bitmap(117, 290, true, false), 117, 290},
      {Bitmap(32, 16, true, true), 32, 16},
      {Bitmap(10, -20, false, false), 10, 20},  // top-down
      {{1, 2, 3}, 0, 0},
      {{}, 0, 0},
      {std::vector<uint8_t>(39, 0x28), 0, 0},  // too short for a header
  };
  for (const auto& c : cases) {
    TPicture p;
    p.SetData(c.data);
    EXPECT_EQ(p.Width(), c.width);
    EXPECT_EQ(p.Height(), c.height);
    EXPECT_EQ(p.Empty(), c.data.empty());
  }
  TPicture a, b;
  a.SetData(Bitmap(5, 6, false, false));
  b.Assign(a);
  EXPECT_EQ(b.Data(), a.Data());
  EXPECT_EQ(b.Height(), 6);
}

TEST(ClassRegistry, FindsClassesByNameWithoutRegardToCase) {
  const TClass* form = FindClass("tform1");
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form, TClassOf<TForm1>());
  EXPECT_EQ(form->ClassName(), "TForm1");
  EXPECT_EQ(form->ClassParent(), TClassOf<TForm>());
  EXPECT_TRUE(form->InheritsFrom(TClassOf<TComponent>()));
  EXPECT_TRUE(form->InheritsFrom(TClassOf<TObject>()));
  EXPECT_FALSE(TClassOf<TComponent>()->InheritsFrom(form));
  EXPECT_FALSE(form->InheritsFrom(nullptr));
  EXPECT_EQ(FindClass("TNoSuchClass"), nullptr);

  TRecorder r(nullptr);
  EXPECT_EQ(r.ClassType(), TClassOf<TRecorder>());
  EXPECT_EQ(r.ClassName(), "TRecorder");
  EXPECT_TRUE(r.InheritsFrom(TClassOf<TComponent>()));

  // A class nobody registered still has a name, but cannot be found or created by it.
  struct TUnregistered : TComponent {
    using TComponent::TComponent;
  };
  TUnregistered u(nullptr);
  EXPECT_FALSE(u.ClassType()->IsRegistered());
  EXPECT_NE(u.ClassName().find("TUnregistered"), std::string::npos);
  EXPECT_FALSE(u.ClassType()->CanCreate());

  // Registered component classes create instances for an owner; others refuse.
  TComponent owner(nullptr);
  TComponent* made = FindClass("TRecorder")->Create(&owner);
  EXPECT_EQ(made->Owner(), &owner);
  EXPECT_NE(dynamic_cast<TRecorder*>(made), nullptr);
  EXPECT_THROW(FindClass("TStringList")->Create(&owner), Exception);
}

TEST(ClassRegistry, PropertiesAreInheritedAndFoundWithoutRegardToCase) {
  const TClass* button = TClassOf<TButton>();
  ASSERT_NE(button->FindProperty("left"), nullptr);  // from TControl
  ASSERT_NE(button->FindProperty("Tag"), nullptr);   // from TComponent
  // TButton redeclares TabStop with its own default; it replaces the inherited one.
  const TPropInfo* tab_stop = button->FindProperty("TabStop");
  ASSERT_NE(tab_stop, nullptr);
  EXPECT_EQ(tab_stop->default_ordinal, 1);
  int count = 0;
  for (const TPropInfo* p : button->Properties())
    if (detail::SameText(p->name, "TabStop")) ++count;
  EXPECT_EQ(count, 1);
  EXPECT_EQ(button->FindProperty("NoSuch"), nullptr);
  EXPECT_EQ(TClassOf<TRecorder>()->FindProperty("Partner")->TypeName(), "TRecorder");
}

}  // namespace
}  // namespace vantorel::testing
