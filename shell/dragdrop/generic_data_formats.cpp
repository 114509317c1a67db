#include "shell/dragdrop/generic_data_formats.h"

#include <cstring>

#include "shell/dragdrop/data_format_map.h"
#include "shell/dragdrop/simple_clipboard_formats.h"

namespace shell {

namespace {

const char kTextScrapName[] = "Text scrap.txt";

template <class Descriptor, class Char>
Descriptor TextScrapDescriptor(const Char* name) {
  Descriptor group{};
  group.cItems = 1;
  for (size_t i = 0; name[i]; ++i) group.fgd[0].cFileName[i] = name[i];
  return group;
}

}  // namespace

TRaised TTextDataFormat::SetText(const AnsiString& value) {
  if (Changing().Gone()) return TRaised(false);
  text_ = value;
  return TRaised(true);
}

TRaised TTextDataFormat::Clear() {
  if (Changing().Gone()) return TRaised(false);
  text_.clear();
  return TRaised(true);
}

bool TTextDataFormat::Assign(TClipboardFormat* source) {
  if (source->Is<TTextClipboardFormat>() || source->Is<TFileContentsClipboardFormat>()) {
    text_ = static_cast<TCustomStringClipboardFormat*>(source)->Data();
    return true;
  }
  return TCustomDataFormat::Assign(source);
}

bool TTextDataFormat::AssignTo(TClipboardFormat* dest) {
  if (dest->Is<TTextClipboardFormat>() || dest->Is<TFileContentsClipboardFormat>()) {
    static_cast<TCustomStringClipboardFormat*>(dest)->SetData(text_);
    return true;
  }
  if (auto* ansi = ObjectAs<TFileGroupDescritorClipboardFormat>(dest)) {
    auto group = TextScrapDescriptor<FILEGROUPDESCRIPTORA>(kTextScrapName);
    ansi->CopyFrom(&group);
    return true;
  }
  if (auto* wide = ObjectAs<TFileGroupDescritorWClipboardFormat>(dest)) {
    auto group = TextScrapDescriptor<FILEGROUPDESCRIPTORW>(L"Text scrap.txt");
    wide->CopyFrom(&group);
    return true;
  }
  return TCustomDataFormat::AssignTo(dest);
}

TDataStreamDataFormat::TDataStreamDataFormat(TDragDropComponent* owner, const TClass* cls)
    : TCustomDataFormat(owner, cls) {
  streams_.SetOnChanging([this](TObject*) {
    if (Changing().Gone()) return;
  });
}

TRaised TDataStreamDataFormat::Clear() {
  if (Changing().Gone()) return TRaised(false);
  return streams_.Clear();
}

TVirtualFileStreamDataFormat::TVirtualFileStreamDataFormat(TDragDropComponent* owner, const TClass* cls)
    : TCustomDataFormat(owner, cls), fileContents_(new TFileContentsStreamOnDemandClipboardFormat) {
  CompatibleFormats().Add(fileContents_);
  CompatibleFormats().Add(new TFileGroupDescritorClipboardFormat);
}

TRaised TVirtualFileStreamDataFormat::Clear() {
  fileDescriptors_.Clear();
  hasContents_ = false;
  return TRaised(true);
}

bool TVirtualFileStreamDataFormat::HasData() {
  return fileDescriptors_.Count() > 0 && (hasContents_ || fileContents_->OnGetStream());
}

bool TVirtualFileStreamDataFormat::NeedsData() { return fileDescriptors_.Count() == 0 || !hasContents_; }

bool TVirtualFileStreamDataFormat::Assign(TClipboardFormat* source) {
  if (source->Is<TFileContentsStreamOnDemandClipboardFormat>()) {
    hasContents_ = source->HasData();
    return true;
  }
  if (auto* descriptors = ObjectAs<TFileGroupDescritorClipboardFormat>(source)) {
    fileDescriptors_.Clear();
    if (const FILEGROUPDESCRIPTORA* group = descriptors->FileGroupDescriptor())
      for (UINT i = 0; i < group->cItems; ++i) fileDescriptors_.Add(&group->fgd[i], sizeof(FILEDESCRIPTORA));
    return true;
  }
  return TCustomDataFormat::Assign(source);
}

bool TVirtualFileStreamDataFormat::AssignTo(TClipboardFormat* dest) {
  if (dest->Is<TFileContentsStreamOnDemandClipboardFormat>()) return dest->Assign(this);
  if (auto* descriptors = ObjectAs<TFileGroupDescritorClipboardFormat>(dest)) {
    int count = fileDescriptors_.Count();
    if (count == 0) return false;
    std::vector<uint8_t> block(sizeof(UINT) + count * sizeof(FILEDESCRIPTORA));
    UINT items = static_cast<UINT>(count);
    std::memcpy(block.data(), &items, sizeof(items));
    for (int i = 0; i < count; ++i)
      std::memcpy(block.data() + sizeof(UINT) + i * sizeof(FILEDESCRIPTORA), fileDescriptors_.Items(i),
                  sizeof(FILEDESCRIPTORA));
    descriptors->CopyFrom(reinterpret_cast<const FILEGROUPDESCRIPTORA*>(block.data()));
    return true;
  }
  return TCustomDataFormat::AssignTo(dest);
}

TRaised TFeedbackDataFormat::SetPreferredDropEffect(DWORD value) {
  if (Changing().Gone()) return TRaised(false);
  preferredDropEffect_ = value;
  return TRaised(true);
}

TRaised TFeedbackDataFormat::SetPerformedDropEffect(DWORD value) {
  if (Changing().Gone()) return TRaised(false);
  performedDropEffect_ = value;
  return TRaised(true);
}

TRaised TFeedbackDataFormat::SetInShellDragLoop(bool value) {
  if (Changing().Gone()) return TRaised(false);
  inShellDragLoop_ = value;
  return TRaised(true);
}

TRaised TFeedbackDataFormat::Clear() {
  if (Changing().Gone()) return TRaised(false);
  preferredDropEffect_ = performedDropEffect_ = 0;
  inShellDragLoop_ = gotInShellDragLoop_ = false;
  return TRaised(true);
}

bool TFeedbackDataFormat::HasData() {
  return preferredDropEffect_ || performedDropEffect_ || pasteSucceeded_ || gotInShellDragLoop_;
}

bool TFeedbackDataFormat::NeedsData() {
  return !preferredDropEffect_ || !performedDropEffect_ || !pasteSucceeded_ || !gotInShellDragLoop_;
}

DWORD* TFeedbackDataFormat::FieldOf(const TClipboardFormat* format) {
  if (format->Is<TPreferredDropEffectClipboardFormat>()) return &preferredDropEffect_;
  if (format->Is<TPerformedDropEffectClipboardFormat>()) return &performedDropEffect_;
  if (format->Is<TLogicalPerformedDropEffectClipboardFormat>()) return &logicalPerformedDropEffect_;
  if (format->Is<TPasteSuccededClipboardFormat>()) return &pasteSucceeded_;
  return nullptr;
}

bool TFeedbackDataFormat::Assign(TClipboardFormat* source) {
  if (DWORD* field = FieldOf(source)) {
    *field = static_cast<TCustomDWORDClipboardFormat*>(source)->Value();
    return true;
  }
  if (auto* loop = ObjectAs<TInShellDragLoopClipboardFormat>(source)) {
    inShellDragLoop_ = loop->ValueAsBoolean();
    gotInShellDragLoop_ = true;
    return true;
  }
  if (auto* target = ObjectAs<TTargetCLSIDClipboardFormat>(source)) {
    targetCLSID_ = target->CLSID();
    return true;
  }
  return TCustomDataFormat::Assign(source);
}

bool TFeedbackDataFormat::AssignTo(TClipboardFormat* dest) {
  if (DWORD* field = FieldOf(dest)) {
    static_cast<TCustomDWORDClipboardFormat*>(dest)->SetValue(*field);
    return true;
  }
  if (auto* loop = ObjectAs<TInShellDragLoopClipboardFormat>(dest)) {
    loop->SetValueAsBoolean(inShellDragLoop_);
    return true;
  }
  if (auto* target = ObjectAs<TTargetCLSIDClipboardFormat>(dest)) {
    target->SetCLSID(targetCLSID_);
    return true;
  }
  return TCustomDataFormat::AssignTo(dest);
}

namespace {

const TConversionScopes kBothSides{TConversionScope::csSource, TConversionScope::csTarget};
const TConversionScopes kSources{TConversionScope::csSource};
const TConversionScopes kTargets{TConversionScope::csTarget};
const TDataDirections kRead{TDataDirection::ddRead};
const TDataDirections kWrite{TDataDirection::ddWrite};

template <class ClipboardFormat>
TClipboardFormatClass ClipboardClass() {
  return TClipboardFormatClass::Of<ClipboardFormat>();
}

template <class DataFormat>
TDataFormatClass DataClass() {
  return TDataFormatClass::Of<DataFormat>();
}

void RegisterGenericFormats() {
  RegisterDataFormat(DataClass<TTextDataFormat>());
  RegisterDataFormat(DataClass<TDataStreamDataFormat>());
  RegisterDataFormat(DataClass<TVirtualFileStreamDataFormat>());

  auto text = DataClass<TTextDataFormat>();
  RegisterDataConversion(text, ClipboardClass<TTextClipboardFormat>(), 0, kBothSides, kRead);
  RegisterDataConversion(text, ClipboardClass<TFileContentsClipboardFormat>(), 1, kBothSides, kRead);
  RegisterDataConversion(text, ClipboardClass<TFileGroupDescritorClipboardFormat>(), 1, kSources, kRead);
  RegisterDataConversion(text, ClipboardClass<TFileGroupDescritorWClipboardFormat>(), 1, kSources, kRead);

  auto feedback = DataClass<TFeedbackDataFormat>();
  RegisterDataConversion(feedback, ClipboardClass<TPreferredDropEffectClipboardFormat>(), 0, kBothSides, kRead);
  RegisterDataConversion(feedback, ClipboardClass<TPerformedDropEffectClipboardFormat>(), 0, kBothSides, kWrite);
  RegisterDataConversion(feedback, ClipboardClass<TPasteSuccededClipboardFormat>(), 0, kBothSides, kWrite);
  RegisterDataConversion(feedback, ClipboardClass<TInShellDragLoopClipboardFormat>(), 0, kBothSides, kRead);
  RegisterDataConversion(feedback, ClipboardClass<TTargetCLSIDClipboardFormat>(), 0, kBothSides, kWrite);
  RegisterDataConversion(feedback, ClipboardClass<TLogicalPerformedDropEffectClipboardFormat>(), 0, kBothSides, kWrite);

  RegisterDataConversion(DataClass<TDataStreamDataFormat>(), ClipboardClass<TFileContentsStreamClipboardFormat>(), 0,
                         kTargets, kRead);
}

void UnregisterGenericFormats() {
  UnregisterDataFormat(DataClass<TTextDataFormat>());
  UnregisterDataFormat(DataClass<TDataStreamDataFormat>());
  UnregisterDataFormat(DataClass<TVirtualFileStreamDataFormat>());
  UnregisterDataFormat(DataClass<TFeedbackDataFormat>());
  for (const TClipboardFormatClass& cls :
       {ClipboardClass<TTextClipboardFormat>(), ClipboardClass<TFileContentsClipboardFormat>(),
        ClipboardClass<TFileGroupDescritorClipboardFormat>(), ClipboardClass<TFileGroupDescritorWClipboardFormat>(),
        ClipboardClass<TPreferredDropEffectClipboardFormat>(), ClipboardClass<TPerformedDropEffectClipboardFormat>(),
        ClipboardClass<TPasteSuccededClipboardFormat>(), ClipboardClass<TInShellDragLoopClipboardFormat>(),
        ClipboardClass<TTargetCLSIDClipboardFormat>(), ClipboardClass<TLogicalPerformedDropEffectClipboardFormat>(),
        ClipboardClass<TFileContentsStreamClipboardFormat>()})
    UnregisterClipboardFormatClass(cls);
}

}  // namespace

const TUnit& GenericFormatsUnit() {
  static const TUnit unit{L"GenericFormats", &RegisterGenericFormats, &UnregisterGenericFormats, {&DragDropUnit()}};
  return unit;
}

}  // namespace shell
