#include "framework/image_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "framework/picture.h"
#include "framework/streams.h"
#include "support/hostile_input.h"
#include "support/test_environment.h"
#include "support/window_capture.h"

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// Two 8 x 8 images on magenta: a red square from (2, 2) to (6, 6), and a single blue pixel at (0, 0).
void FillStrip(TBitmap& strip) {
  strip.SetSize(16, 8);
  TCanvas* canvas = strip.Canvas();
  canvas->Brush()->SetColor(clFuchsia);
  canvas->FillRect({0, 0, 16, 8});
  canvas->Brush()->SetColor(clRed);
  canvas->FillRect({2, 2, 6, 6});
  canvas->SetPixels(8, 0, clBlue);
}

class ImageListDrawing : public TEnvironmentTest {
 protected:
  void SetUp() override {
    list.SetSize(8, 8);
    FillStrip(strip);
    ASSERT_EQ(list.AddMasked(&strip, clFuchsia), 0);
    capture.Fill(kGreen);
    canvas.SetHandle(capture.DC());
  }
  TImageList list;
  TBitmap strip;
  TWindowCapture capture{20, 10};
  TCanvas canvas;
};

TEST_F(ImageListDrawing, MaskedImagesAreCutFromOneStrip) {
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(strip.Canvas()->Pixels(0, 0), clFuchsia) << "the caller's bitmap is left as it was";
  list.Draw(&canvas, 0, 0, 0);
  list.Draw(&canvas, 10, 0, 1);
  EXPECT_EQ(capture.Pixel(3, 3), kRed);
  EXPECT_EQ(capture.Pixel(0, 0), kGreen) << "magenta is transparent";
  EXPECT_EQ(capture.CountPixels(kRed), 16);
  EXPECT_EQ(capture.Pixel(10, 0), kBlue);
  EXPECT_EQ(capture.CountPixels(kBlue), 1);

  // Out-of-range indexes draw nothing.
  list.Draw(&canvas, 0, 0, 2);
  list.Draw(&canvas, 0, 0, -1);
  EXPECT_EQ(capture.CountPixels(kRed), 16);
}

TEST_F(ImageListDrawing, DisabledImagesAreEmbossedInSystemColours) {
  Environment.SetSysColor(COLOR_BTNSHADOW, RGB(1, 2, 3));
  Environment.SetSysColor(COLOR_BTNHIGHLIGHT, RGB(250, 251, 252));
  list.Draw(&canvas, 0, 0, 0, false);
  KeepCaptureForViewing(capture, L"image_list_disabled");
  EXPECT_EQ(capture.Pixel(3, 3), RGB(1, 2, 3));
  EXPECT_EQ(capture.CountPixels(RGB(1, 2, 3)), 16);
  EXPECT_EQ(capture.Pixel(6, 6), RGB(250, 251, 252)) << "the highlight lies one pixel down and right";
  EXPECT_EQ(capture.Pixel(6, 3), RGB(250, 251, 252));
  EXPECT_EQ(capture.CountPixels(RGB(250, 251, 252)), 7);
  EXPECT_EQ(capture.Pixel(1, 1), kGreen);
  EXPECT_EQ(capture.CountPixels(kRed), 0);
}

TEST_F(ImageListDrawing, OverlaysBackgroundsMasksAndBlending) {
  ASSERT_TRUE(list.Overlay(1, 0));
  EXPECT_FALSE(list.Overlay(1, 15));
  list.DrawOverlay(&canvas, 0, 0, 0, 0);
  EXPECT_EQ(capture.Pixel(0, 0), kBlue) << "the overlay image is drawn over the image";
  EXPECT_EQ(capture.Pixel(3, 3), kRed);

  list.SetBkColor(clYellow);
  list.Draw(&canvas, 10, 0, 0);
  EXPECT_EQ(capture.Pixel(10, 0), RGB(255, 255, 0)) << "transparent parts take the background colour";
  EXPECT_EQ(capture.Pixel(13, 3), kRed);
  list.SetBkColor(clNone);

  capture.Fill(kGreen);
  list.Draw(&canvas, 0, 0, 0, TDrawingStyle::dsNormal, TImageType::itMask);
  EXPECT_EQ(capture.Pixel(3, 3), RGB(0, 0, 0)) << "the mask is black where the image is";
  EXPECT_EQ(capture.CountPixels(RGB(0, 0, 0)), 16);

  capture.Fill(kGreen);
  list.SetBlendColor(clBlue);
  list.SetDrawingStyle(TDrawingStyle::dsSelected);
  list.Draw(&canvas, 0, 0, 0);
  KeepCaptureForViewing(capture, L"image_list_selected");
  RECT square{2, 2, 6, 6};
  EXPECT_GT(capture.CountPixels(kBlue, &square), 0) << "selected images are blended with the blend colour";
  EXPECT_LT(capture.CountPixels(kRed, &square), 16);
}

TEST_F(ImageListDrawing, BitmapAndIconCopies) {
  TBitmap copy;
  copy.SetSize(16, 16);
  copy.Canvas()->Brush()->SetColor(clWhite);
  copy.Canvas()->FillRect({0, 0, 16, 16});
  list.GetBitmap(0, &copy);
  EXPECT_EQ(copy.Width(), 8);
  EXPECT_EQ(copy.Height(), 8);
  EXPECT_EQ(copy.Canvas()->Pixels(3, 3), clRed);
  EXPECT_EQ(copy.Canvas()->Pixels(0, 0), clWhite) << "transparent parts keep what the bitmap held";

  TIcon icon;
  list.GetIcon(0, &icon);
  ASSERT_FALSE(icon.Empty());
  EXPECT_EQ(icon.Width(), 8);
  EXPECT_EQ(icon.Height(), 8);
  canvas.Draw(10, 0, &icon);
  EXPECT_EQ(capture.Pixel(13, 3), kRed);
  EXPECT_EQ(capture.Pixel(10, 0), kGreen);

  EXPECT_EQ(list.AddIcon(&icon), 2);
  list.Draw(&canvas, 0, 0, 2);
  EXPECT_EQ(capture.Pixel(3, 3), kRed);
  EXPECT_EQ(capture.Pixel(0, 0), kGreen);
}

TEST(ImageListContents, ReplaceDeleteClearAndSize) {
  TImageList list;
  EXPECT_FALSE(list.HandleAllocated());
  EXPECT_EQ(list.Count(), 0);
  list.SetSize(8, 8);
  TBitmap strip;
  FillStrip(strip);
  TBitmap mask;
  mask.SetPixelFormat(TPixelFormat::pf1bit);
  mask.SetSize(16, 8);  // all white: everything transparent
  EXPECT_EQ(list.Add(&strip, nullptr), 0);
  EXPECT_EQ(list.Add(&strip, &mask), 2);
  EXPECT_EQ(list.Count(), 4);

  TWindowCapture capture(8, 8);
  capture.Fill(kGreen);
  TCanvas canvas;
  canvas.SetHandle(capture.DC());
  list.Draw(&canvas, 0, 0, 2);
  EXPECT_EQ(capture.CountPixels(kGreen), 64) << "a white mask hides the whole image";

  TBitmap blue;
  blue.SetSize(8, 8);
  blue.Canvas()->Brush()->SetColor(clBlue);
  blue.Canvas()->FillRect({0, 0, 8, 8});
  TBitmap opaque;
  opaque.SetPixelFormat(TPixelFormat::pf1bit);
  opaque.SetSize(8, 8);
  opaque.Canvas()->Brush()->SetColor(clBlack);
  opaque.Canvas()->FillRect({0, 0, 8, 8});
  list.Replace(2, &blue, &opaque);
  list.Draw(&canvas, 0, 0, 2);
  EXPECT_EQ(capture.CountPixels(kBlue), 64);

  list.Delete(0);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_THROW(list.Delete(3), EInvalidOperation);
  EXPECT_THROW(list.Replace(-1, &blue, nullptr), EInvalidOperation);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);

  list.Add(&strip, nullptr);
  list.SetWidth(10);
  EXPECT_EQ(list.Count(), 0) << "a new size empties the list";
  EXPECT_EQ(list.Width(), 10);
  list.Add(&strip, nullptr);
  int width = 0, height = 0;
  ImageList_GetIconSize(list.Handle(), &width, &height);
  EXPECT_EQ(width, 10);
  EXPECT_EQ(height, 8);
}

namespace {

// A user of a list, as a bar item is: it lets go of its change link when it hears that the list goes.
class TListUser : public TComponent {
 public:
  explicit TListUser(TCustomImageList* list) : TComponent(nullptr), list_(list) {
    list->RegisterChanges(&Link);
    list->FreeNotification(this);
  }
  TChangeLink Link;
  bool HeardOfAWholeList = false;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove || component != list_) return;
    HeardOfAWholeList = ObjectAs<TCustomImageList>(component) != nullptr;
    list_->UnRegisterChanges(&Link);
    list_ = nullptr;
  }

 private:
  TCustomImageList* list_;
};

}  // namespace

TEST(ImageListChangeLinks, RegisteredListenersHearOfChanges) {
  auto list = std::make_unique<TImageList>();
  std::vector<TObject*> heard;
  TChangeLink first, second;
  first.OnChange = [&](TObject* sender) { heard.push_back(sender); };
  second.OnChange = [&](TObject*) { heard.push_back(nullptr); };
  list->RegisterChanges(&first);
  list->RegisterChanges(&first);
  list->RegisterChanges(&second);
  EXPECT_EQ(first.Sender(), list.get());
  int own = 0;
  list->OnChange = [&](TObject*) { ++own; };

  TBitmap strip;
  FillStrip(strip);
  list->SetSize(8, 8);
  EXPECT_TRUE(heard.empty()) << "resizing a list without images changes nothing";
  list->AddMasked(&strip, clFuchsia);
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[0], list.get());
  EXPECT_EQ(own, 1);

  list->UnRegisterChanges(&second);
  EXPECT_EQ(second.Sender(), nullptr);
  list->Delete(0);
  EXPECT_EQ(heard.size(), 3u);

  {
    TChangeLink shortLived;
    list->RegisterChanges(&shortLived);
  }
  list->Clear();
  EXPECT_EQ(heard.size(), 4u) << "a freed link has left the list";

  TListUser user(list.get());
  list.reset();
  EXPECT_EQ(first.Sender(), nullptr) << "a freed list leaves its links without a sender";
  // Its users let go of their links while they hear of its going: the list is whole then, links and all.
  EXPECT_TRUE(user.HeardOfAWholeList);
  EXPECT_EQ(user.Link.Sender(), nullptr);
}

// Hands the binary values a component defines to the test.
class TCapturingFiler : public TFiler {
 public:
  bool IsReader() const override { return false; }
  void DefineProperty(const String&, const std::function<void(TReader&)>&, const std::function<void(TWriter&)>&,
                      bool) override {}
  void DefineBinaryProperty(const String& name, const std::function<void(TStream&)>& readData,
                            const std::function<void(TStream&)>& writeData, bool hasData) override {
    Name = name;
    Read = readData;
    Write = writeData;
    HasData = hasData;
  }
  String Name;
  std::function<void(TStream&)> Read, Write;
  bool HasData = false;
};

// An application's handler, of the list or of a link registered with it, frees the list as it hears of a change:
// whatever changed the list touches nothing of it afterwards.
TEST(ImageListChangeLinks, AHandlerFreesTheList) {
  TBitmap strip;
  FillStrip(strip);
  TMemoryStream stored;
  {
    TImageList source;
    source.SetSize(8, 8);
    source.AddMasked(&strip, clFuchsia);
    TCapturingFiler filer;
    source.DefineProperties(filer);
    filer.Write(stored);
  }
  TImageList other;
  const std::pair<const char*, std::function<void(TImageList&)>> changes[] = {
      {"SetSize", [](TImageList& l) { l.SetSize(4, 4); }},
      {"SetMasked", [](TImageList& l) { l.SetMasked(false); }},
      {"SetBkColor", [](TImageList& l) { l.SetBkColor(clRed); }},
      {"SetBlendColor", [](TImageList& l) { l.SetBlendColor(clRed); }},
      {"SetDrawingStyle", [](TImageList& l) { l.SetDrawingStyle(TDrawingStyle::dsFocus); }},
      {"SetImageType", [](TImageList& l) { l.SetImageType(TImageType::itMask); }},
      {"Add", [&](TImageList& l) { l.Add(&strip, nullptr); }},
      {"AddMasked", [&](TImageList& l) { l.AddMasked(&strip, clFuchsia); }},
      {"Replace", [&](TImageList& l) { l.Replace(0, &strip, nullptr); }},
      {"Delete", [](TImageList& l) { l.Delete(0); }},
      {"Clear", [](TImageList& l) { l.Clear(); }},
      {"Assign", [&](TImageList& l) { l.Assign(&other); }},
      {"ReadImages",
       [&](TImageList& l) {
         TCapturingFiler filer;
         l.DefineProperties(filer);
         stored.SetPosition(0);
         filer.Read(stored);
       }},
  };
  TGuardedAllocations guard;
  for (const auto& [name, change] : changes) {
    for (const bool byLink : {false, true}) {
      auto* list = new TImageList;
      list->SetSize(8, 8);
      list->AddMasked(&strip, clFuchsia);
      TChangeLink link;
      list->RegisterChanges(&link);
      const TNotifyEvent free = [&](TObject*) { delete std::exchange(list, nullptr); };
      if (byLink)
        link.OnChange = free;
      else
        list->OnChange = free;
      change(*list);
      EXPECT_EQ(list, nullptr) << name << (byLink ? " by a link" : "");
      delete list;
    }
  }
}

TEST(ImageListStoring, ImagesTravelAsBinaryData) {
  TImageList list;
  TCapturingFiler emptyFiler;
  list.DefineProperties(emptyFiler);
  EXPECT_FALSE(emptyFiler.HasData) << "an empty list stores no images";

  list.SetSize(8, 8);
  TBitmap strip;
  FillStrip(strip);
  list.AddMasked(&strip, clFuchsia);
  TCapturingFiler filer;
  list.DefineProperties(filer);
  EXPECT_EQ(filer.Name, L"Bitmap");
  ASSERT_TRUE(filer.HasData);
  TMemoryStream stream;
  filer.Write(stream);
  EXPECT_GT(stream.Size(), 100);

  TImageList loaded;
  TCapturingFiler readFiler;
  loaded.DefineProperties(readFiler);
  stream.SetPosition(0);
  readFiler.Read(stream);
  EXPECT_EQ(loaded.Count(), 2);
  EXPECT_EQ(loaded.Width(), 8);
  TWindowCapture capture(8, 8);
  capture.Fill(kGreen);
  TCanvas canvas;
  canvas.SetHandle(capture.DC());
  loaded.Draw(&canvas, 0, 0, 0);
  EXPECT_EQ(capture.Pixel(3, 3), kRed);
  EXPECT_EQ(capture.Pixel(0, 0), kGreen);

  TMemoryStream garbage;
  garbage.WriteBuffer("not an image list", 17);
  garbage.SetPosition(0);
  EXPECT_THROW(readFiler.Read(garbage), EReadError);
}

TEST(ImageListHandles, SharedHandlesOutliveTheList) {
  HIMAGELIST shared = ImageList_Create(4, 6, ILC_COLOR32 | ILC_MASK, 1, 1);
  {
    TImageList list;
    list.SetShareImages(true);
    list.SetHandle(shared);
    EXPECT_EQ(list.Width(), 4);
    EXPECT_EQ(list.Height(), 6);
    TImageList copy;
    copy.Assign(&list);
    EXPECT_NE(copy.Handle(), shared);
    EXPECT_EQ(copy.Height(), 6);
  }
  int width = 0, height = 0;
  EXPECT_TRUE(ImageList_GetIconSize(shared, &width, &height));
  EXPECT_EQ(height, 6);
  ImageList_Destroy(shared);
}

TEST(Icons, AdoptCopyAndRefuseResizing) {
  TIcon icon;
  EXPECT_TRUE(icon.Empty());
  int changes = 0;
  icon.OnChange = [&](TObject*) { ++changes; };
  icon.SetHandle(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(icon.Empty());
  EXPECT_EQ(icon.Width(), GetSystemMetrics(SM_CXICON));
  TIcon copy;
  copy.Assign(&icon);
  EXPECT_NE(copy.Handle(), icon.Handle());
  EXPECT_EQ(copy.Height(), icon.Height());
  EXPECT_THROW(copy.SetWidth(3), EInvalidGraphicOperation);
  HICON released = copy.ReleaseHandle();
  EXPECT_TRUE(copy.Empty());
  DestroyIcon(released);
  icon.Assign(nullptr);
  EXPECT_TRUE(icon.Empty());
}

TEST(Pictures, HoldOneGraphicAndReportChanges) {
  TPicture picture;
  int changes = 0;
  picture.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &picture);
    ++changes;
  };
  EXPECT_EQ(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Width(), 0);
  TBitmap* bitmap = picture.Bitmap();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(picture.Bitmap(), bitmap);
  bitmap->SetSize(5, 7);
  EXPECT_EQ(changes, 2) << "a change of the held graphic is a change of the picture";
  EXPECT_EQ(picture.Height(), 7);

  TPicture other;
  other.Assign(&picture);
  ASSERT_NE(other.Graphic(), nullptr);
  EXPECT_NE(other.Graphic(), picture.Graphic()) << "assigning copies";
  EXPECT_EQ(other.Width(), 5);

  TIcon icon;
  icon.SetHandle(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
  picture.SetGraphic(&icon);
  EXPECT_TRUE(picture.Graphic()->Is<TIcon>());
  EXPECT_NE(picture.Icon()->Handle(), icon.Handle());
  picture.Bitmap();
  EXPECT_TRUE(picture.Graphic()->Is<TBitmap>()) << "asking for a bitmap replaces the icon";
  picture.Assign(nullptr);
  EXPECT_EQ(picture.Graphic(), nullptr);
  TFont font;
  EXPECT_THROW(picture.Assign(&font), EConvertError);
}

}  // namespace
