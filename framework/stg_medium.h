// Storage media of OLE data transfer: a deep copy that owns its data, and a holder that releases a medium.
#pragma once

#include <objidl.h>
#include <windows.h>

// Fills target with a copy of source that owns its own data: global memory, streams and storages are copied with
// their contents, GDI bitmaps and palettes, metafile pictures and enhanced metafiles are duplicated. The copy has no
// release object (whatever source's release object guards stays with source), so ReleaseStgMedium of the copy frees
// exactly what the copy made. An empty medium copies as empty; file media answer DV_E_TYMED, since a copy of the
// name alone would share, and on release delete, the file. On failure target is empty.
HRESULT DuplicateStgMedium(const STGMEDIUM& source, STGMEDIUM& target) noexcept;

// Owns one medium and releases it (ReleaseStgMedium) when destroyed or reset.
class TStgMedium {
 public:
  TStgMedium() noexcept : medium_{} {}
  // Takes over medium.
  explicit TStgMedium(const STGMEDIUM& medium) noexcept : medium_(medium) {}
  TStgMedium(TStgMedium&& other) noexcept : medium_(other.Detach()) {}
  TStgMedium& operator=(TStgMedium&& other) noexcept;
  ~TStgMedium() { Reset(); }

  const STGMEDIUM& Get() const noexcept { return medium_; }
  bool Empty() const noexcept { return medium_.tymed == TYMED_NULL; }
  // Releases the medium held and gives the record to a call that fills it (IDataObject::GetData).
  STGMEDIUM* ReleaseAndGetAddressOf() noexcept;
  // Gives up ownership, for a call that takes the medium over.
  STGMEDIUM Detach() noexcept;
  void Reset() noexcept;

 private:
  STGMEDIUM medium_;
};
