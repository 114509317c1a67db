// A data format is one kind of data as a program sees it (a text, a URL with its title, a file list); it owns the
// clipboard formats through which that data travels, in the order the conversion map gives for its side. Drop
// sources and drop targets are drag-and-drop components that own a list of data formats.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "framework/component.h"
#include "framework/delegate.h"
#include "shell/dragdrop/clipboard_format.h"

namespace shell {

class TDataFormats;

// Which side of a drag a conversion serves.
enum class TConversionScope : uint8_t { csSource, csTarget };
using TConversionScopes = TSet<TConversionScope, 8>;

// A component that answers QueryInterface for the COM interfaces it implements but counts no references: its life
// is a component's, ended by its owner. AddRef and Release go to an owner that is itself interfaced.
class TInterfacedComponent : public TComponent {
  BC_CLASS(TInterfacedComponent, TComponent)
  explicit TInterfacedComponent(TComponent* owner) : TComponent(owner) {}

 protected:
  // The interface pointer answering iid (IUnknown included), or null; a class lists its own interfaces here.
  virtual void* FindInterface(REFIID iid);
  HRESULT InterfacedQueryInterface(REFIID iid, void** object);
  ULONG InterfacedAddRef();
  ULONG InterfacedRelease();
};

class TDragDropComponent : public TInterfacedComponent {
  BC_CLASS(TDragDropComponent, TInterfacedComponent)
  explicit TDragDropComponent(TComponent* owner) : TInterfacedComponent(owner) {}

  // Null until a multi-format source or target makes the list.
  TDataFormats* DataFormats() const { return dataFormats_.get(); }
  // The side whose conversions the data formats of this component use; none when it cannot own data formats.
  virtual std::optional<TConversionScope> DataFormatScope() const { return std::nullopt; }

 protected:
  std::unique_ptr<TDataFormats> dataFormats_;
};

class TCustomDataFormat : public TObject, protected TEventSource {
  BC_CLASS(TCustomDataFormat, TObject)
  ~TCustomDataFormat() override;
  TCustomDataFormat(const TCustomDataFormat&) = delete;
  TCustomDataFormat& operator=(const TCustomDataFormat&) = delete;

  TClipboardFormats& CompatibleFormats() { return compatibleFormats_; }
  TDragDropComponent* Owner() const { return owner_; }
  const TNotifyEvent& OnChanging() const { return onChanging_; }
  void SetOnChanging(TNotifyEvent handler) { onChanging_ = std::move(handler); }

  // Every setter of a value calls it before the value changes.
  virtual TRaised Changing();
  // Answers whether the format outlived the OnChanging its clearing raised.
  virtual TRaised Clear() = 0;
  // Takes the value of a clipboard format; the base asks the clipboard format to give it (its AssignTo).
  virtual bool Assign(TClipboardFormat* source);
  // Gives the value to a clipboard format; the base asks the clipboard format to take it (its Assign).
  virtual bool AssignTo(TClipboardFormat* dest);
  // Reads the compatible formats in priority order until the value is complete; false once OnChanging freed it.
  virtual bool GetData(IDataObject* dataObject);
  virtual bool HasData() = 0;
  virtual bool NeedsData() { return !HasData(); }
  virtual bool HasValidFormats(IDataObject* dataObject);
  virtual bool AcceptFormat(const FORMATETC& formatEtc);

 protected:
  // The clipboard formats are those the conversion map lists for cls on the owner's side (the target's without an
  // owner); raises Exception for an owner that cannot hold data formats. Joins the owner's list.
  TCustomDataFormat(TDragDropComponent* owner, const TClass* cls);

 private:
  TClipboardFormats compatibleFormats_;
  TDragDropComponent* owner_;
  TNotifyEvent onChanging_;
};

// The data formats of a component, in the order they were made; it does not own them.
class TDataFormats : public TObject {
  BC_CLASS(TDataFormats, TObject)
  TDataFormats() = default;
  ~TDataFormats() override;
  TDataFormats(const TDataFormats&) = delete;
  TDataFormats& operator=(const TDataFormats&) = delete;

  // The index of format, appended when absent.
  virtual int Add(TCustomDataFormat* format);
  int IndexOf(const TCustomDataFormat* format) const;
  virtual void Remove(TCustomDataFormat* format);
  int Count() const { return static_cast<int>(formats_.size()); }
  TCustomDataFormat* Formats(int index) const { return formats_.at(index); }

 private:
  std::vector<TCustomDataFormat*> formats_;
};

}  // namespace shell
