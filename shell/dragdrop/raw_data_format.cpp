#include "shell/dragdrop/raw_data_format.h"

#include "framework/clipboard.h"
#include "framework/exceptions.h"

namespace shell {

namespace {

const DWORD kRawMedia = TYMED_HGLOBAL | TYMED_ISTREAM;

}  // namespace

TRawClipboardFormat::TRawClipboardFormat() : TClipboardFormat(0, kRawMedia) {
  throw Exception(
      Format(L"The %s class can not be instantiated with the default constructor", {L"TRawClipboardFormat"}));
}

TRawClipboardFormat::TRawClipboardFormat(const FORMATETC& formatEtc) : TClipboardFormat(formatEtc) {}

void TRawClipboardFormat::SetClipboardFormatName(const String& name) {
  SetClipboardFormat(static_cast<CLIPFORMAT>(TClipboard::RegisterFormat(name)));
}

bool TRawClipboardFormat::Assign(TCustomDataFormat* source) {
  return source->Is<TRawDataFormat>() || TClipboardFormat::Assign(source);
}

bool TRawClipboardFormat::AssignTo(TCustomDataFormat* dest) {
  return dest->Is<TRawDataFormat>() || TClipboardFormat::AssignTo(dest);
}

void TRawClipboardFormat::ClearData() {
  if (medium_.tymed != TYMED_NULL) ReleaseStgMedium(&medium_);
  medium_ = STGMEDIUM{};
}

bool TRawClipboardFormat::DoGetData(IDataObject*, const STGMEDIUM& medium) {
  if ((medium.tymed & kRawMedia) == 0) return false;
  ClearData();
  STGMEDIUM copy{};
  if (!CopyStgMediumDyn(medium, copy)) return false;
  medium_ = copy;
  return true;
}

bool TRawClipboardFormat::DoSetData(const FORMATETC&, STGMEDIUM& medium) {
  return medium_.tymed != TYMED_NULL && CopyStgMediumDyn(medium_, medium);
}

TRaised TRawDataFormat::Clear() {
  if (Changing().Gone()) return TRaised(false);
  for (int i = 0; i < CompatibleFormats().Count(); ++i)
    if (auto* raw = ObjectAs<TRawClipboardFormat>(CompatibleFormats().Formats(i))) raw->ClearData();
  return TRaised(true);
}

bool TRawDataFormat::HasData() {
  for (int i = 0; i < CompatibleFormats().Count(); ++i)
    if (CompatibleFormats().Formats(i)->HasData()) return true;
  return false;
}

bool TRawDataFormat::NeedsData() {
  for (int i = 0; i < CompatibleFormats().Count(); ++i)
    if (!CompatibleFormats().Formats(i)->HasData()) return true;
  return false;
}

TRawClipboardFormat* TRawDataFormat::FindRawFormat(const FORMATETC& formatEtc) {
  for (int i = 0; i < CompatibleFormats().Count(); ++i) {
    auto* raw = ObjectAs<TRawClipboardFormat>(CompatibleFormats().Formats(i));
    const FORMATETC& own = raw ? raw->FormatEtc() : formatEtc;
    if (raw && own.cfFormat == formatEtc.cfFormat && own.dwAspect == formatEtc.dwAspect &&
        own.lindex == formatEtc.lindex)
      return raw;
  }
  return nullptr;
}

}  // namespace shell
