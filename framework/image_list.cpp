#include "framework/image_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/dib_format.h"
#include "framework/properties.h"
#include "framework/startup.h"
#include "framework/streams.h"

namespace {

COLORREF ImageListColor(TColor color) {
  if (color == clNone) return CLR_NONE;
  if (color == clDefault) return CLR_DEFAULT;
  return static_cast<COLORREF>(ColorToRGB(color));
}

void RegisterImageListClass() { RegisterPersistentClass(TImageList::StaticClass()); }
void UnregisterImageListClass() { UnregisterPersistentClass(TImageList::StaticClass()); }

// The raster operation that paints the brush where the source is white and keeps the target where it is black.
constexpr DWORD kBrushWhereSourceIsWhite = 0x00E20746;

// The head of a stored image list: "IL", version, image count, capacity, growth, image width and height,
// background colour, flags, overlay images.
#pragma pack(push, 2)
struct TStoredListHead {
  uint16_t Magic;
  uint16_t Version;
  uint16_t Count;
  uint16_t Capacity;
  uint16_t Grow;
  uint16_t Width;
  uint16_t Height;
  uint32_t Background;
  uint16_t Flags;
  int16_t Overlays[4];
};
#pragma pack(pop)
static_assert(sizeof(TStoredListHead) == 28, "the stored head is 28 bytes");

constexpr uint16_t kStoredListMagic = 0x4C49;  // "IL"
// Stored images lie four to a row.
constexpr uint64_t kImagesPerRow = 4;
// A strip of the most images a list counts, 65,535, of the tallest picture lies within what a DIB's height holds;
// its pixels must still all be in the data.
constexpr LONG kTallestStrip = 0x7FFFFFFF;

// Whether an uncompressed bitmap file at offset at holds the head's images, four to a row, with all its pixels
// inside the data; at moves past it, info is its header, and slots is lowered to the images its rows have room for.
bool HoldsStoredImages(const std::string& bytes, size_t& at, const TStoredListHead& head, uint64_t& slots,
                       BITMAPINFOHEADER& info) {
  if (bytes.size() - at < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) return false;
  BITMAPFILEHEADER file;
  std::memcpy(&file, bytes.data() + at, sizeof file);
  std::memcpy(&info, bytes.data() + at + sizeof file, sizeof info);
  if (file.bfType != 0x4D42 || info.biSize != sizeof info ||
      (info.biCompression != BI_RGB && info.biCompression != BI_BITFIELDS))
    return false;
  const auto* dib = reinterpret_cast<const BYTE*>(bytes.data() + at + sizeof file);
  const size_t size = bytes.size() - at - sizeof file;
  const uint64_t bitsOffset = info.biSize + DIBColorTableBytes(info);
  if (bitsOffset > size || !IsValidDIB(dib, size, static_cast<size_t>(bitsOffset), kTallestStrip)) return false;
  const uint64_t rows = (head.Count + kImagesPerRow - 1) / kImagesPerRow;
  if (uint64_t(info.biWidth) < uint64_t{head.Width} * std::min<uint64_t>(head.Count, kImagesPerRow) ||
      uint64_t(std::abs(info.biHeight)) < rows * head.Height)
    return false;
  slots = std::min(slots, uint64_t(std::abs(info.biHeight)) / head.Height * kImagesPerRow);
  at += sizeof file + static_cast<size_t>(bitsOffset + DIBPixelBytes(info));
  return true;
}

// Whether the bytes are a stored image list whose images (and mask) are all there; slots is the images its
// pictures have room for. The platform's reader walks the mask's rows where the image's lie, and reads an image
// whose head names 32 bits a pixel as such: a mask of another size than its image, or an image of another depth,
// would be read past its end.
bool IsStoredImageList(const std::string& bytes, uint64_t& slots) {
  if (bytes.size() < sizeof(TStoredListHead)) return false;
  TStoredListHead head;
  std::memcpy(&head, bytes.data(), sizeof head);
  if (head.Magic != kStoredListMagic || head.Width == 0 || head.Height == 0) return false;
  size_t at = sizeof head;
  slots = UINT16_MAX;
  BITMAPINFOHEADER image;
  if (!HoldsStoredImages(bytes, at, head, slots, image)) return false;
  if ((head.Flags & ILC_COLORDDB) == ILC_COLOR32 && image.biBitCount != 32) return false;
  if (!(head.Flags & ILC_MASK)) return true;
  BITMAPINFOHEADER mask;
  return HoldsStoredImages(bytes, at, head, slots, mask) && mask.biWidth == image.biWidth &&
         mask.biHeight == image.biHeight;
}

}  // namespace

// TChangeLink

TChangeLink::~TChangeLink() {
  if (sender_) sender_->UnRegisterChanges(this);
}

TRaised TChangeLink::Change() { return RaiseEvent(OnChange, sender_); }

// TCustomImageList

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) { overlays_.fill(-1); }

TCustomImageList::~TCustomImageList() {
  // Users let go of their links when they hear of the removal, which needs this list still whole.
  SendFreeNotifications();
  for (TChangeLink* link : links_) link->SetSender(nullptr);
  FreeHandle();
}

const TPublishedTable& TCustomImageList::PublishedTable() const {
  using P = TPublished<TCustomImageList>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Integer(L"AllocBy", &TCustomImageList::AllocBy, &TCustomImageList::SetAllocBy).Default(4),
          P::Color(L"BkColor", &TCustomImageList::BkColor, &TCustomImageList::SetBkColor).Default(clNone),
          P::Color(L"BlendColor", &TCustomImageList::BlendColor, &TCustomImageList::SetBlendColor).Default(clNone),
          P::Enumeration(L"DrawingStyle", &TCustomImageList::DrawingStyle, &TCustomImageList::SetDrawingStyle,
                         {L"dsFocus", L"dsSelected", L"dsNormal", L"dsTransparent"})
              .Default(TDrawingStyle::dsNormal),
          P::Integer(L"Height", &TCustomImageList::Height, &TCustomImageList::SetHeight).Default(16),
          P::Enumeration(L"ImageType", &TCustomImageList::ImageType, &TCustomImageList::SetImageType,
                         {L"itImage", L"itMask"})
              .Default(TImageType::itImage),
          P::Boolean(L"Masked", &TCustomImageList::Masked, &TCustomImageList::SetMasked).Default(true),
          P::Boolean(L"ShareImages", &TCustomImageList::ShareImages, &TCustomImageList::SetShareImages).Default(false),
          P::Integer(L"Width", &TCustomImageList::Width, &TCustomImageList::SetWidth).Default(16),
          P::Event(
              L"OnChange", [](TCustomImageList* list) { return list->OnChange; },
              [](TCustomImageList* list, TNotifyEvent value) { list->OnChange = value; }),
      });
  return table;
}

void TCustomImageList::Assign(const TPersistent* source) {
  const TCustomImageList* list = ObjectAs<const TCustomImageList>(source);
  if (!list) return TComponent::Assign(source);
  if (list == this) return;
  FreeHandle();
  width_ = list->width_;
  height_ = list->height_;
  allocBy_ = list->allocBy_;
  masked_ = list->masked_;
  bkColor_ = list->bkColor_;
  blendColor_ = list->blendColor_;
  drawingStyle_ = list->drawingStyle_;
  imageType_ = list->imageType_;
  shareImages_ = false;
  if (list->handle_) handle_ = ImageList_Duplicate(list->handle_);
  Change();
}

void TCustomImageList::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      L"Bitmap", [this](TStream& stream) { ReadImages(stream); }, [this](TStream& stream) { WriteImages(stream); },
      Count() > 0);
}

void TCustomImageList::ReadImages(TStream& stream) {
  // The platform's reader trusts what the data declares; it only gets data whose every part is there. The room
  // the head claims for images is at most what its pictures hold: the reader makes room for every image claimed,
  // and the list would store all of it again.
  std::string bytes = ReadToEnd(stream);
  uint64_t slots = 0;
  if (!IsStoredImageList(bytes, slots)) throw EReadError(L"Failed to read ImageList data from stream");
  TStoredListHead head;
  std::memcpy(&head, bytes.data(), sizeof head);
  head.Capacity = static_cast<uint16_t>(std::min<uint64_t>(head.Capacity, slots));
  std::memcpy(bytes.data(), &head, sizeof head);
  TMemoryStream checked;
  checked.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  checked.SetPosition(0);
  Microsoft::WRL::ComPtr<IStream> adapter(new TStreamAdapter(&checked));
  HIMAGELIST read = ImageList_Read(adapter.Get());
  if (!read) throw EReadError(L"Failed to read ImageList data from stream");
  // The list's own images go, shared or not; the new ones are its own, and their change notice is the last act.
  const bool shared = shareImages_;
  shareImages_ = false;
  FreeHandle();
  shareImages_ = shared;
  SetHandle(read);
}

void TCustomImageList::WriteImages(TStream& stream) {
  Microsoft::WRL::ComPtr<IStream> adapter(new TStreamAdapter(&stream));
  if (!ImageList_Write(Handle(), adapter.Get())) throw EWriteError(L"Failed to write ImageList data to stream");
}

void TCustomImageList::SetWidth(int value) { SetSize(value, height_); }

void TCustomImageList::SetHeight(int value) { SetSize(width_, value); }

void TCustomImageList::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  if (handle_) {
    FreeHandle();
    Change();
  }
}

void TCustomImageList::SetMasked(bool value) {
  if (value == masked_) return;
  masked_ = value;
  if (handle_) {
    FreeHandle();
    Change();
  }
}

void TCustomImageList::SetBkColor(TColor value) {
  if (value == bkColor_) return;
  bkColor_ = value;
  if (handle_) ImageList_SetBkColor(handle_, ImageListColor(value));
  Change();
}

void TCustomImageList::SetBlendColor(TColor value) {
  if (value == blendColor_) return;
  blendColor_ = value;
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle value) {
  if (value == drawingStyle_) return;
  drawingStyle_ = value;
  Change();
}

void TCustomImageList::SetImageType(TImageType value) {
  if (value == imageType_) return;
  imageType_ = value;
  Change();
}

HIMAGELIST TCustomImageList::Handle() {
  if (!handle_) CreateHandle();
  return handle_;
}

void TCustomImageList::CreateHandle() {
  handle_ = ImageList_Create(width_, height_, ILC_COLOR32 | (masked_ ? ILC_MASK : 0), allocBy_, allocBy_);
  if (!handle_) throw EInvalidOperation(L"Error creating window image list");
  if (bkColor_ != clNone) ImageList_SetBkColor(handle_, ImageListColor(bkColor_));
}

void TCustomImageList::FreeHandle() {
  if (handle_ && !shareImages_) ImageList_Destroy(handle_);
  handle_ = nullptr;
  overlays_.fill(-1);
}

void TCustomImageList::SetHandle(HIMAGELIST value) {
  if (value == handle_) return;
  FreeHandle();
  handle_ = value;
  if (value) {
    ImageList_GetIconSize(value, &width_, &height_);
    if (bkColor_ != clNone) ImageList_SetBkColor(value, ImageListColor(bkColor_));
  }
  Change();
}

int TCustomImageList::Count() const { return handle_ ? ImageList_GetImageCount(handle_) : 0; }

void TCustomImageList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw EInvalidOperation(L"Invalid image list index");
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  if (!image) return -1;
  int index = ImageList_Add(Handle(), image->Handle(), mask ? mask->Handle() : nullptr);
  Change();
  return index;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
  if (!image) return -1;
  // The platform blackens the masked pixels of the bitmap it is given; a copy keeps the caller's picture.
  TBitmap copy;
  copy.Assign(image);
  TColor color = maskColor == clDefault ? image->TransparentColor() : maskColor;
  int index = ImageList_AddMasked(Handle(), copy.Handle(), static_cast<COLORREF>(ColorToRGB(color)));
  Change();
  return index;
}

int TCustomImageList::AddIcon(TIcon* icon) {
  if (!icon || icon->Empty()) return -1;
  int index = ImageList_ReplaceIcon(Handle(), -1, icon->Handle());
  Change();
  return index;
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask) {
  CheckIndex(index);
  if (!image) return;
  ImageList_Replace(handle_, index, image->Handle(), mask ? mask->Handle() : nullptr);
  Change();
}

void TCustomImageList::ReplaceIcon(int index, TIcon* icon) {
  CheckIndex(index);
  if (!icon || icon->Empty()) return;
  ImageList_ReplaceIcon(handle_, index, icon->Handle());
  Change();
}

void TCustomImageList::Delete(int index) {
  CheckIndex(index);
  ImageList_Remove(handle_, index);
  Change();
}

void TCustomImageList::Clear() {
  if (handle_) ImageList_Remove(handle_, -1);
  Change();
}

bool TCustomImageList::Overlay(int overlayImage, TOverlay overlay) {
  if (overlay < 0 || overlay > 14) return false;
  if (!ImageList_SetOverlayImage(Handle(), overlayImage, overlay + 1)) return false;
  overlays_[overlay] = overlayImage;
  return true;
}

UINT TCustomImageList::StyleFlags(TDrawingStyle drawingStyle, TImageType imageType) const {
  static const UINT kStyles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  UINT style = kStyles[static_cast<int>(drawingStyle)];
  if (imageType == TImageType::itMask) style |= ILD_MASK;
  return style;
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
  Draw(canvas, x, y, index, drawingStyle_, imageType_, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle drawingStyle, TImageType imageType,
                            bool enabled) {
  if (!handle_ || index < 0 || index >= Count()) return;
  DoDraw(index, canvas, x, y, StyleFlags(drawingStyle, imageType), enabled);
}

void TCustomImageList::DrawOverlay(TCanvas* canvas, int x, int y, int index, TOverlay overlay, bool enabled) {
  if (!handle_ || index < 0 || index >= Count() || overlay < 0 || overlay > 14) return;
  DoDraw(index, canvas, x, y, StyleFlags(drawingStyle_, imageType_) | INDEXTOOVERLAYMASK(overlay + 1), enabled);
}

void TCustomImageList::DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled) {
  HDC target = canvas->Handle();
  // The overlay is drawn as a second image, transparent over the first, rather than left to the platform's
  // overlay drawing, which does not mask the overlay everywhere.
  int overlaySlot = static_cast<int>((style & ILD_OVERLAYMASK) >> 8) - 1;
  int overlay = overlaySlot >= 0 ? overlays_[overlaySlot] : -1;
  if (overlay >= Count()) overlay = -1;
  style &= ~ILD_OVERLAYMASK;
  if (enabled) {
    ImageList_DrawEx(handle_, index, target, x, y, 0, 0, ImageListColor(bkColor_), ImageListColor(blendColor_), style);
    if (overlay >= 0)
      ImageList_DrawEx(handle_, overlay, target, x, y, 0, 0, CLR_NONE, ImageListColor(blendColor_),
                       style | ILD_TRANSPARENT);
    return;
  }
  // The silhouette: the image drawn on white, then every pixel that is not white becomes a 0 bit.
  TBitmap drawn;
  drawn.SetPixelFormat(TPixelFormat::pf32bit);
  drawn.SetSize(width_, height_);
  HDC drawnDC = drawn.Canvas()->Handle();
  ImageList_DrawEx(handle_, index, drawnDC, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
  if (overlay >= 0) ImageList_DrawEx(handle_, overlay, drawnDC, 0, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
  HBITMAP mono = CreateBitmap(width_, height_, 1, 1, nullptr);
  HDC monoDC = CreateCompatibleDC(nullptr);
  HGDIOBJ oldMono = SelectObject(monoDC, mono);
  ::SetBkColor(drawnDC, RGB(255, 255, 255));
  BitBlt(monoDC, 0, 0, width_, height_, drawnDC, 0, 0, SRCCOPY);

  // A one-bit source takes the target's text colour for its 0 bits (the silhouette) and the background colour
  // for its 1 bits.
  COLORREF oldText = SetTextColor(target, RGB(255, 255, 255));
  COLORREF oldBack = ::SetBkColor(target, RGB(0, 0, 0));
  HBRUSH highlight = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
  HBRUSH shadow = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  HGDIOBJ oldBrush = SelectObject(target, highlight);
  BitBlt(target, x + 1, y + 1, width_, height_, monoDC, 0, 0, kBrushWhereSourceIsWhite);
  SelectObject(target, shadow);
  BitBlt(target, x, y, width_, height_, monoDC, 0, 0, kBrushWhereSourceIsWhite);
  SelectObject(target, oldBrush);
  DeleteObject(highlight);
  DeleteObject(shadow);
  SetTextColor(target, oldText);
  ::SetBkColor(target, oldBack);

  SelectObject(monoDC, oldMono);
  DeleteDC(monoDC);
  DeleteObject(mono);
}

void TCustomImageList::GetBitmap(int index, TBitmap* image) {
  if (!image || !handle_ || index < 0 || index >= Count()) return;
  image->SetSize(width_, height_);
  Draw(image->Canvas(), 0, 0, index);
}

void TCustomImageList::GetIcon(int index, TIcon* image) {
  if (!image || !handle_ || index < 0 || index >= Count()) return;
  image->SetHandle(ImageList_GetIcon(handle_, index, ILD_NORMAL));
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (!link || std::find(links_.begin(), links_.end(), link) != links_.end()) return;
  if (link->Sender() && link->Sender() != this) link->Sender()->UnRegisterChanges(link);
  link->SetSender(this);
  links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  auto found = std::find(links_.begin(), links_.end(), link);
  if (found == links_.end()) return;
  links_.erase(found);
  link->SetSender(nullptr);
}

void TCustomImageList::Change() {
  // A listener may unregister itself while it hears of the change, or free the list: the notice is the last act
  // of every caller (each is done with the list), so a list gone ends only the walk.
  const TLifeWatch life = LifeWatch();
  std::vector<TChangeLink*> links = links_;
  for (TChangeLink* link : links) {
    if (std::find(links_.begin(), links_.end(), link) == links_.end()) continue;
    // The last act of every caller; the link that goes with what it heard has left the list.
    if (link->Change().Gone() && life.Ended()) return;
    if (life.Ended()) return;
  }
  // The last act of every caller: each is done with the list.
  if (RaiseEvent(OnChange, this).Gone()) return;
}

const TUnit& ImageListUnit() {
  static const TUnit unit{L"image list", &RegisterImageListClass, &UnregisterImageListClass, {}};
  return unit;
}
