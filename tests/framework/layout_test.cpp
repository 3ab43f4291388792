// Aligned controls and the controls of the install forms, as the framework keeps them.
#include <gtest/gtest.h>

#include "framework/forms.h"

namespace vantorel {
namespace {

std::vector<int> Box(const TControl& c) {
  return {c.Left(), c.Top(), c.Width(), c.Height()};
}

TEST(Layout, AlignedChildrenShareTheParentInsideItsBorderAndBevels) {
  TPanel panel(nullptr);
  panel.SetBounds(0, 0, 200, 100);
  panel.SetBorderWidth(5);  // with the raised outer bevel of 1: 6 in from each side
  auto child = [&](TAlign align, int w, int h) {
    auto* c = new TPanel(&panel);
    c->SetBounds(0, 0, w, h);
    c->SetAlign(align);
    c->SetParent(&panel);
    return c;
  };
  TPanel* client = child(alClient, 1, 1);
  TPanel* top1 = child(alTop, 10, 20);
  TPanel* top2 = child(alTop, 10, 10);
  TPanel* bottom = child(alBottom, 10, 15);
  TPanel* left = child(alLeft, 30, 10);
  TPanel* right = child(alRight, 40, 10);
  EXPECT_EQ(Box(*top1), (std::vector<int>{6, 6, 188, 20}));
  EXPECT_EQ(Box(*top2), (std::vector<int>{6, 26, 188, 10}));
  EXPECT_EQ(Box(*bottom), (std::vector<int>{6, 79, 188, 15}));
  EXPECT_EQ(Box(*left), (std::vector<int>{6, 36, 30, 43}));
  EXPECT_EQ(Box(*right), (std::vector<int>{154, 36, 40, 43}));
  EXPECT_EQ(Box(*client), (std::vector<int>{36, 36, 118, 43}));
  // A hidden top control gives its place to the ones below it; a taller one takes more.
  top1->Hide();
  EXPECT_EQ(top2->Top(), 6);
  top2->SetHeight(30);
  EXPECT_EQ(Box(*client), (std::vector<int>{36, 36, 118, 43}));
  EXPECT_EQ(left->Top(), 36);
  // Growing the parent moves the bottom and right ones with it.
  panel.SetBounds(0, 0, 300, 200);
  EXPECT_EQ(bottom->Top(), 179);
  EXPECT_EQ(right->Left(), 254);
  panel.SetBevelOuter(bvNone);
  EXPECT_EQ(top2->Left(), 5);
}

TEST(Layout, AFormLaysOutItsClientArea) {
  TForm form(nullptr);
  form.SetBorderStyle(bsDialog);
  auto* panel = new TPanel(&form);
  panel->SetAlign(alClient);
  panel->SetParent(&form);
  form.SetClientWidth(466);
  form.SetClientHeight(119);
  EXPECT_EQ(Box(*panel), (std::vector<int>{0, 0, 466, 119}));
}

TEST(Controls, AProgressBarKeepsItsPositionInItsRange) {
  TProgressBar bar(nullptr);
  EXPECT_EQ(bar.Min(), 0);
  EXPECT_EQ(bar.Max(), 100);
  bar.SetPosition(140);
  EXPECT_EQ(bar.Position(), 100);
  bar.SetPosition(-5);
  EXPECT_EQ(bar.Position(), 0);
  bar.SetPosition(70);
  bar.SetMax(50);
  EXPECT_EQ(bar.Position(), 50);
  bar.SetMin(60);
  EXPECT_EQ(bar.Position(), 60);
}

TEST(Controls, TheNewControlsArePublishedForForms) {
  for (const char* name : {"TBitBtn", "TProgressBar", "TBevel"})
    EXPECT_NE(FindClass(name), nullptr) << name;
  EXPECT_NE(FindClass("TBitBtn")->FindProperty("Glyph"), nullptr);
  EXPECT_NE(FindClass("TBevel")->FindProperty("Shape"), nullptr);
  EXPECT_NE(FindClass("TImage")->FindProperty("Center"), nullptr);
  TBitBtn button(nullptr);
  button.SetNumGlyphs(9);
  EXPECT_EQ(button.NumGlyphs(), 4);
}

TEST(Controls, AControlMeasuresInTheFontItShows) {
  TForm form(nullptr);
  form.Font()->SetHeight(-22);
  auto* label = new TLabel(&form);
  label->SetParent(&form);
  TTextSize small_text = MeasureText(*label, "abc");
  EXPECT_EQ(&EffectiveFont(*label), form.Font());
  label->SetParentFont(false);
  label->Font()->SetHeight(-11);
  EXPECT_EQ(&EffectiveFont(*label), label->Font());
  TTextSize smaller = MeasureText(*label, "abc");
  EXPECT_GT(small_text.width, smaller.width);
  EXPECT_GT(MeasureText(*label, "abcdef").width, smaller.width);
}

}  // namespace
}  // namespace vantorel
