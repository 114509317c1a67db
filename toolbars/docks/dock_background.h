// The picture docks and the windows on them draw behind their content: a bitmap tiled from the origin the caller
// gives, optionally transparent against a colour, optionally stretched to the dock's size. Docks register for its
// changes and repaint themselves when it is rebuilt.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/bitmap.h"
#include "framework/component.h"

namespace toolbars {

class TBarBasicBackground;
// Called with the data it was registered with and the background that changed.
using TBarBackgroundChangeProc = void (*)(void* data, TBarBasicBackground* background);

// What a dock asks of any background.
class TBarBasicBackground : public TComponent {
  BC_CLASS(TBarBasicBackground, TComponent)
  explicit TBarBasicBackground(TComponent* owner) : TComponent(owner) {}

  // Tiles the picture over drawRect, the first tile at drawRect's top-left corner.
  virtual void Draw(HDC dc, const RECT& drawRect) = 0;
  virtual HPALETTE GetPalette() = 0;
  // A pair registered twice is kept once.
  virtual void RegisterChanges(TBarBackgroundChangeProc proc, void* data) = 0;
  virtual void SysColorChanged() = 0;
  virtual void UnregisterChanges(TBarBackgroundChangeProc proc, void* data) = 0;
  // True when there is a picture to draw.
  virtual bool UsingBackground() = 0;
};

class TBarBackground : public TBarBasicBackground {
  BC_CLASS(TBarBackground, TBarBasicBackground)
  explicit TBarBackground(TComponent* owner);
  ~TBarBackground() override;
  const TPublishedTable& PublishedTable() const override;

  TBitmap* Bitmap() const { return bitmap_.get(); }
  void SetBitmap(const TBitmap* value);
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool Stretch() const { return stretch_; }
  void ChangeStretch(bool value);
  // The size a stretched picture takes; docks pass their client size.
  void SetStretchSize(int width, int height);

  void Draw(HDC dc, const RECT& drawRect) override;
  HPALETTE GetPalette() override;
  void RegisterChanges(TBarBackgroundChangeProc proc, void* data) override;
  void SysColorChanged() override;
  void UnregisterChanges(TBarBackgroundChangeProc proc, void* data) override;
  bool UsingBackground() override;

 private:
  struct TChangeRecord {
    TBarBackgroundChangeProc Proc;
    void* Data;
  };
  void Rebuild(TObject* sender = nullptr);
  void BuildCache();

  std::unique_ptr<TBitmap> working_;  // the picture as drawn: a copy, or a stretched copy
  std::unique_ptr<TBitmap> cache_;    // the working picture with transparency applied; built on first draw
  std::unique_ptr<TBitmap> bitmap_;
  SIZE stretchSize_{};
  TColor bkColor_ = clBtnFace;
  std::vector<TChangeRecord> changes_;
  bool transparent_ = false;
  bool stretch_ = false;
};

}  // namespace toolbars
