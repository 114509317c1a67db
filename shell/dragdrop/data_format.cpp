#include "shell/dragdrop/data_format.h"

#include <algorithm>

#include "framework/exceptions.h"
#include "shell/dragdrop/data_format_map.h"

namespace shell {

void* TInterfacedComponent::FindInterface(REFIID) { return nullptr; }

HRESULT TInterfacedComponent::InterfacedQueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = FindInterface(iid);
  return *object ? S_OK : E_NOINTERFACE;
}

ULONG TInterfacedComponent::InterfacedAddRef() {
  if (auto* owner = ObjectAs<TInterfacedComponent>(Owner())) return owner->InterfacedAddRef();
  return static_cast<ULONG>(-1);
}

ULONG TInterfacedComponent::InterfacedRelease() {
  if (auto* owner = ObjectAs<TInterfacedComponent>(Owner())) return owner->InterfacedRelease();
  return static_cast<ULONG>(-1);
}

namespace {

TConversionScope ScopeOfOwner(TDragDropComponent* owner, const TClass* cls) {
  if (!owner) return TConversionScope::csTarget;
  if (auto scope = owner->DataFormatScope()) return *scope;
  throw Exception(Format(L"%s is not a valid owner for %s. Owner must be derived from %s",
                         {owner->ClassName(), cls->ClassName(), L"TCustomDropMultiSource or TCustomDropMultiTarget"}));
}

}  // namespace

TCustomDataFormat::TCustomDataFormat(TDragDropComponent* owner, const TClass* cls)
    : compatibleFormats_(this, true), owner_(owner) {
  TConversionScope scope = ScopeOfOwner(owner, cls);
  DataFormatMap().GetClipboardFormatsFor(cls, compatibleFormats_, scope);
  if (owner_ && owner_->DataFormats()) owner_->DataFormats()->Add(this);
}

TCustomDataFormat::~TCustomDataFormat() {
  compatibleFormats_.Clear();
  if (owner_ && owner_->DataFormats()) owner_->DataFormats()->Remove(this);
}

TRaised TCustomDataFormat::Changing() { return RaiseEvent(onChanging_, this); }

bool TCustomDataFormat::Assign(TClipboardFormat* source) { return source->AssignTo(this); }

bool TCustomDataFormat::AssignTo(TClipboardFormat* dest) { return dest->Assign(this); }

bool TCustomDataFormat::GetData(IDataObject* dataObject) {
  bool assigned = false;
  // Taking a value raises OnChanging, which may free this format: its caller watches what owns it.
  const TLifeWatch life = LifeWatch();
  for (int i = 0; i < compatibleFormats_.Count() && NeedsData(); ++i) {
    TClipboardFormat* format = compatibleFormats_.Formats(i);
    format->Clear();
    const bool taken = format->GetData(dataObject) && format->HasData() && Assign(format);
    if (life.Ended()) return false;
    if (taken) {
      format->Clear();
      assigned = true;
    }
  }
  return assigned;
}

bool TCustomDataFormat::HasValidFormats(IDataObject* dataObject) {
  for (int i = 0; i < compatibleFormats_.Count(); ++i)
    if (compatibleFormats_.Formats(i)->HasValidFormats(dataObject)) return true;
  return false;
}

bool TCustomDataFormat::AcceptFormat(const FORMATETC& formatEtc) {
  for (int i = 0; i < compatibleFormats_.Count(); ++i)
    if (compatibleFormats_.Formats(i)->AcceptFormat(formatEtc)) return true;
  return false;
}

TDataFormats::~TDataFormats() {
  while (!formats_.empty()) Remove(formats_.back());
}

int TDataFormats::Add(TCustomDataFormat* format) {
  int index = IndexOf(format);
  if (index >= 0) return index;
  formats_.push_back(format);
  return Count() - 1;
}

int TDataFormats::IndexOf(const TCustomDataFormat* format) const {
  auto found = std::find(formats_.begin(), formats_.end(), format);
  return found == formats_.end() ? -1 : static_cast<int>(found - formats_.begin());
}

void TDataFormats::Remove(TCustomDataFormat* format) {
  auto found = std::find(formats_.begin(), formats_.end(), format);
  if (found != formats_.end()) formats_.erase(found);
}

}  // namespace shell
