// TCustomImageList and TImageList: a component over a common-controls image list, with change links through
// which the controls that show its images hear of every change.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <array>
#include <vector>

#include "framework/bitmap.h"
#include "framework/icon.h"

class TCustomImageList;

// One listener's registration with an image list. Freed or unregistered, it leaves the list; a list that goes
// first leaves its links with no Sender.
class TChangeLink : public TObject, protected TEventSource {
  BC_CLASS(TChangeLink, TObject)
  TChangeLink() = default;
  ~TChangeLink() override;
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;

  TCustomImageList* Sender() const { return sender_; }
  void SetSender(TCustomImageList* value) { sender_ = value; }
  // Raises OnChange with the image list as sender.
  virtual TRaised Change();

  TNotifyEvent OnChange;

 private:
  TCustomImageList* sender_ = nullptr;
};

enum class TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum class TImageType { itImage, itMask };
// An overlay slot, 0 to 14.
using TOverlay = int;

class TCustomImageList : public TComponent {
  BC_CLASS(TCustomImageList, TComponent)
  explicit TCustomImageList(TComponent* owner = nullptr);
  ~TCustomImageList() override;

  // Takes the size, settings and images of another list.
  void Assign(const TPersistent* source) override;
  // The images travel with a stored form as the binary value "Bitmap".
  void DefineProperties(TFiler& filer) override;
  const TPublishedTable& PublishedTable() const override;

  // Changing either size empties the list.
  int Width() const { return width_; }
  void SetWidth(int value);
  int Height() const { return height_; }
  void SetHeight(int value);
  void SetSize(int width, int height);
  int AllocBy() const { return allocBy_; }
  void SetAllocBy(int value) { allocBy_ = value; }
  // Whether the images keep masks; changing it empties the list.
  bool Masked() const { return masked_; }
  void SetMasked(bool value);
  // The colour drawn under transparent parts; clNone draws them transparent.
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor value);
  // The colour the focus and selected styles blend the image with: clNone blends with what lies under the
  // image, clDefault with the highlight colour.
  TColor BlendColor() const { return blendColor_; }
  void SetBlendColor(TColor value);
  TDrawingStyle DrawingStyle() const { return drawingStyle_; }
  void SetDrawingStyle(TDrawingStyle value);
  TImageType ImageType() const { return imageType_; }
  void SetImageType(TImageType value);
  // A shared list's handle belongs to someone else and is not destroyed with this object.
  bool ShareImages() const { return shareImages_; }
  void SetShareImages(bool value) { shareImages_ = value; }

  // Created on first use.
  HIMAGELIST Handle();
  // Adopts an image list; its size becomes this list's size.
  void SetHandle(HIMAGELIST value);
  bool HandleAllocated() const { return handle_ != nullptr; }

  int Count() const;
  // Adds the image (cut into as many images as its width holds) and answers the index of the first one.
  int Add(TBitmap* image, TBitmap* mask);
  // Adds the image with every pixel of maskColor transparent; clDefault takes the image's transparent colour.
  // The caller's bitmap is left as it was.
  int AddMasked(TBitmap* image, TColor maskColor);
  int AddIcon(TIcon* icon);
  void Replace(int index, TBitmap* image, TBitmap* mask);
  void ReplaceIcon(int index, TIcon* icon);
  void Delete(int index);
  void Clear();
  // Shows image overlayImage as overlay slot overlay wherever an image is drawn with that overlay.
  bool Overlay(int overlayImage, TOverlay overlay);

  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
  void Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle drawingStyle, TImageType imageType,
            bool enabled = true);
  void DrawOverlay(TCanvas* canvas, int x, int y, int index, TOverlay overlay, bool enabled = true);

  // Sizes image to the list's size and draws the image over what the bitmap holds.
  void GetBitmap(int index, TBitmap* image);
  void GetIcon(int index, TIcon* image);

  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);

  TNotifyEvent OnChange;

 protected:
  // Tells every change link, then OnChange; raised last by its callers.
  virtual void Change();
  // Paints image index; a disabled image is an embossed silhouette in the highlight and shadow colours.
  virtual void DoDraw(int index, TCanvas* canvas, int x, int y, UINT style, bool enabled);

 private:
  void CreateHandle();
  void FreeHandle();
  void CheckIndex(int index) const;
  UINT StyleFlags(TDrawingStyle drawingStyle, TImageType imageType) const;
  void ReadImages(TStream& stream);
  void WriteImages(TStream& stream);

  HIMAGELIST handle_ = nullptr;
  int width_ = 16;
  int height_ = 16;
  int allocBy_ = 4;
  bool masked_ = true;
  TColor bkColor_ = clNone;
  TColor blendColor_ = clNone;
  TDrawingStyle drawingStyle_ = TDrawingStyle::dsNormal;
  TImageType imageType_ = TImageType::itImage;
  bool shareImages_ = false;
  std::vector<TChangeLink*> links_;
  // The image shown for each overlay slot, -1 for none.
  std::array<int, 15> overlays_;
};

class TImageList : public TCustomImageList {
  BC_CLASS(TImageList, TCustomImageList)
  using TCustomImageList::TCustomImageList;
};

struct TUnit;
// Registers TImageList for stored forms.
const TUnit& ImageListUnit();
