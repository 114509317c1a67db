#include "drag_drop_fixtures.h"

#include <cstring>

#include "framework/clipboard.h"
#include "framework/format_etc_enumerator.h"
#include "framework/startup.h"
#include "framework/stg_medium.h"
#include "shell/dragdrop/generic_data_formats.h"
#include "shell/dragdrop/url_formats.h"

// Every format unit, as a program starts them: the conversions of one unit change the order of another's.
void TDragDropTest::SetUpTestSuite() {
  InitializeUnit(shell::GenericFormatsUnit());
  InitializeUnit(shell::URLFormatsUnit());
}

std::string WrittenBytes(shell::TCustomSimpleClipboardFormat& format) {
  std::string bytes(format.GetSize(), '\0');
  if (bytes.empty() || !format.WriteData(bytes.data(), bytes.size())) return {};
  return bytes;
}

TGlobalMemory GlobalWith(const std::string& bytes) {
  TGlobalMemory memory = TGlobalMemory::Allocate(bytes.size());
  if (!bytes.empty()) std::memcpy(TGlobalLock(memory.Get()).Data(), bytes.data(), bytes.size());
  return memory;
}

std::string BytesOfMedium(const STGMEDIUM& medium) {
  if (medium.tymed == TYMED_HGLOBAL) {
    TGlobalLock lock(medium.hGlobal);
    return std::string(lock.As<const char>(), lock.Size());
  }
  if (medium.tymed != TYMED_ISTREAM) return {};
  STATSTG stat{};
  medium.pstm->Stat(&stat, STATFLAG_NONAME);
  std::string bytes(stat.cbSize.LowPart, '\0');
  medium.pstm->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
  ULONG got = 0;
  medium.pstm->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
  bytes.resize(got);
  return bytes;
}

std::string BlockOf(IDataObject* data, CLIPFORMAT format) {
  FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  TStgMedium medium;
  if (data->GetData(&request, medium.ReleaseAndGetAddressOf()) != S_OK) return {};
  return BytesOfMedium(medium.Get());
}

CLIPFORMAT FormatId(const wchar_t* name) { return static_cast<CLIPFORMAT>(TClipboard::RegisterFormat(name)); }

void TTestDataObject::Add(CLIPFORMAT format, const std::string& bytes, LONG index, DWORD tymed) {
  formats_.push_back({format, nullptr, DVASPECT_CONTENT, index, tymed});
  blocks_.push_back(bytes);
}

int TTestDataObject::Find(const FORMATETC* format) const {
  for (size_t i = 0; i < formats_.size(); ++i)
    if (formats_[i].cfFormat == format->cfFormat && (format->tymed & formats_[i].tymed) &&
        (format->lindex == formats_[i].lindex || formats_[i].lindex == -1))
      return static_cast<int>(i);
  return -1;
}

HRESULT STDMETHODCALLTYPE TTestDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  *medium = STGMEDIUM{};
  requested_.push_back(format->cfFormat);
  int index = Find(format);
  if (index < 0) return DV_E_FORMATETC;
  if (formats_[index].tymed == TYMED_ISTREAM) {
    medium->tymed = TYMED_ISTREAM;
    CreateStreamOnHGlobal(GlobalWith(blocks_[index]).Release(), TRUE, &medium->pstm);
    return S_OK;
  }
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = GlobalWith(blocks_[index]).Release();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TTestDataObject::QueryGetData(FORMATETC* format) {
  return Find(format) < 0 ? DV_E_FORMATETC : S_OK;
}

HRESULT STDMETHODCALLTYPE TTestDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT STDMETHODCALLTYPE TTestDataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) {
  written_.push_back({format->cfFormat, BytesOfMedium(*medium)});
  if (release) ReleaseStgMedium(medium);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TTestDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) {
  *enumerator = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  auto* made = new TFormatEtcEnumerator(formats_);
  made->AddRef();
  *enumerator = made;
  return S_OK;
}

TDropPanel::TDropPanel(TComponent* owner, DWORD scrollBars) : TWinControl(owner), scrollBars_(scrollBars) {
  SetControlStyle(ControlStyle() + TControlStyleItem::csAcceptsControls);
}

void TDropPanel::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style |= scrollBars_;
}

void TDropPanel::Dispatch(TMessage& message) {
  if (message.Msg == WM_VSCROLL) ++VerticalScrolls;
  if (message.Msg == WM_HSCROLL) ++HorizontalScrolls;
  TWinControl::Dispatch(message);
}
