// TImage: a windowless control that shows a picture, at its top-left corner or centred, transparently or not.
#pragma once

#include <memory>

#include "framework/control.h"
#include "framework/picture.h"

class TImage : public TGraphicControl {
  BC_CLASS(TImage, TGraphicControl)
  explicit TImage(TComponent* owner);
  ~TImage() override;

  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(const TPicture* value) { picture_->Assign(value); }
  bool Center() const { return center_; }
  void SetCenter(bool value);
  // Leaves the picture's transparent colour out, so the parent shows through.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);

  void Dispatch(TMessage& message) override;
  const TPublishedTable& PublishedTable() const override;

 protected:
  TRaised Paint() override;

 private:
  void PictureChanged(TObject* sender);

  std::unique_ptr<TPicture> picture_;
  bool center_ = false;
  bool transparent_ = false;
  // A paint is running: a picture changed by it (a derived image that fills it by state) asks for no new paint,
  // which would start the same paint again without end.
  bool drawing_ = false;
};
