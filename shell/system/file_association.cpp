#include "shell/system/file_association.h"

#include <shlobj.h>
#include <windows.h>

#include "framework/properties.h"
#include "framework/registry.h"
#include "framework/sys_utils.h"
#include "shell/registry_routines.h"
#include "shell/system/application_windows.h"
#include "shell/system/message_box.h"

namespace shell {

namespace {

const wchar_t* const kVerbKeys[] = {L"shell\\open", L"shell\\opennew", L"shell\\edit", L"shell\\print",
                                    L"shell\\printto"};
constexpr int kExeIcon = 2;
constexpr int kDocumentIcon = 0;

String ReadDefault(const String& path) { return RegReadStringDef(HKEY_CLASSES_ROOT, path, L"", L""); }

bool WriteDefault(HKEY parent, const String& path, const String& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  const TRegKey holder(key);
  return RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

void AssociationsChanged() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

}  // namespace

TSysFileAssociation::TSysFileAssociation(TComponent* owner)
    : TSysComponent(owner), largeIcon_(std::make_unique<TIcon>()), smallIcon_(std::make_unique<TIcon>()) {}

TSysFileAssociation::~TSysFileAssociation() = default;

String TSysFileAssociation::Dotted(const String& extension) const {
  return extension.empty() || extension[0] == L'.' ? extension : L"." + extension;
}

void TSysFileAssociation::SetExtension(const String& value) {
  if (value == extension_) return;
  extension_ = Dotted(value);
  Read();
}

void TSysFileAssociation::SetIconIndex(int value) {
  if (value == iconIndex_ || (readOnly_ && !IsDesigning())) return;
  iconIndex_ = value;
  Update();
}

void TSysFileAssociation::Change(String& field, const String& value) {
  if (value == field || (readOnly_ && !IsDesigning())) return;
  field = value;
  Update();
}

void TSysFileAssociation::Update() {
  if (Busy()) return;
  if (!IsDesigning()) {
    try {
      Write();
    } catch (const Exception&) {
      // A run-time change that cannot be written is left in the component alone.
    }
    return;
  }
  if (readOnly_)
    SysMessageBox(nullptr, L"Cannot change the property in Read-Only mode.", L"Warning", MB_ICONWARNING);
  else if (!Write())
    SysMessageBox(nullptr, L"Cannot write to registry.", L"Error", MB_ICONERROR);
}

void TSysFileAssociation::Clear() {
  extDescription_.clear();
  fileDescription_.clear();
  iconFile_.clear();
  iconIndex_ = 0;
  for (int verb = 0; verb < vbCount; ++verb) {
    commands_[verb].clear();
    descriptions_[verb].clear();
  }
  largeIcon_->SetHandle(nullptr);
  smallIcon_->SetHandle(nullptr);
}

void TSysFileAssociation::LoadFallbackIcon() {
  if (!largeIcon_->Empty()) return;
  GetShellIcon(SameText(extension_, L".exe") ? kExeIcon : kDocumentIcon, largeIcon_.get(), smallIcon_.get());
}

bool TSysFileAssociation::Read() {
  if (Busy()) return false;
  Clear();
  bool result = false;
  if (!extension_.empty() && extension_ != L".") {
    extDescription_ = ReadDefault(extension_);
    const String typeKey = extDescription_ + L"\\";
    if (!extDescription_.empty() && RegKeyExists(HKEY_CLASSES_ROOT, extDescription_)) {
      result = true;
      fileDescription_ = ReadDefault(extDescription_);
      iconFile_ = ReadDefault(typeKey + L"DefaultIcon");
      size_t comma = iconFile_.rfind(L',');
      if (comma != String::npos) {
        String file = iconFile_;
        if (iconFile_.find(L',') != comma) file.erase(comma);
        comma = file.rfind(L',');
        int index = 0;
        if (comma != String::npos && TryStrToInt(file.substr(comma + 1), index)) {
          iconIndex_ = index;
          iconFile_ = file.substr(0, comma);
        }
      }
      HICON large = nullptr;
      HICON small = nullptr;
      if (!iconFile_.empty() && ExtractIconExW(iconFile_.c_str(), iconIndex_, &large, &small, 1) > 0) {
        largeIcon_->SetHandle(large);
        smallIcon_->SetHandle(small);
      }
      for (int verb = 0; verb < vbCount; ++verb) {
        descriptions_[verb] = ReadDefault(typeKey + kVerbKeys[verb]);
        commands_[verb] = ReadDefault(typeKey + kVerbKeys[verb] + L"\\command");
      }
    }
  }
  LoadFallbackIcon();
  return result;
}

bool TSysFileAssociation::Write() {
  if (Busy() || extension_.empty()) return false;
  extension_ = Dotted(extension_);
  if (extDescription_.empty()) extDescription_ = extension_.substr(1) + L"file";
  if (!WriteDefault(HKEY_CLASSES_ROOT, extension_, extDescription_)) return false;
  if (!WriteDefault(HKEY_CLASSES_ROOT, extDescription_, fileDescription_)) return false;
  if (!iconFile_.empty() &&
      !WriteDefault(HKEY_CLASSES_ROOT, extDescription_ + L"\\DefaultIcon", iconFile_ + L"," + IntToStr(iconIndex_)))
    return false;
  for (int verb = 0; verb < vbCount; ++verb) {
    if (commands_[verb].empty()) continue;
    const String verbKey = extDescription_ + L"\\" + kVerbKeys[verb];
    if (!WriteDefault(HKEY_CLASSES_ROOT, verbKey, descriptions_[verb]) ||
        !WriteDefault(HKEY_CLASSES_ROOT, verbKey + L"\\command", commands_[verb]))
      return false;
  }
  AssociationsChanged();
  return true;
}

bool TSysFileAssociation::Delete() {
  if (Busy()) return false;
  extension_ = Dotted(extension_);
  bool result = true;
  if (RegKeyExists(HKEY_CLASSES_ROOT, extension_)) {
    result = RegDeleteTreeW(HKEY_CLASSES_ROOT, extension_.c_str()) == ERROR_SUCCESS;
    AssociationsChanged();
    Read();
  }
  return result;
}

const TPublishedTable& TSysFileAssociation::PublishedTable() const {
  using P = TPublished<TSysFileAssociation>;
  using T = TSysFileAssociation;
  auto command = [](TVerb verb, const wchar_t* name) {
    return P::Text(
        name, [verb](T* t) { return t->Command(verb); }, [verb](T* t, const String& v) { t->SetCommand(verb, v); });
  };
  auto description = [](TVerb verb, const wchar_t* name) {
    return P::Text(
        name, [verb](T* t) { return t->CommandDescription(verb); },
        [verb](T* t, const String& v) { t->SetCommandDescription(verb, v); });
  };
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Text(L"Extension", &T::Extension, &T::SetExtension),
                                         P::Text(L"ExtDescription", &T::ExtDescription, &T::SetExtDescription),
                                         P::Text(L"FileDescription", &T::FileDescription, &T::SetFileDescription),
                                         P::Text(L"IconFile", &T::IconFile, &T::SetIconFile),
                                         P::Integer(L"IconIndex", &T::IconIndex, &T::SetIconIndex).Default(0),
                                         command(vbOpen, L"OpenCommand"),
                                         description(vbOpen, L"OpenCommandDescription"),
                                         command(vbOpenNew, L"OpenNewCommand"),
                                         description(vbOpenNew, L"OpenNewCommandDescription"),
                                         command(vbEdit, L"EditCommand"),
                                         description(vbEdit, L"EditCommandDescription"),
                                         command(vbPrint, L"PrintCommand"),
                                         description(vbPrint, L"PrintCommandDescription"),
                                         command(vbPrintTo, L"PrintToCommand"),
                                         description(vbPrintTo, L"PrintToCommandDescription"),
                                         P::Object(L"LargeIcon", &T::LargeIcon).Stored(false),
                                         P::Object(L"SmallIcon", &T::SmallIcon).Stored(false),
                                         P::Boolean(L"ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(true),
                                     });
  return table;
}

}  // namespace shell
