#include "framework/dib_format.h"

#include <cstdlib>
#include <cstring>

namespace {

// A run of up to 255 pixels takes two bytes of a compressed image; an image claiming more pixels than its runs
// can give is refused, so that a few bytes cannot make the reader allocate a huge bitmap.
constexpr uint64_t kPixelsPerRunByte = 128;

}  // namespace

uint64_t DIBColorTableBytes(const BITMAPINFOHEADER& header) {
  if (header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER)) return 3 * sizeof(DWORD);
  uint64_t colors = header.biClrUsed;
  if (colors == 0 && header.biBitCount <= 8) colors = uint64_t{1} << header.biBitCount;
  return colors * sizeof(RGBQUAD);
}

bool IsValidDIB(const BYTE* dib, size_t size, size_t bitsOffset, LONG tallest) {
  if (size < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER header;
  std::memcpy(&header, dib, sizeof header);
  const bool knownHeader = header.biSize == sizeof(BITMAPINFOHEADER) || header.biSize == sizeof(BITMAPV4HEADER) ||
                           header.biSize == sizeof(BITMAPV5HEADER);
  if (!knownHeader || header.biPlanes != 1 || header.biWidth <= 0 || header.biWidth > LargestDIBEdge ||
      header.biHeight == 0 || header.biHeight < -tallest || header.biHeight > tallest)
    return false;
  const WORD bits = header.biBitCount;
  switch (header.biCompression) {
    case BI_RGB:
      if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
      break;
    case BI_RLE8:
    case BI_RLE4:
      // Compressed images are stored bottom-up only.
      if (bits != (header.biCompression == BI_RLE8 ? 8 : 4) || header.biHeight < 0) return false;
      break;
    case BI_BITFIELDS:
      if (bits != 16 && bits != 32) return false;
      break;
    default:
      return false;
  }
  if (bits <= 8 && header.biClrUsed > (1u << bits)) return false;
  const uint64_t tableEnd = uint64_t{header.biSize} + DIBColorTableBytes(header);
  if (tableEnd > bitsOffset || bitsOffset > size) return false;
  const uint64_t available = size - bitsOffset;
  if (header.biCompression == BI_RLE8 || header.biCompression == BI_RLE4)
    return header.biSizeImage > 0 && header.biSizeImage <= available &&
           uint64_t(header.biWidth) * uint64_t(header.biHeight) <= uint64_t{header.biSizeImage} * kPixelsPerRunByte;
  return DIBPixelBytes(header) <= available;
}

uint64_t DIBPixelBytes(const BITMAPINFOHEADER& header) {
  const uint64_t stride = (uint64_t(std::abs(header.biWidth)) * header.biBitCount + 31) / 32 * 4;
  return stride * uint64_t(std::abs(header.biHeight));
}
