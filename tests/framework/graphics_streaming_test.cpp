#include <gtest/gtest.h>

#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/image_list.h"
#include "framework/menus.h"
#include "framework/properties.h"
#include "support/window_capture.h"

namespace {

// A form with a font of its own and the methods its stored events name.
class TMenuForm : public TComponent {
  BC_CLASS(TMenuForm, TComponent)
  using TComponent::TComponent;
  TFont* Font() const { return font_.get(); }
  void OpenClick(TObject*) {}
  void GetChildren(const TGetChildProc& proc, TComponent* root) override {
    (void)root;
    for (int i = 0; i < ComponentCount(); ++i)
      if (!Components(i)->HasParent()) proc(Components(i));
  }
  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TMenuForm>;
    static const TPublishedTable table(&inherited::PublishedTable(), {P::Object(L"Font", &TMenuForm::Font)},
                                       {P::Method(L"OpenClick", &TMenuForm::OpenClick)});
    return table;
  }

 private:
  std::unique_ptr<TFont> font_ = std::make_unique<TFont>();
};

class GraphicsStreaming : public testing::Test {
 protected:
  void SetUp() override { RegisterPersistentClass(TMenuForm::StaticClass()); }
  void TearDown() override { UnregisterPersistentClass(TMenuForm::StaticClass()); }
};

TEST_F(GraphicsStreaming, MenusFontsAndImageListsRoundTrip) {
  TMenuForm original;
  original.SetName(L"Form1");
  original.Font()->SetName(L"Arial");
  original.Font()->SetHeight(-15);
  original.Font()->SetStyle({TFontStyle::fsBold, TFontStyle::fsUnderline});
  original.Font()->SetColor(clHighlight);

  auto* menu = new TPopupMenu(&original);
  menu->SetName(L"PagePopup");
  menu->SetAutoPopup(false);
  auto* open = new TMenuItem(&original);
  open->SetName(L"OpenItem");
  open->SetCaption(L"&Open");
  open->SetShortCut(TextToShortCut(L"Ctrl+O"));
  open->SetDefault(true);
  open->OnClick = TNotifyEvent(&original, &TMenuForm::OpenClick);
  auto* more = new TMenuItem(&original);
  more->SetName(L"MoreItem");
  more->SetCaption(L"More");
  auto* nested = new TMenuItem(&original);
  nested->SetName(L"NestedItem");
  nested->SetCaption(L"Nested");
  nested->SetEnabled(false);
  menu->Items()->Add(open);
  menu->Items()->Add(more);
  more->Add(nested);

  auto* images = new TImageList(&original);
  images->SetName(L"Images");
  images->SetSize(8, 8);
  TBitmap red;
  red.SetSize(8, 8);
  red.Canvas()->Brush()->SetColor(clRed);
  red.Canvas()->FillRect({2, 2, 6, 6});
  images->AddMasked(&red, clWhite);

  String text = ComponentToText(&original);
  EXPECT_NE(text.find(L"Font.Name = 'Arial'"), String::npos) << std::string(text.begin(), text.end());
  EXPECT_NE(text.find(L"Font.Style = [fsBold, fsUnderline]"), String::npos);
  EXPECT_NE(text.find(L"Font.Color = clHighlight"), String::npos);
  EXPECT_EQ(text.find(L"Font.Charset"), String::npos) << "defaults are not written";
  EXPECT_NE(text.find(L"    object NestedItem: TMenuItem"), String::npos) << "items are nested in their parents";
  EXPECT_NE(text.find(L"Bitmap = {"), String::npos) << "the images are stored";

  TMenuForm copy;
  ReadComponentFromText(text, &copy);
  EXPECT_EQ(copy.Font()->Name(), L"Arial");
  EXPECT_EQ(copy.Font()->Height(), -15);
  EXPECT_EQ(copy.Font()->Style(), (TFontStyles{TFontStyle::fsBold, TFontStyle::fsUnderline}));
  EXPECT_EQ(copy.Font()->Color(), clHighlight);

  auto* readMenu = ObjectAs<TPopupMenu>(copy.FindComponent(L"PagePopup"));
  ASSERT_NE(readMenu, nullptr);
  EXPECT_FALSE(readMenu->AutoPopup());
  ASSERT_EQ(readMenu->Items()->Count(), 2);
  TMenuItem* readOpen = readMenu->Items()->Items(0);
  EXPECT_EQ(readOpen->Caption(), L"&Open");
  EXPECT_EQ(ShortCutToText(readOpen->ShortCut()), L"Ctrl+O");
  EXPECT_TRUE(readOpen->Default());
  EXPECT_TRUE(readOpen->OnClick == TNotifyEvent(&copy, &TMenuForm::OpenClick));
  ASSERT_EQ(readMenu->Items()->Items(1)->Count(), 1);
  EXPECT_FALSE(readMenu->Items()->Items(1)->Items(0)->Enabled());

  auto* readImages = ObjectAs<TImageList>(copy.FindComponent(L"Images"));
  ASSERT_NE(readImages, nullptr);
  EXPECT_EQ(readImages->Count(), 1);
  EXPECT_EQ(readImages->Width(), 8);
  TWindowCapture capture(8, 8);
  capture.Fill(RGB(0, 255, 0));
  TCanvas canvas;
  canvas.SetHandle(capture.DC());
  readImages->Draw(&canvas, 0, 0, 0);
  EXPECT_EQ(capture.Pixel(3, 3), RGB(255, 0, 0));
  EXPECT_EQ(capture.Pixel(0, 0), RGB(0, 255, 0));

  EXPECT_EQ(ComponentToText(&copy), text);
}

}  // namespace
