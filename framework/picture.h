// TPicture: holds one picture of any graphic class, owns it, and reports its changes.
#pragma once

#include <memory>

#include "framework/bitmap.h"
#include "framework/icon.h"

class TPicture : public TPersistent, protected TEventSource {
  BC_CLASS(TPicture, TPersistent)
  TPicture() = default;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // Takes a copy of another picture's graphic or of a graphic; null empties the picture.
  void Assign(const TPersistent* source) override;

  // The graphic held, or null while the picture is empty.
  TGraphic* Graphic() const { return graphic_.get(); }
  // Stores a copy of value (a new graphic of the same class); null empties the picture.
  void SetGraphic(TGraphic* value);
  // The graphic as a bitmap; when the picture holds something else (or nothing), it is replaced by an empty
  // bitmap first.
  TBitmap* Bitmap();
  // The same for an icon.
  TIcon* Icon();

  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }

  TNotifyEvent OnChange;

 private:
  template <class T>
  T* Hold();
  void Replace(std::unique_ptr<TGraphic> graphic);
  void Changed(TObject* sender);

  std::unique_ptr<TGraphic> graphic_;
};
