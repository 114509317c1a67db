// Image lists stored in forms, their bytes damaged: reading raises EReadError or reads them, nothing else.
#include <gtest/gtest.h>

#include <cstdlib>
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

// A bottom-up bitmap file of that size and depth (1 or 32 bits), as a stored list holds its pictures; a negative
// height makes it top-down.
std::string StoredPicture(int width, int height, int bits) {
  const uint32_t rowBytes = (static_cast<uint32_t>(width) * bits + 31) / 32 * 4;
  const uint32_t colors = bits == 1 ? 2 : 0;
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = static_cast<WORD>(bits);
  info.biCompression = BI_RGB;
  info.biClrUsed = colors;
  const uint32_t pixels = rowBytes * static_cast<uint32_t>(std::abs(height));
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info + colors * 4;
  file.bfSize = file.bfOffBits + pixels;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  bytes.append(colors * 4, '\xFF');
  bytes.append(pixels, '\x40');
  return bytes;
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
  // A list refused as a whole, a tall image over a short mask, is damaged too.
  const std::string tallOverShort = sample.substr(0, 28) + StoredPicture(64, 256, 32) + StoredPicture(64, 16, 1);
  TMutator mutator(808);
  for (int i = 0; i < 1500; ++i) {
    TImagesHolder target(nullptr);
    try {
      ReadComponentFromText(WithBytes(form, mutator.Mutate(i % 10 == 9 ? tallOverShort : sample)), &target);
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

// The platform reads a stored list's mask row by row where the image's rows lie, and its image in the depth the
// head's flags name: pictures whose sizes disagree with the head or with each other made it read past the mask
// (and fault, for a tall image over a short mask), so they are refused before it reads them.
TEST(ImageListHostility, PicturesOfOtherSizesThanTheHeadImpliesAreRefused) {
  TImagesHolder source(nullptr);
  auto* images = new TImageList(&source);
  images->SetName(L"Images");
  images->SetSize(16, 16);
  TBitmap picture;
  picture.SetSize(64, 16);
  images->AddMasked(&picture, clWhite);
  ASSERT_EQ(images->Count(), 4);
  const String form = ComponentToText(&source);
  const std::string head = StoredBytes(form).substr(0, 28);
  struct TCase {
    const char* Name;
    int ImageWidth, ImageHeight, ImageBits, MaskWidth, MaskHeight, MaskBits;
    bool Reads;
  };
  const TCase cases[] = {
      {"as written", 64, 16, 32, 64, 16, 1, true},
      {"tall image, short mask", 64, 16384, 32, 64, 16, 1, false},
      {"mask half as tall", 64, 32, 32, 64, 16, 1, false},
      {"mask one row short", 64, 16, 32, 64, 15, 1, false},
      {"mask narrower", 64, 16, 32, 32, 16, 1, false},
      {"mask wider", 64, 16, 32, 128, 16, 1, false},
      {"mask top-down under a bottom-up image", 64, 16, 32, 64, -16, 1, false},
      {"image of one bit a pixel", 64, 16, 1, 64, 16, 1, false},
      {"image of one bit, tall", 64, 4096, 1, 64, 4096, 1, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string bytes = head + StoredPicture(c.ImageWidth, c.ImageHeight, c.ImageBits) +
                              StoredPicture(c.MaskWidth, c.MaskHeight, c.MaskBits);
    TImagesHolder target(nullptr);
    if (c.Reads) {
      ReadComponentFromText(WithBytes(form, bytes), &target);
      EXPECT_EQ(ObjectAs<TImageList>(target.FindComponent(L"Images"))->Count(), 4);
    } else {
      EXPECT_THROW(ReadComponentFromText(WithBytes(form, bytes), &target), EReadError);
    }
  }
}
