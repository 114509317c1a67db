// Data a source was handed in a format none of its data formats knows: each raw clipboard format keeps a private
// copy of one medium, and the raw data format gathers them.
#pragma once

#include "shell/dragdrop/data_format.h"

namespace shell {

class TRawClipboardFormat : public TClipboardFormat {
  BC_CLASS(TRawClipboardFormat, TClipboardFormat)
  // Raises Exception: a raw format is made only for a given FORMATETC.
  TRawClipboardFormat();
  explicit TRawClipboardFormat(const FORMATETC& formatEtc);
  ~TRawClipboardFormat() override { ClearData(); }

  // Names the format: its id becomes the registered id of name.
  void SetClipboardFormatName(const String& name) override;
  bool Assign(TCustomDataFormat* source) override;
  bool AssignTo(TCustomDataFormat* dest) override;
  // The copy stays until ClearData: a data format that reads it leaves it here.
  void Clear() override {}
  void ClearData();
  bool HasData() override { return medium_.tymed != TYMED_NULL; }
  const STGMEDIUM& Medium() const { return medium_; }

 protected:
  // Only global memory and streams are kept: a copy of any other medium would share handles with the original.
  bool DoGetData(IDataObject* source, const STGMEDIUM& medium) override;
  bool DoSetData(const FORMATETC& formatEtc, STGMEDIUM& medium) override;

 private:
  STGMEDIUM medium_{};
};

class TRawDataFormat : public TCustomDataFormat {
  BC_CLASS(TRawDataFormat, TCustomDataFormat)
  explicit TRawDataFormat(TDragDropComponent* owner, const TClass* cls = StaticClass())
      : TCustomDataFormat(owner, cls) {}

  TRaised Clear() override;
  bool HasData() override;
  bool NeedsData() override;
  // The raw format of exactly this id, aspect and item, or null.
  TRawClipboardFormat* FindRawFormat(const FORMATETC& formatEtc);
};

}  // namespace shell
