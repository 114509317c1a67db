#include "tree/paint/measure_canvas.h"

namespace tree {

TMeasureCanvas::TMeasureCanvas() { SetHandle(CreateCompatibleDC(nullptr)); }

TMeasureCanvas::~TMeasureCanvas() {
  HDC dc = HandleAllocated() ? Handle() : nullptr;
  SetHandle(nullptr);
  if (dc) DeleteDC(dc);
}

void TakeFont(TFont* target, const TFont* source) {
  if (target->Name() == source->Name() && target->Height() == source->Height() &&
      target->PixelsPerInch() == source->PixelsPerInch() && target->Style() == source->Style() &&
      target->Charset() == source->Charset() && target->Pitch() == source->Pitch()) {
    target->SetColor(source->Color());
    return;
  }
  target->Assign(source);
}

}  // namespace tree
