// One clipboard format of OLE data transfer with its FORMATETC: it reads its value out of a storage medium and
// writes it into a new one. A data format (shell/data_format.h) owns the clipboard formats its data travels in.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/object.h"
#include "framework/raise_event.h"
#include "framework/set.h"

namespace shell {

class TCustomDataFormat;

// Whether a format is listed for IDataObject::GetData (ddRead) and for IDataObject::SetData (ddWrite).
enum class TDataDirection : uint8_t { ddRead, ddWrite };
using TDataDirections = TSet<TDataDirection, 8>;

class TClipboardFormat : public TObject, protected TEventSource {
  BC_CLASS(TClipboardFormat, TObject)
  TClipboardFormat(const TClipboardFormat&) = delete;
  TClipboardFormat& operator=(const TClipboardFormat&) = delete;

  TDataDirections DataDirections() const { return dataDirections_; }
  void SetDataDirections(TDataDirections value) { dataDirections_ = value; }
  // The data format that owns this clipboard format, or null.
  TCustomDataFormat* DataFormat() const { return dataFormat_; }
  void SetDataFormat(TCustomDataFormat* value) { dataFormat_ = value; }
  const FORMATETC& FormatEtc() const { return formatEtc_; }

  CLIPFORMAT ClipboardFormat() const { return formatEtc_.cfFormat; }
  void SetClipboardFormat(CLIPFORMAT id) { formatEtc_.cfFormat = id; }
  // Empty for the predefined formats.
  String ClipboardFormatName() const;
  // Raises Exception "%s.ClipboardFormat is read-only" unless the class lets its format be chosen by name.
  virtual void SetClipboardFormatName(const String& name);

  // Whether the data object offers this format.
  virtual bool HasValidFormats(IDataObject* dataObject);
  // The same format id and aspect, no target device, and at least one medium in common.
  virtual bool AcceptFormat(const FORMATETC& formatEtc);
  // Clears, asks the data object for this format and reads the medium it answers with.
  virtual bool GetData(IDataObject* dataObject);
  // Clears and reads the medium when its kind is one of this format's; the medium stays the caller's.
  virtual bool GetDataFromMedium(IDataObject* source, const STGMEDIUM& medium);
  // Writes the value into a new medium and hands it to the data object's SetData.
  virtual bool SetData(IDataObject* dataObject, const FORMATETC& formatEtc);
  // Zeroes medium; when formatEtc asks for this format (id, aspect, a medium in common), writes the value into it.
  bool SetDataToMedium(const FORMATETC& formatEtc, STGMEDIUM& medium);

  // Takes the value of a data format, or gives this format's value to one; false when the pair does not convert.
  virtual bool Assign(TCustomDataFormat* source);
  virtual bool AssignTo(TCustomDataFormat* dest);
  virtual void Clear() = 0;
  virtual bool HasData() { return true; }

 protected:
  // A format of the given id offered in the given media, content aspect, all items.
  TClipboardFormat(CLIPFORMAT id, DWORD tymed);
  // A format of exactly this record (its target device is not kept).
  explicit TClipboardFormat(const FORMATETC& formatEtc);

  virtual bool DoGetData(IDataObject* source, const STGMEDIUM& medium);
  virtual bool DoSetData(const FORMATETC& formatEtc, STGMEDIUM& medium);
  void SetFormatIndex(LONG index) { formatEtc_.lindex = index; }

 private:
  TDataDirections dataDirections_{TDataDirection::ddRead};
  TCustomDataFormat* dataFormat_ = nullptr;
  FORMATETC formatEtc_;
};

// The clipboard formats of a data format, in priority order. An owning list frees its formats.
class TClipboardFormats : public TObject {
  BC_CLASS(TClipboardFormats, TObject)
  TClipboardFormats(TCustomDataFormat* dataFormat, bool ownsFormats);
  ~TClipboardFormats() override { Clear(); }
  TClipboardFormats(const TClipboardFormats&) = delete;
  TClipboardFormats& operator=(const TClipboardFormats&) = delete;

  // Appends; an owning list with a data format makes that data format the format's owner.
  void Add(TClipboardFormat* format);
  // The first format of class cls or of a class derived from it, or null.
  TClipboardFormat* FindFormat(const TClass* cls) const;
  bool Contain(const TClass* cls) const { return FindFormat(cls) != nullptr; }
  int Count() const { return static_cast<int>(formats_.size()); }
  TClipboardFormat* Formats(int index) const { return formats_.at(index); }
  TCustomDataFormat* DataFormat() const { return dataFormat_; }
  // Frees the formats of an owning list, last first, and empties the list.
  void Clear();

 private:
  std::vector<TClipboardFormat*> formats_;
  TCustomDataFormat* dataFormat_;
  bool ownsFormats_;
};

// The platform's medium copy (URLMON's CopyStgMedium, loaded on first use and kept for the process). Raises
// Exception when the system lacks it.
bool CopyStgMediumDyn(const STGMEDIUM& source, STGMEDIUM& dest);
// The registered name of a format id; empty for the predefined formats.
String GetClipboardFormatNameStr(CLIPFORMAT id);

}  // namespace shell
