#include "framework/clipboard.h"

#include <cwchar>
#include <new>
#include <utility>

#include "framework/window_alloc.h"

namespace {

// How long Open waits, in steps, for a window that holds the clipboard to let it go.
const int kOpenAttempts = 20;
const DWORD kOpenRetryDelayMs = 10;
// Registered format names are at most this long (the atom table's limit).
const int kFormatNameCapacity = 256;

bool IsGdiFormat(UINT format) {
  switch (format) {
    case CF_BITMAP:
    case CF_DSPBITMAP:
    case CF_PALETTE:
    case CF_ENHMETAFILE:
    case CF_DSPENHMETAFILE:
      return true;
    default:
      return false;
  }
}

// Closes the bracket however the body that opened it ends.
class TOpenBracket {
 public:
  explicit TOpenBracket(TClipboard& clipboard) : clipboard_(clipboard) { clipboard_.Open(); }
  TOpenBracket(const TOpenBracket&) = delete;
  TOpenBracket& operator=(const TOpenBracket&) = delete;
  ~TOpenBracket() { clipboard_.Close(); }

 private:
  TClipboard& clipboard_;
};

}  // namespace

TClipboard::~TClipboard() {
  if (openCount_ > 0) CloseClipboard();
  DeallocateHWnd(window_);
}

void TClipboard::Open() {
  if (openCount_ == 0) {
    // The window owns what is written, so the platform can tell whose data is on the clipboard.
    if (!window_) window_ = AllocateHWnd(TWndMethod());
    bool opened = false;
    for (int attempt = 0; attempt < kOpenAttempts && !opened; ++attempt) {
      if (attempt > 0) Sleep(kOpenRetryDelayMs);
      opened = OpenClipboard(window_) != FALSE;
    }
    if (!opened) throw EClipboardException(L"Cannot open clipboard");
    emptied_ = false;
  }
  ++openCount_;
}

void TClipboard::Close() {
  if (openCount_ == 0) return;
  if (--openCount_ == 0) CloseClipboard();
}

void TClipboard::Clear() {
  TOpenBracket bracket(*this);
  EmptyClipboard();
  emptied_ = true;
}

bool TClipboard::HasFormat(UINT format) const { return IsClipboardFormatAvailable(format) != FALSE; }

std::vector<UINT> TClipboard::Formats() {
  TOpenBracket bracket(*this);
  std::vector<UINT> formats;
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format))
    formats.push_back(format);
  return formats;
}

String TClipboard::AsText() {
  TOpenBracket bracket(*this);
  TGlobalLock text(GetClipboardData(CF_UNICODETEXT));
  if (!text.Data()) return String();
  // The block comes from another program: its text need not end within it.
  const auto* characters = text.As<const wchar_t>();
  size_t capacity = text.Size() / sizeof(wchar_t);
  return String(characters, wcsnlen(characters, capacity));
}

void TClipboard::SetAsText(const String& text) {
  TGlobalMemory data = TGlobalMemory::Allocate((text.size() + 1) * sizeof(wchar_t));
  {
    TGlobalLock lock(data.Get());
    if (!lock.Data()) throw std::bad_alloc();
    std::wmemcpy(lock.As<wchar_t>(), text.c_str(), text.size() + 1);
  }
  SetAsHandle(CF_UNICODETEXT, std::move(data));
}

TGlobalMemory TClipboard::GetAsHandle(UINT format) {
  if (IsGdiFormat(format)) throw EClipboardException(L"Clipboard format does not hold global memory");
  TOpenBracket bracket(*this);
  HANDLE data = GetClipboardData(format);
  if (!data) return TGlobalMemory();
  return TGlobalMemory::Copy(data);
}

void TClipboard::SetAsHandle(UINT format, TGlobalMemory data) {
  TOpenBracket bracket(*this);
  PutData(format, std::move(data));
}

void TClipboard::PutData(UINT format, TGlobalMemory data) {
  if (!emptied_) {
    EmptyClipboard();
    emptied_ = true;
  }
  if (!SetClipboardData(format, data.Get())) RaiseLastOSError();
  data.Release();
}

void TClipboard::SetOleData(IDataObject* data) { OleCheck(OleSetClipboard(data)); }

Microsoft::WRL::ComPtr<IDataObject> TClipboard::GetOleData() {
  Microsoft::WRL::ComPtr<IDataObject> data;
  OleCheck(OleGetClipboard(&data));
  return data;
}

void TClipboard::FlushOleData() { OleCheck(OleFlushClipboard()); }

bool TClipboard::IsCurrentOleData(IDataObject* data) const { return data && OleIsCurrentClipboard(data) == S_OK; }

UINT TClipboard::RegisterFormat(const String& name) {
  UINT format = RegisterClipboardFormatW(name.c_str());
  if (format == 0) RaiseLastOSError();
  return format;
}

String TClipboard::FormatName(UINT format) {
  wchar_t name[kFormatNameCapacity];
  int length = GetClipboardFormatNameW(format, name, kFormatNameCapacity);
  return String(name, length > 0 ? static_cast<size_t>(length) : 0);
}

TClipboard& Clipboard() {
  static TClipboard clipboard;
  return clipboard;
}
