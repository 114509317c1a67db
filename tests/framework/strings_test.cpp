#include "framework/strings.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "framework/exceptions.h"
#include "framework/streams.h"
#include "string_lines.h"
#include "support/hostile_input.h"
#include "temp_files.h"

namespace {

std::vector<String> LinesOf(const String& text) {
  TStringList list;
  list.SetText(text);
  return Lines(list);
}

using V = std::vector<String>;

// Counts the change notifications of a list.
struct ChangeCounter {
  int changing = 0;
  int changed = 0;
  void Changing(TObject*) { ++changing; }
  void Changed(TObject*) { ++changed; }
  void Watch(TStringList& list) {
    list.SetOnChanging(TNotifyEvent(this, &ChangeCounter::Changing));
    list.SetOnChange(TNotifyEvent(this, &ChangeCounter::Changed));
  }
};

}  // namespace

TEST(StringListText, LineBreaks) {
  EXPECT_EQ(LinesOf(L"a\r\nb\nc\rd"), (V{L"a", L"b", L"c", L"d"}));
  EXPECT_EQ(LinesOf(L"a\r"), (V{L"a"}));
  EXPECT_EQ(LinesOf(L"a\r\n"), (V{L"a"}));
  EXPECT_EQ(LinesOf(L"a\r\r\n"), (V{L"a", L""}));
  EXPECT_EQ(LinesOf(L"a\n\rb"), (V{L"a", L"", L"b"}));
  EXPECT_EQ(LinesOf(L"\n\n"), (V{L"", L""}));
  EXPECT_EQ(LinesOf(L"\r\n\r\nx"), (V{L"", L"", L"x"}));
  EXPECT_EQ(LinesOf(L""), V{});
  EXPECT_EQ(LinesOf(L" lead\t\r\ntrail "), (V{L" lead\t", L"trail "}));
}

TEST(StringListText, NulEndsTheText) {
  EXPECT_EQ(LinesOf(String(L"one\r\ntw\0o\r\nthree", 16)), (V{L"one", L"tw"}));
  EXPECT_EQ(LinesOf(String(L"\0abc", 4)), V{});
  EXPECT_EQ(LinesOf(String(L"x\r\0\ny", 5)), (V{L"x"}));
}

TEST(StringListText, EveryLineEndsWithCrLf) {
  TStringList list;
  EXPECT_EQ(list.Text(), L"");
  list.Add(L"a");
  list.Add(L"");
  list.Add(L"c");
  EXPECT_EQ(list.Text(), L"a\r\n\r\nc\r\n");
  list.SetText(list.Text());
  EXPECT_EQ(Lines(list), (V{L"a", L"", L"c"}));
  // A line may hold a NUL when added directly; Text keeps it.
  TStringList withNul;
  withNul.Add(String(L"x\0y", 3));
  EXPECT_EQ(withNul.Text(), String(L"x\0y\r\n", 5));
}

TEST(StringListSorted, DuplicatesAndCase) {
  TStringList list;
  list.SetSorted(true);
  EXPECT_EQ(list.Add(L"pear"), 0);
  EXPECT_EQ(list.Add(L"Apple"), 0);
  EXPECT_EQ(list.Add(L"zebra"), 2);
  EXPECT_EQ(list.Add(L"apple"), 0);  // dupIgnore: the existing line's index, nothing added
  EXPECT_EQ(Lines(list), (V{L"Apple", L"pear", L"zebra"}));
  EXPECT_EQ(list.IndexOf(L"PEAR"), 1);
  EXPECT_EQ(list.IndexOf(L"plum"), -1);
  int index = -1;
  EXPECT_FALSE(list.Find(L"plum", index));
  EXPECT_EQ(index, 2);

  list.SetDuplicates(TDuplicates::dupError);
  try {
    list.Add(L"ZEBRA");
    FAIL();
  } catch (const EStringListError& error) {
    EXPECT_EQ(error.Message(), L"String list does not allow duplicates");
  }
  list.SetDuplicates(TDuplicates::dupAccept);
  list.Add(L"pear");
  list.Add(L"Pear");
  EXPECT_EQ(list.Count(), 5);
  ASSERT_TRUE(list.Find(L"PEAR", index));
  EXPECT_EQ(index, 1);

  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf(L"PEAR"), -1);
  EXPECT_GE(list.IndexOf(L"Pear"), 1);

  try {
    list.Insert(0, L"x");
    FAIL();
  } catch (const EStringListError& error) {
    EXPECT_EQ(error.Message(), L"Operation not allowed on sorted list");
  }
  EXPECT_THROW(list.SetStrings(0, L"x"), EStringListError);
}

TEST(StringListSorted, SortingKeepsObjects) {
  TObject a, b, c;
  TStringList list;
  list.AddObject(L"c", &c);
  list.AddObject(L"a", &a);
  list.AddObject(L"B", &b);
  list.SetSorted(true);
  EXPECT_EQ(Lines(list), (V{L"a", L"B", L"c"}));
  EXPECT_EQ(list.Objects(0), &a);
  EXPECT_EQ(list.Objects(1), &b);
  EXPECT_EQ(list.Objects(2), &c);
  EXPECT_EQ(list.IndexOfObject(&c), 2);

  list.SetSorted(false);
  list.CustomSort([](TStringList* l, int i, int j) {
    return static_cast<int>(l->Strings(j).size()) - static_cast<int>(l->Strings(i).size()) +
           (l->Strings(i) < l->Strings(j)   ? 1
            : l->Strings(i) > l->Strings(j) ? -1
                                            : 0);
  });
  EXPECT_EQ(Lines(list), (V{L"c", L"a", L"B"}));
  EXPECT_EQ(list.Objects(0), &c);
}

TEST(StringListEdit, IndexErrorsAndMoves) {
  TObject marker;
  TStringList list;
  list.SetText(L"zero\r\none\r\ntwo\r\nthree");
  list.SetObjects(1, &marker);
  list.Move(1, 3);
  EXPECT_EQ(Lines(list), (V{L"zero", L"two", L"three", L"one"}));
  EXPECT_EQ(list.Objects(3), &marker);
  list.Exchange(0, 3);
  EXPECT_EQ(Lines(list), (V{L"one", L"two", L"three", L"zero"}));
  EXPECT_EQ(list.Objects(0), &marker);
  list.Delete(1);
  list.Insert(3, L"end");
  EXPECT_EQ(Lines(list), (V{L"one", L"three", L"zero", L"end"}));

  for (int bad : {-1, 4}) {
    try {
      list.Strings(bad);
      FAIL();
    } catch (const EStringListError& error) {
      EXPECT_EQ(error.Message(), L"List index out of bounds (" + std::to_wstring(bad) + L")");
    }
  }
  EXPECT_THROW(list.Insert(5, L"x"), EStringListError);
  EXPECT_THROW(list.Delete(4), EStringListError);
  EXPECT_THROW(list.Exchange(0, 9), EStringListError);
}

TEST(StringListEdit, NamesAndValues) {
  TStringList list;
  list.SetText(L"Home=start\r\nplain line\r\nkey=a=b\r\nEmpty=");
  EXPECT_EQ(list.IndexOfName(L"KEY"), 2);
  EXPECT_EQ(list.IndexOfName(L"plain line"), -1);
  EXPECT_EQ(list.Names(2), L"key");
  EXPECT_EQ(list.Names(1), L"");
  EXPECT_EQ(list.Values(L"key"), L"a=b");
  EXPECT_EQ(list.Values(L"missing"), L"");
  list.SetValues(L"home", L"other");
  EXPECT_EQ(list.Strings(0), L"home=other");
  list.SetValues(L"Empty", L"");
  EXPECT_EQ(list.IndexOfName(L"Empty"), -1);
  list.SetValues(L"new", L"1");
  EXPECT_EQ(list.Strings(list.Count() - 1), L"new=1");
}

TEST(StringListEvents, ChangesAndUpdateBrackets) {
  TStringList list;
  ChangeCounter counter;
  counter.Watch(list);

  list.AddObject(L"a", nullptr);
  EXPECT_EQ(counter.changing, 1);
  EXPECT_EQ(counter.changed, 1);

  list.BeginUpdate();
  list.BeginUpdate();
  list.Add(L"b");
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(counter.changed, 1);
  list.EndUpdate();
  EXPECT_EQ(counter.changing, 2);
  EXPECT_EQ(counter.changed, 2);

  list.SetText(L"x\ny\nz");
  EXPECT_EQ(counter.changing, 3);
  EXPECT_EQ(counter.changed, 3);

  TStringList source;
  source.Add(L"copied");
  list.Assign(&source);
  EXPECT_EQ(counter.changed, 4);
  EXPECT_EQ(Lines(list), V{L"copied"});

  // Nothing to clear is no change.
  TStringList empty;
  ChangeCounter quiet;
  quiet.Watch(empty);
  empty.Clear();
  EXPECT_EQ(quiet.changed, 0);
  // Unbalanced EndUpdate is ignored.
  empty.EndUpdate();
  EXPECT_EQ(empty.UpdateCount(), 0);
}

// A handler's exception as an update begins opens no update: the changes after it are told of again.
TEST(StringListEvents, AnExceptionAsAnUpdateBeginsOpensNone) {
  TStringList list;
  bool refuse = true;
  int changed = 0;
  list.SetOnChanging([&](TObject*) {
    if (std::exchange(refuse, false)) throw Exception(L"refused");
  });
  list.SetOnChange([&](TObject*) { ++changed; });
  EXPECT_THROW(list.BeginUpdate(), Exception);
  EXPECT_EQ(list.UpdateCount(), 0);
  list.Add(L"a");
  EXPECT_EQ(changed, 1);
}

// An application's handler frees the list as it hears of a change, before it or after it, in a single change or
// in work that makes several: whatever raised touches nothing of the list afterwards, and a list freed before a
// change is not changed.
TEST(StringListEvents, AHandlerFreesTheList) {
  struct TCase {
    const char* Name;
    std::function<void(TStringList&)> Change;
    // Made before the handler is set.
    std::function<void(TStringList&)> Prepare = [](TStringList&) {};
    // Which notices the change raises: OnChanging, OnChange.
    std::array<bool, 2> Raises = {true, true};
  };
  TStringList source;
  source.SetText(L"p\nq");
  TMemoryStream stream;
  stream.WriteBuffer("s\r\nt", 4);
  const TCase cases[] = {
      {"Add", [](TStringList& l) { l.Add(L"x"); }},
      {"Insert", [](TStringList& l) { l.Insert(0, L"x"); }},
      {"Delete", [](TStringList& l) { l.Delete(0); }},
      {"Clear", [](TStringList& l) { l.Clear(); }},
      {"SetStrings", [](TStringList& l) { l.SetStrings(1, L"x"); }},
      {"SetObjects", [&](TStringList& l) { l.SetObjects(1, &source); }},
      {"Exchange", [](TStringList& l) { l.Exchange(0, 2); }},
      {"Move", [](TStringList& l) { l.Move(0, 2); }},
      {"SetValues", [](TStringList& l) { l.SetValues(L"b", L"x"); }},
      {"Sort", [](TStringList& l) { l.Sort(); }},
      {"SetSorted", [](TStringList& l) { l.SetSorted(true); }},
      {"SetCaseSensitive", [](TStringList& l) { l.SetCaseSensitive(true); }, [](TStringList& l) { l.SetSorted(true); }},
      {"SetText", [](TStringList& l) { l.SetText(L"x\ny"); }},
      {"Assign", [&](TStringList& l) { l.Assign(&source); }},
      {"AddStrings", [&](TStringList& l) { l.AddStrings(&source); }},
      {"LoadFromStream", [&](TStringList& l) { stream.SetPosition(0), l.LoadFromStream(stream); }},
      {"BeginUpdate", [](TStringList& l) { l.BeginUpdate(); }, [](TStringList&) {}, {true, false}},
      {"EndUpdate",
       [](TStringList& l) { l.EndUpdate(); },
       [](TStringList& l) { l.BeginUpdate(), l.Add(L"x"); },
       {false, true}},
  };
  TGuardedAllocations guard;
  for (const TCase& c : cases) {
    for (const bool before : {true, false}) {
      if (!c.Raises[before ? 0 : 1]) continue;
      auto* list = new TStringList;
      list->SetText(L"c\nb=1\na");
      c.Prepare(*list);
      int heard = 0;
      const TNotifyEvent free = [&](TObject*) {
        ++heard;
        delete std::exchange(list, nullptr);
      };
      if (before)
        list->SetOnChanging(free);
      else
        list->SetOnChange(free);
      c.Change(*list);
      EXPECT_EQ(list, nullptr) << c.Name << (before ? " before" : " after");
      EXPECT_EQ(heard, 1) << c.Name << (before ? " before" : " after");
      delete list;
    }
  }
}

TEST(StringListEdit, AssignCopiesObjectsAndRefusesOthers) {
  TObject marker;
  TStringList source;
  source.AddObject(L"one", &marker);
  TStringList target;
  target.Add(L"old");
  target.Assign(&source);
  EXPECT_EQ(Lines(target), V{L"one"});
  EXPECT_EQ(target.Objects(0), &marker);
  EXPECT_TRUE(target.Equals(&source));

  EXPECT_THROW(target.Assign(nullptr), EConvertError);
}

TEST(StringListFiles, AnsiBytesOnDiskAndInStreams) {
  TTempFile file(L"strings_roundtrip.txt");
  TStringList list;
  list.Add(L"caf\u00e9");
  list.Add(L"");
  list.Add(L"end");
  list.SaveToFile(file.Path(), 1252);

  TMemoryStream bytes;
  bytes.LoadFromFile(file.Path());
  ASSERT_EQ(bytes.Size(), 13);
  EXPECT_EQ(std::string(static_cast<const char*>(bytes.Memory()), 13), "caf\xe9\r\n\r\nend\r\n");

  TStringList loaded;
  loaded.LoadFromFile(file.Path(), 1252);
  EXPECT_EQ(Lines(loaded), (V{L"caf\u00e9", L"", L"end"}));

  // Loading starts at the stream's position.
  bytes.SetPosition(6);
  loaded.LoadFromStream(bytes, 1252);
  EXPECT_EQ(Lines(loaded), (V{L"", L"end"}));

  TStringList missing;
  EXPECT_THROW(missing.LoadFromFile(TestTempPath(L"does-not-exist.txt")), EFOpenError);
}
