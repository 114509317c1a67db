// The bitmap reader against damaged and hostile files: every header, palette and pixel size is checked against
// the data before anything is read or allocated, and only EInvalidGraphic comes out.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/bitmap.h"
#include "framework/exceptions.h"
#include "support/hostile_input.h"

namespace {

// A ".bmp" image built field by field; the sizes in the file header follow what was put in unless set.
struct TBmpImage {
  BITMAPINFOHEADER Info{sizeof(BITMAPINFOHEADER), 4, 2, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<RGBQUAD> Palette;
  std::string Pixels;
  int64_t DeclaredSize = -1;
  int64_t DeclaredOffset = -1;

  std::string Bytes() const {
    const size_t header = sizeof(BITMAPFILEHEADER) + sizeof Info + Palette.size() * sizeof(RGBQUAD);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfSize = static_cast<DWORD>(DeclaredSize >= 0 ? DeclaredSize : int64_t(header + Pixels.size()));
    file.bfOffBits = static_cast<DWORD>(DeclaredOffset >= 0 ? DeclaredOffset : int64_t(header));
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&Info), sizeof Info);
    bytes.append(reinterpret_cast<const char*>(Palette.data()), Palette.size() * sizeof(RGBQUAD));
    return bytes + Pixels;
  }
};

std::vector<RGBQUAD> Grays(int count) {
  std::vector<RGBQUAD> palette;
  for (int i = 0; i < count; ++i) {
    auto level = static_cast<BYTE>(i * 255 / std::max(count - 1, 1));
    palette.push_back({level, level, level, 0});
  }
  return palette;
}

// A 4 x 2 run-length image: a row of colour 5, a row of colour 2.
TBmpImage RunLengthImage() {
  TBmpImage image;
  image.Info.biCompression = BI_RLE8;
  image.Palette = Grays(8);
  image.Info.biClrUsed = 8;
  image.Pixels = std::string("\x04\x05\x00\x00\x04\x02\x00\x00\x00\x01", 10);
  image.Info.biSizeImage = static_cast<DWORD>(image.Pixels.size());
  return image;
}

std::string Saved(TBitmap& bitmap) {
  TMemoryStream stream;
  bitmap.SaveToStream(stream);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

// Loads from a stream whose last byte ends a page, with every allocation of the reader guarded.
void LoadGuarded(TBitmap& bitmap, const std::string& bytes) {
  TGuardedStream stream(bytes);
  TGuardedAllocations guard;
  bitmap.LoadFromStream(stream);
}

}  // namespace

TEST(BitmapHostility, DeclaredSizesBeyondTheDataAreRefusedBeforeAllocating) {
  struct Case {
    const char* Name;
    TBmpImage Image;
  };
  std::vector<Case> cases;
  auto add = [&](const char* name, auto change) {
    TBmpImage image;
    image.Palette = Grays(256);
    image.Pixels = std::string(8, '\x01');
    change(image);
    cases.push_back({name, image});
  };
  add("one palette entry, run-length on one bit, no pixels", [](TBmpImage& i) {
    i.Info.biBitCount = 1;
    i.Info.biClrUsed = 1;
    i.Info.biCompression = BI_RLE8;
    i.Palette = Grays(1);
    i.Pixels.clear();
  });
  add("32,768 x 32,768 in a header alone", [](TBmpImage& i) {
    i.Info.biWidth = i.Info.biHeight = 0x8000;
    i.Info.biBitCount = 24;
    i.Palette.clear();
    i.Pixels = "\x01\x02";
  });
  add("32,768 x 32,768 run-length in two bytes", [](TBmpImage& i) {
    i.Info.biWidth = i.Info.biHeight = 0x8000;
    i.Info.biCompression = BI_RLE8;
    i.Info.biSizeImage = 2;
    i.Pixels = std::string("\x00\x01", 2);
  });
  add("run-length without a size", [](TBmpImage& i) { i.Info.biCompression = BI_RLE8; });
  add("run-length larger than the data", [](TBmpImage& i) {
    i.Info.biCompression = BI_RLE8;
    i.Info.biSizeImage = 9;
  });
  add("run-length stored top-down", [](TBmpImage& i) {
    i.Info.biCompression = BI_RLE8;
    i.Info.biSizeImage = 8;
    i.Info.biHeight = -2;
  });
  add("four-bit runs on eight bits", [](TBmpImage& i) {
    i.Info.biCompression = BI_RLE4;
    i.Info.biSizeImage = 8;
  });
  add("bit fields on 24 bits", [](TBmpImage& i) { i.Info.biBitCount = 24, i.Info.biCompression = BI_BITFIELDS; });
  add("an embedded picture format", [](TBmpImage& i) { i.Info.biCompression = BI_JPEG; });
  add("no bits per pixel", [](TBmpImage& i) { i.Info.biBitCount = 0; });
  add("three bits per pixel", [](TBmpImage& i) { i.Info.biBitCount = 3; });
  add("64 bits per pixel", [](TBmpImage& i) { i.Info.biBitCount = 64; });
  add("two planes", [](TBmpImage& i) { i.Info.biPlanes = 2; });
  add("a header size of no known kind", [](TBmpImage& i) { i.Info.biSize = 1000; });
  add("more colours than eight bits give", [](TBmpImage& i) { i.Info.biClrUsed = 257; });
  add("a colour count to overflow the table", [](TBmpImage& i) { i.Info.biClrUsed = 0x40000000; });
  add("no width", [](TBmpImage& i) { i.Info.biWidth = 0; });
  add("a negative width", [](TBmpImage& i) { i.Info.biWidth = -4; });
  add("no height", [](TBmpImage& i) { i.Info.biHeight = 0; });
  add("too few pixel bytes", [](TBmpImage& i) { i.Pixels.resize(7); });
  add("pixels inside the header", [](TBmpImage& i) { i.DeclaredOffset = 20; });
  add("pixels past the end", [](TBmpImage& i) { i.DeclaredOffset = 0x7FFFFFFF; });
  add("a file larger than the data", [](TBmpImage& i) { i.DeclaredSize = 0xFFFFFFFF; });
  add("a file smaller than its headers", [](TBmpImage& i) { i.DeclaredSize = 20; });
  for (const Case& c : cases) {
    TBitmap bitmap;
    EXPECT_THROW(LoadGuarded(bitmap, c.Image.Bytes()), EInvalidGraphic) << c.Name;
    EXPECT_TRUE(bitmap.Empty()) << c.Name;
  }
}

TEST(BitmapHostility, ImagesThatStayInsideTheirDataLoad) {
  TBitmap bitmap;
  LoadGuarded(bitmap, RunLengthImage().Bytes());
  ASSERT_EQ(bitmap.Width(), 4);
  ASSERT_EQ(bitmap.Height(), 2);
  // Rows are stored bottom-up: the first run is the bottom row.
  EXPECT_EQ(bitmap.Canvas()->Pixels(0, 1), ColorToRGB(static_cast<TColor>(0xB6B6B6)));
  EXPECT_EQ(bitmap.Canvas()->Pixels(3, 0), ColorToRGB(static_cast<TColor>(0x484848)));

  TBmpImage oneColour;
  oneColour.Info.biBitCount = 1;
  oneColour.Info.biClrUsed = 1;
  oneColour.Palette = {{0, 0, 255, 0}};
  oneColour.Pixels = std::string(8, '\0');
  LoadGuarded(bitmap, oneColour.Bytes());
  EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(bitmap.Canvas()->Pixels(2, 1), static_cast<TColor>(0x0000FF));
}

// Damaged copies of bitmaps the writer made and of a run-length image: only EInvalidGraphic comes out, and the
// undamaged ones load and save back byte for byte. The first mutations of each run with every allocation guarded.
TEST(BitmapHostility, SeededMutationsRaiseOnlyInvalidGraphic) {
  std::vector<std::string> samples;
  for (TPixelFormat format : {TPixelFormat::pf1bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(5, 3);
    bitmap.Canvas()->SetPixels(1, 1, clBlack);
    bitmap.Canvas()->SetPixels(4, 2, clRed);
    samples.push_back(Saved(bitmap));
    TBitmap copy;
    LoadGuarded(copy, samples.back());
    EXPECT_EQ(Saved(copy), samples.back());
  }
  samples.push_back(RunLengthImage().Bytes());
  TMutator mutator(1984);
  for (const std::string& sample : samples) {
    for (int i = 0; i < 1000; ++i) {
      const std::string damaged = mutator.Mutate(sample);
      TBitmap bitmap;
      try {
        if (i < 100) {
          LoadGuarded(bitmap, damaged);
        } else {
          TGuardedStream stream(damaged);
          bitmap.LoadFromStream(stream);
        }
      } catch (const EInvalidGraphic&) {
      } catch (const std::exception& e) {
        ADD_FAILURE() << "mutation " << i << ": " << e.what();
      }
    }
  }
}
