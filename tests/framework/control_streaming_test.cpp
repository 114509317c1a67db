#include <gtest/gtest.h>

#include "control_fixtures.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"

namespace {

class TStoredPanel : public TTestPanel {
  BC_CLASS(TStoredPanel, TTestPanel)
  explicit TStoredPanel(TComponent* owner) : TTestPanel(owner) {}
  const TPublishedTable& PublishedTable() const override {
    static const TPublishedTable table(
        &inherited::PublishedTable(),
        {ControlProperty(L"Align"), ControlProperty(L"Caption"), ControlProperty(L"Color"),
         ControlProperty(L"ParentColor"), ControlProperty(L"TabOrder"), ControlProperty(L"TabStop"),
         ControlProperty(L"Visible"), ControlProperty(L"OnClick")});
    return table;
  }
};

class TStoredForm : public TForm {
  BC_CLASS(TStoredForm, TForm)
  explicit TStoredForm(TComponent* owner) : TForm(owner) {}
  TObject* Clicked = nullptr;
  void PanelClick(TObject* sender) { Clicked = sender; }
  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TStoredForm>;
    static const TPublishedTable table(&inherited::PublishedTable(), {},
                                       {P::Method(L"PanelClick", &TStoredForm::PanelClick)});
    return table;
  }
};

}  // namespace

TEST(ControlStreaming, FormAndControlsRoundTrip) {
  RegisterPersistentClass(TStoredPanel::StaticClass());
  TStoredForm original(nullptr);
  original.SetName(L"StoredForm");
  EXPECT_TRUE(original.SetCaption(L"Stored").Alive());
  EXPECT_TRUE(original.SetClientWidth(300).Alive());
  EXPECT_TRUE(original.SetClientHeight(200).Alive());
  auto* top = new TStoredPanel(&original);
  top->SetName(L"Top");
  EXPECT_TRUE(top->SetParent(&original).Alive());
  EXPECT_TRUE(top->SetHeight(40).Alive());
  EXPECT_TRUE(top->SetAlign(TAlign::alTop).Alive());
  top->SetColor(clRed);
  top->SetTabStop(true);
  top->OnClick = TNotifyEvent(&original, &TStoredForm::PanelClick);
  auto* inner = new TStoredPanel(&original);
  inner->SetName(L"Inner");
  EXPECT_TRUE(inner->SetBounds(5, 5, 20, 20).Alive());
  EXPECT_TRUE(inner->SetParent(top).Alive());
  EXPECT_TRUE(inner->SetCaption(L"inside").Alive());
  EXPECT_TRUE(inner->SetVisible(false).Alive());

  String text = ComponentToText(&original);
  EXPECT_NE(text.find(L"ClientWidth = 300"), String::npos) << std::string(text.begin(), text.end());
  EXPECT_NE(text.find(L"Align = alTop"), String::npos);
  // Values at their defaults are not written: only the hidden panel stores Visible.
  EXPECT_EQ(text.find(L"Visible = False"), text.rfind(L"Visible"));
  EXPECT_EQ(text.find(L"ShowHint"), String::npos);

  TStoredForm copy(nullptr);
  ReadComponentFromText(text, &copy);
  auto* readTop = ObjectAs<TStoredPanel>(copy.FindComponent(L"Top"));
  auto* readInner = ObjectAs<TStoredPanel>(copy.FindComponent(L"Inner"));
  ASSERT_TRUE(readTop && readInner);
  EXPECT_EQ(copy.Caption(), L"Stored");
  EXPECT_EQ(copy.ClientWidth(), 300);
  EXPECT_EQ(copy.ClientHeight(), 200);
  EXPECT_EQ(readTop->Parent(), &copy);
  EXPECT_EQ(readInner->Parent(), readTop);
  EXPECT_EQ(readTop->Align(), TAlign::alTop);
  EXPECT_EQ(readTop->Color(), clRed);
  EXPECT_FALSE(readTop->ParentColor());
  EXPECT_TRUE(readTop->TabStop());
  EXPECT_FALSE(readInner->Visible());
  EXPECT_EQ(readInner->Caption(), L"inside");
  EXPECT_EQ(readTop->Width(), 300) << "aligned to the read client width";
  EXPECT_FALSE(copy.Visible());
  EXPECT_FALSE(IsWindowVisible(copy.Handle())) << "a form stored hidden stays hidden";
  EXPECT_TRUE(readTop->Click().Alive());
  EXPECT_EQ(copy.Clicked, readTop);
  EXPECT_EQ(ComponentToText(&copy), text);
  UnregisterPersistentClass(TStoredPanel::StaticClass());
}

TEST(ControlStreaming, StoredVisibleFormShowsOnceItIsRead) {
  RegisterPersistentClass(TStoredPanel::StaticClass());
  const String text =
      L"object Shown: TStoredForm\r\n  Left = 10\r\n  Top = 10\r\n  ClientWidth = 200\r\n"
      L"  ClientHeight = 100\r\n  Visible = True\r\n  object Child: TStoredPanel\r\n    Left = 0\r\n"
      L"    Top = 0\r\n    Width = 50\r\n    Height = 50\r\n  end\r\nend";
  TStoredForm form(nullptr);
  ReadComponentFromText(text, &form);
  auto* child = ObjectAs<TStoredPanel>(form.FindComponent(L"Child"));
  ASSERT_NE(child, nullptr);
  ASSERT_TRUE(form.HandleAllocated());
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  ASSERT_TRUE(child->HandleAllocated());
  EXPECT_TRUE(IsWindowVisible(child->Handle()));
  EXPECT_EQ(form.ClientWidth(), 200);
  UnregisterPersistentClass(TStoredPanel::StaticClass());
}
