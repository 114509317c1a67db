// Image lists stored in forms, their bytes damaged: reading raises EReadError or reads them, nothing else.
#include <gtest/gtest.h>

#include <string>

#include "framework/bitmap.h"
#include "framework/exceptions.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/image_list.h"
#include "support/hostile_input.h"

namespace {

const String kBinaryStart = L"Bitmap = {";

// A root that stores the components it owns.
class TImagesHolder : public TComponent {
  BC_CLASS(TImagesHolder, TComponent)
  using TComponent::TComponent;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override {
    (void)root;
    for (int i = 0; i < ComponentCount(); ++i) proc(Components(i));
  }
};

// The bytes of the form's binary value, and the form with other bytes in their place.
std::string StoredBytes(const String& form) {
  std::string bytes;
  int high = -1;
  for (size_t at = form.find(kBinaryStart) + kBinaryStart.size(); form[at] != L'}'; ++at) {
    const wchar_t c = form[at];
    const int digit = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
    if (digit < 0) continue;
    if (high < 0) {
      high = digit;
    } else {
      bytes += static_cast<char>(high << 4 | digit);
      high = -1;
    }
  }
  return bytes;
}

String WithBytes(const String& form, const std::string& bytes) {
  static const wchar_t digits[] = L"0123456789ABCDEF";
  const size_t start = form.find(kBinaryStart) + kBinaryStart.size();
  String hex;
  for (char c : bytes) {
    hex += digits[static_cast<unsigned char>(c) >> 4];
    hex += digits[c & 15];
  }
  return form.substr(0, start) + hex + form.substr(form.find(L'}', start));
}

}  // namespace

TEST(ImageListHostility, SeededMutationsOfStoredImagesRaiseOnlyReadErrors) {
  TImagesHolder source(nullptr);
  auto* images = new TImageList(&source);
  images->SetName(L"Images");
  images->SetSize(8, 8);
  TBitmap picture;
  picture.SetSize(16, 8);
  picture.Canvas()->Brush()->SetColor(clRed);
  picture.Canvas()->FillRect({2, 2, 6, 6});
  images->AddMasked(&picture, clWhite);
  const String form = ComponentToText(&source);
  ASSERT_NE(form.find(kBinaryStart), String::npos);
  const std::string sample = StoredBytes(form);
  ASSERT_FALSE(sample.empty());
  {
    TImagesHolder target(nullptr);
    ReadComponentFromText(WithBytes(form, sample), &target);
    EXPECT_EQ(ObjectAs<TImageList>(target.FindComponent(L"Images"))->Count(), 2);
  }
  TMutator mutator(808);
  for (int i = 0; i < 1500; ++i) {
    TImagesHolder target(nullptr);
    try {
      ReadComponentFromText(WithBytes(form, mutator.Mutate(sample)), &target);
    } catch (const EReadError&) {
    } catch (const std::exception& e) {
      ADD_FAILURE() << "mutation " << i << ": " << e.what();
    }
  }
}

// Whatever a list writes it reads back, thousands of images too (their strip runs past 32,768 pixels); a stored
// list claiming room for far more images than it holds is read with room for those it holds, and writes no more.
TEST(ImageListHostility, LargeListsReadBackAndClaimedRoomIsNotTaken) {
  struct TCase {
    int Size, Count;
  };
  // Narrow images keep the data small; the strip's height is what the reader refused.
  for (const TCase& c : {TCase{64, 2048}, TCase{128, 1024}}) {
    SCOPED_TRACE(testing::Message() << c.Count << " images of " << c.Size << " pixels");
    TImagesHolder source(nullptr);
    auto* images = new TImageList(&source);
    images->SetName(L"Images");
    images->SetSize(1, c.Size);
    TBitmap picture;
    picture.SetSize(1, c.Size);
    picture.Canvas()->Brush()->SetColor(clRed);
    picture.Canvas()->FillRect({1, 1, 3, 3});
    for (int i = 0; i < c.Count; ++i) images->AddMasked(&picture, clWhite);
    const String form = ComponentToText(&source);
    TImagesHolder target(nullptr);
    ReadComponentFromText(form, &target);
    EXPECT_EQ(ObjectAs<TImageList>(target.FindComponent(L"Images"))->Count(), c.Count);
  }

  TImagesHolder source(nullptr);
  auto* images = new TImageList(&source);
  images->SetName(L"Images");
  images->SetSize(8, 8);
  TBitmap picture;
  picture.SetSize(32, 8);
  images->AddMasked(&picture, clWhite);
  const String form = ComponentToText(&source);
  std::string bytes = StoredBytes(form);
  // The head's room for images (the fourth 16-bit word) claims all that 16 bits hold.
  bytes[6] = '\xFF';
  bytes[7] = '\xFF';
  TImagesHolder target(nullptr);
  ReadComponentFromText(WithBytes(form, bytes), &target);
  EXPECT_EQ(ObjectAs<TImageList>(target.FindComponent(L"Images"))->Count(), 4);
  EXPECT_LT(ComponentToText(&target).size(), 4 * form.size());
}
