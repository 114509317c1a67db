#include "shell/dragdrop/clipboard_format.h"

#include "framework/clipboard.h"
#include "framework/exceptions.h"
#include "framework/stg_medium.h"
#include "shell/dragdrop/data_format.h"

namespace shell {

TClipboardFormat::TClipboardFormat(CLIPFORMAT id, DWORD tymed) : formatEtc_{id, nullptr, DVASPECT_CONTENT, -1, tymed} {}

TClipboardFormat::TClipboardFormat(const FORMATETC& formatEtc) : formatEtc_(formatEtc) { formatEtc_.ptd = nullptr; }

String TClipboardFormat::ClipboardFormatName() const { return GetClipboardFormatNameStr(ClipboardFormat()); }

void TClipboardFormat::SetClipboardFormatName(const String&) {
  throw Exception(Format(L"%s.ClipboardFormat is read-only", {ClassName()}));
}

bool TClipboardFormat::HasValidFormats(IDataObject* dataObject) {
  FORMATETC format = formatEtc_;
  return dataObject && dataObject->QueryGetData(&format) == S_OK;
}

bool TClipboardFormat::AcceptFormat(const FORMATETC& formatEtc) {
  return formatEtc.cfFormat == formatEtc_.cfFormat && formatEtc.ptd == nullptr &&
         formatEtc.dwAspect == formatEtc_.dwAspect && (formatEtc.tymed & formatEtc_.tymed) != 0;
}

bool TClipboardFormat::GetData(IDataObject* dataObject) {
  Clear();
  if (!dataObject) return false;
  FORMATETC format = formatEtc_;
  TStgMedium medium;
  if (dataObject->GetData(&format, medium.ReleaseAndGetAddressOf()) != S_OK) return false;
  return GetDataFromMedium(dataObject, medium.Get());
}

bool TClipboardFormat::GetDataFromMedium(IDataObject* source, const STGMEDIUM& medium) {
  Clear();
  return (medium.tymed & formatEtc_.tymed) != 0 && DoGetData(source, medium);
}

bool TClipboardFormat::SetData(IDataObject* dataObject, const FORMATETC& formatEtc) {
  STGMEDIUM written;
  if (!dataObject || !SetDataToMedium(formatEtc, written)) return false;
  TStgMedium medium(written);
  FORMATETC format = formatEtc_;
  STGMEDIUM handed = medium.Get();
  // The object owns the medium only when it accepts it.
  if (dataObject->SetData(&format, &handed, TRUE) != S_OK) return false;
  medium.Detach();
  return true;
}

bool TClipboardFormat::SetDataToMedium(const FORMATETC& formatEtc, STGMEDIUM& medium) {
  medium = STGMEDIUM{};
  if (formatEtc.cfFormat != formatEtc_.cfFormat || formatEtc.dwAspect != formatEtc_.dwAspect ||
      (formatEtc.tymed & formatEtc_.tymed) == 0)
    return false;
  return DoSetData(formatEtc, medium);
}

bool TClipboardFormat::Assign(TCustomDataFormat*) { return false; }
bool TClipboardFormat::AssignTo(TCustomDataFormat*) { return false; }
bool TClipboardFormat::DoGetData(IDataObject*, const STGMEDIUM&) { return false; }
bool TClipboardFormat::DoSetData(const FORMATETC&, STGMEDIUM&) { return false; }

TClipboardFormats::TClipboardFormats(TCustomDataFormat* dataFormat, bool ownsFormats)
    : dataFormat_(dataFormat), ownsFormats_(ownsFormats) {}

void TClipboardFormats::Add(TClipboardFormat* format) {
  formats_.push_back(format);
  if (ownsFormats_ && dataFormat_) format->SetDataFormat(dataFormat_);
}

TClipboardFormat* TClipboardFormats::FindFormat(const TClass* cls) const {
  for (TClipboardFormat* format : formats_)
    if (format->InheritsFrom(cls)) return format;
  return nullptr;
}

void TClipboardFormats::Clear() {
  if (ownsFormats_)
    while (!formats_.empty()) {
      delete formats_.back();
      formats_.pop_back();
    }
  formats_.clear();
}

bool CopyStgMediumDyn(const STGMEDIUM& source, STGMEDIUM& dest) {
  using TCopyStgMedium = HRESULT(WINAPI*)(const STGMEDIUM*, STGMEDIUM*);
  static const TCopyStgMedium copy = [] {
    HMODULE library = LoadLibraryW(L"URLMON.DLL");
    return library ? reinterpret_cast<TCopyStgMedium>(reinterpret_cast<void*>(GetProcAddress(library, "CopyStgMedium")))
                   : nullptr;
  }();
  if (!copy)
    throw Exception(
        L"A required system function (URLMON.CopyStgMedium) was not available on this system. Operation aborted.");
  return copy(&source, &dest) == S_OK;
}

String GetClipboardFormatNameStr(CLIPFORMAT id) { return TClipboard::FormatName(id); }

}  // namespace shell
