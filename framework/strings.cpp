#include "framework/strings.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <utility>

#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/streams.h"
#include "framework/sys_utils.h"
#include "framework/text_convert.h"
#include "framework/whole_file.h"

namespace {

constexpr const wchar_t* kListIndexError = L"List index out of bounds (%d)";
constexpr const wchar_t* kSortedListError = L"Operation not allowed on sorted list";
constexpr const wchar_t* kDuplicateError = L"String list does not allow duplicates";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr wchar_t kByteOrderMark = 0xFEFF;

[[noreturn]] void CodePageError(UINT codePage) {
  throw EStringListError(Format(L"Text cannot be converted in code page %d", {IntToStr(static_cast<int>(codePage))}));
}

// Holds a list's update bracket for the length of a block, also when the block raises. The OnChanging that opens
// it may free the list: the block then ends at once, and there is no bracket left to close.
class UpdateScope {
 public:
  UpdateScope(TStrings& strings, TLifeWatch life) : strings_(strings), life_(std::move(life)) {
    strings_.BeginUpdate();
  }
  ~UpdateScope() {
    if (!life_.Ended()) strings_.EndUpdate();
  }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;

  bool Ended() const { return life_.Ended(); }

 private:
  TStrings& strings_;
  TLifeWatch life_;
};

}  // namespace

// TStrings

int TStrings::AddObject(const String& text, TObject* object) {
  int index = Count();
  InsertObject(index, text, object);
  return index;
}

void TStrings::InsertObject(int index, const String& text, TObject* object) {
  UpdateScope update(*this, LifeWatch());
  if (update.Ended()) return;
  Insert(index, text);
  PutObject(index, object);
}

void TStrings::AddStrings(const TStrings* strings) {
  UpdateScope update(*this, LifeWatch());
  if (update.Ended()) return;
  for (int i = 0; i < strings->Count(); ++i) AddObject(strings->Get(i), strings->GetObject(i));
}

void TStrings::Put(int index, const String& text) {
  TObject* object = GetObject(index);
  UpdateScope update(*this, LifeWatch());
  if (update.Ended()) return;
  Delete(index);
  InsertObject(index, text, object);
}

void TStrings::Exchange(int index1, int index2) {
  UpdateScope update(*this, LifeWatch());
  if (update.Ended()) return;
  String text = Get(index1);
  TObject* object = GetObject(index1);
  Put(index1, Get(index2));
  PutObject(index1, GetObject(index2));
  Put(index2, text);
  PutObject(index2, object);
}

void TStrings::Move(int curIndex, int newIndex) {
  // Both places are checked before anything moves, so a bad one leaves the list as it was.
  if (curIndex < 0 || curIndex >= Count()) Error(kListIndexError, curIndex);
  if (newIndex < 0 || newIndex >= Count()) Error(kListIndexError, newIndex);
  if (curIndex == newIndex) return;
  UpdateScope update(*this, LifeWatch());
  if (update.Ended()) return;
  String text = Get(curIndex);
  TObject* object = GetObject(curIndex);
  Delete(curIndex);
  InsertObject(newIndex, text, object);
}

int TStrings::IndexOf(const String& text) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(Get(i), text) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const String& name) const {
  for (int i = 0; i < Count(); ++i) {
    String line = Get(i);
    size_t separator = line.find(L'=');
    if (separator != String::npos && CompareStrings(line.substr(0, separator), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
  for (int i = 0; i < Count(); ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

String TStrings::Names(int index) const {
  String line = Get(index);
  size_t separator = line.find(L'=');
  return separator == String::npos ? String() : line.substr(0, separator);
}

String TStrings::ValueFromIndex(int index) const {
  String line = Get(index);
  size_t separator = line.find(L'=');
  return separator == String::npos ? String() : line.substr(separator + 1);
}

String TStrings::Values(const String& name) const {
  int index = IndexOfName(name);
  return index < 0 ? String() : ValueFromIndex(index);
}

void TStrings::SetValues(const String& name, const String& value) {
  int index = IndexOfName(name);
  if (value.empty()) {
    if (index >= 0) Delete(index);
  } else if (index < 0) {
    Add(name + L'=' + value);
  } else {
    Put(index, name + L'=' + value);
  }
}

String TStrings::Text() const {
  std::vector<String> lines;
  size_t length = 0;
  for (int i = 0; i < Count(); ++i) {
    lines.push_back(Get(i));
    length += lines.back().size() + 2;
  }
  String text;
  text.reserve(length);
  for (const String& line : lines) {
    text += line;
    text += L"\r\n";
  }
  return text;
}

void TStrings::SetText(const String& text) {
  UpdateScope update(*this, LifeWatch());
  if (update.Ended()) return;
  Clear();
  const size_t end = std::min(text.find(L'\0'), text.size());
  size_t at = 0;
  while (at < end) {
    size_t lineEnd = text.find_first_of(L"\r\n", at);
    if (lineEnd == String::npos || lineEnd > end) lineEnd = end;
    Add(text.substr(at, lineEnd - at));
    at = lineEnd;
    if (at < end && text[at] == L'\r') ++at;
    if (at < end && text[at] == L'\n') ++at;
  }
}

void TStrings::BeginUpdate() {
  updates_.Begin(LifeWatch(), [this] { SetUpdateState(true); });
}

void TStrings::EndUpdate() {
  if (updates_.End()) SetUpdateState(false);
}

void TStrings::LoadFromStream(TStream& stream, UINT codePage) { LoadFromBytes(ReadToEnd(stream), codePage); }

void TStrings::LoadFromBytes(std::string bytes, UINT codePage) {
  // A UTF-8 mark says what the text is, whatever the caller expected; it is no part of the first line.
  if (bytes.compare(0, sizeof kUtf8Mark - 1, kUtf8Mark) == 0) {
    bytes.erase(0, sizeof kUtf8Mark - 1);
    codePage = CP_UTF8;
  }
  std::optional<String> text = DecodeText(bytes, codePage);
  if (!text) CodePageError(codePage);
  if (!text->empty() && text->front() == kByteOrderMark) text->erase(0, 1);
  SetText(*text);
}

void TStrings::SaveToStream(TStream& stream, UINT codePage) const {
  std::optional<std::string> bytes = EncodeText(Text(), codePage);
  if (!bytes) CodePageError(codePage);
  stream.WriteBuffer(bytes->data(), static_cast<int32_t>(bytes->size()));
}

void TStrings::LoadFromFile(const String& fileName, UINT codePage) { LoadFromBytes(ReadFileBytes(fileName), codePage); }

void TStrings::SaveToFile(const String& fileName, UINT codePage) const {
  SaveWholeFile(fileName, [&](TStream& file) { SaveToStream(file, codePage); });
}

void TStrings::DefineProperties(TFiler& filer) {
  filer.DefineProperty(
      L"Strings",
      [this](TReader& reader) {
        UpdateScope update(*this, LifeWatch());
        if (update.Ended()) return;
        Clear();
        reader.ReadListBegin();
        while (!reader.EndOfList()) Add(reader.ReadString());
        reader.ReadListEnd();
      },
      [this](TWriter& writer) {
        writer.WriteListBegin();
        for (int i = 0; i < Count(); ++i) writer.WriteString(Strings(i));
        writer.WriteListEnd();
      },
      Count() > 0);
}

void TStrings::Assign(const TPersistent* source) {
  if (const auto* strings = ObjectAs<const TStrings>(source)) {
    UpdateScope update(*this, LifeWatch());
    if (update.Ended()) return;
    Clear();
    AddStrings(strings);
    return;
  }
  TPersistent::Assign(source);
}

bool TStrings::Equals(const TStrings* strings) const {
  if (Count() != strings->Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != strings->Get(i)) return false;
  return true;
}

int TStrings::CompareStrings(const String& a, const String& b) const { return AnsiCompareText(a, b); }

void TStrings::Error(const wchar_t* pattern, int index) const {
  throw EStringListError(Format(pattern, {IntToStr(index)}));
}

// TStringList

int TStringList::AddObject(const String& text, TObject* object) {
  int index = Count();
  if (sorted_ && Find(text, index)) {
    if (duplicates_ == TDuplicates::dupIgnore) return index;
    if (duplicates_ == TDuplicates::dupError) Error(kDuplicateError, 0);
  }
  InsertItem(index, text, object);
  return index;
}

void TStringList::InsertObject(int index, const String& text, TObject* object) {
  CheckUnsorted();
  if (index < 0 || index > Count()) Error(kListIndexError, index);
  InsertItem(index, text, object);
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  // The last act of every caller, once a handler freed the list: no change is made, and each is done with it.
  if (Changing().Gone()) return;
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  // The last act of every caller, once a handler freed the list: no change is made, and each is done with it.
  if (Changing().Gone()) return;
  items_.clear();
  Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
  CheckUnsorted();
  TStrings::Move(curIndex, newIndex);
}

void TStringList::Exchange(int index1, int index2) {
  CheckUnsorted();
  CheckIndex(index1);
  CheckIndex(index2);
  // The last act of every caller, once a handler freed the list: no change is made, and each is done with it.
  if (Changing().Gone()) return;
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
  Changed();
}

int TStringList::IndexOf(const String& text) const {
  if (!sorted_) return TStrings::IndexOf(text);
  int index = -1;
  return Find(text, index) ? index : -1;
}

bool TStringList::Find(const String& text, int& index) const {
  // The lowest equal line, so that duplicates are found at their first position.
  int low = 0;
  int high = Count();
  bool found = false;
  while (low < high) {
    int middle = low + (high - low) / 2;
    int order = CompareStrings(items_[static_cast<size_t>(middle)].text, text);
    if (order < 0) {
      low = middle + 1;
    } else {
      if (order == 0) found = true;
      high = middle;
    }
  }
  index = low;
  return found;
}

void TStringList::Sort() {
  if (!sorted_)
    CustomSort([](TStringList* list, int a, int b) { return list->CompareStrings(list->Get(a), list->Get(b)); });
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (Count() < 2) return;
  // The last act of every caller, once a handler freed the list: no change is made, and each is done with it.
  if (Changing().Gone()) return;
  std::vector<int> order(items_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(this, a, b) < 0; });
  std::vector<Item> sortedItems;
  sortedItems.reserve(items_.size());
  for (int i : order) sortedItems.push_back(std::move(items_[static_cast<size_t>(i)]));
  items_ = std::move(sortedItems);
  Changed();
}

void TStringList::SetSorted(bool sorted) {
  if (sorted_ == sorted) return;
  const TLifeWatch life = LifeWatch();
  if (sorted) Sort();
  if (!life.Ended()) sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
  if (caseSensitive_ == caseSensitive) return;
  caseSensitive_ = caseSensitive;
  if (sorted_) {
    sorted_ = false;
    SetSorted(true);
  }
}

String TStringList::Get(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)].text;
}

void TStringList::Put(int index, const String& text) {
  CheckUnsorted();
  CheckIndex(index);
  // The last act of every caller, once a handler freed the list: no change is made, and each is done with it.
  if (Changing().Gone()) return;
  items_[static_cast<size_t>(index)].text = text;
  Changed();
}

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)].object;
}

void TStringList::PutObject(int index, TObject* object) {
  CheckIndex(index);
  // The last act of every caller, once a handler freed the list: no change is made, and each is done with it.
  if (Changing().Gone()) return;
  items_[static_cast<size_t>(index)].object = object;
  Changed();
}

void TStringList::SetUpdateState(bool updating) {
  if (!updating) return Changed();
  // The last act of BeginUpdate, whose callers watch the list across the bracket it opens.
  if (RaiseEvent(onChanging_, this).Gone()) return;
}

int TStringList::CompareStrings(const String& a, const String& b) const {
  return caseSensitive_ ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

void TStringList::Changed() {
  // The last act of every caller: each is done with the list.
  if (UpdateCount() == 0 && RaiseEvent(onChange_, this).Gone()) return;
}

TRaised TStringList::Changing() { return UpdateCount() == 0 ? RaiseEvent(onChanging_, this) : TRaised(true); }

void TStringList::InsertItem(int index, const String& text, TObject* object) {
  // The last act of every caller, once a handler freed the list: no change is made, and each is done with it.
  if (Changing().Gone()) return;
  items_.insert(items_.begin() + index, Item{text, object});
  Changed();
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) Error(kListIndexError, index);
}

void TStringList::CheckUnsorted() const {
  if (sorted_) Error(kSortedListError, 0);
}
