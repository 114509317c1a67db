// What the drag-and-drop tests share: a fixture that starts the format units, a data object of the test's own that
// serves fixed blocks and records what a target writes into it, and windowed controls to drop on.
#pragma once

#include <gtest/gtest.h>
#include <objidl.h>
#include <windows.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "framework/com_object.h"
#include "framework/global_memory.h"
#include "framework/win_control.h"
#include "shell/dragdrop/simple_clipboard_formats.h"

class TDragDropTest : public testing::Test {
 public:
  static void SetUpTestSuite();
};

// The bytes a simple format writes for its value; empty when it offers nothing or refuses.
std::string WrittenBytes(shell::TCustomSimpleClipboardFormat& format);

// The bytes a data object gives for a format in global memory; empty when it gives none.
std::string BlockOf(IDataObject* data, CLIPFORMAT format);
// Global memory holding bytes.
TGlobalMemory GlobalWith(const std::string& bytes);
// The bytes of a medium in global memory or a stream.
std::string BytesOfMedium(const STGMEDIUM& medium);
CLIPFORMAT FormatId(const wchar_t* name);

// Serves each added block in global memory; SetData takes the medium (with release) and records it.
class TTestDataObject : public TComObject<IDataObject> {
 public:
  struct TWritten {
    CLIPFORMAT Format;
    std::string Bytes;
  };

  // A block for item index (-1 for all), in global memory or, with TYMED_ISTREAM, in a stream.
  void Add(CLIPFORMAT format, const std::string& bytes, LONG index = -1, DWORD tymed = TYMED_HGLOBAL);
  const std::vector<TWritten>& Written() const { return written_; }
  // Formats asked for through GetData, in order.
  const std::vector<CLIPFORMAT>& Requested() const { return requested_; }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  int Find(const FORMATETC* format) const;

  std::vector<FORMATETC> formats_;
  std::vector<std::string> blocks_;
  std::vector<TWritten> written_;
  std::vector<CLIPFORMAT> requested_;
};

// Concrete classes of the abstract byte-block families.
class TTestWideTextFormat : public shell::TCustomWideTextClipboardFormat {
  BC_CLASS(TTestWideTextFormat, shell::TCustomWideTextClipboardFormat)
  TTestWideTextFormat() : shell::TCustomWideTextClipboardFormat(CF_UNICODETEXT) {}
};

class TTestLinesFormat : public shell::TCustomStringListClipboardFormat {
  BC_CLASS(TTestLinesFormat, shell::TCustomStringListClipboardFormat)
  TTestLinesFormat() : shell::TCustomStringListClipboardFormat(shell::RegisteredFormat(L"Test Lines")) {}
};

// A windowed control that accepts children, optionally with scroll bars, and counts the scroll messages it gets.
class TDropPanel : public TWinControl {
  BC_CLASS(TDropPanel, TWinControl)
  explicit TDropPanel(TComponent* owner, DWORD scrollBars = 0);
  int VerticalScrolls = 0;
  int HorizontalScrolls = 0;
  void Dispatch(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  DWORD scrollBars_;
};
