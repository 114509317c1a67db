// String lists against hostile text and hostile callers: code pages the platform cannot convert, byte-order
// marks, and moves that would leave a list half changed.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "framework/strings.h"
#include "string_lines.h"
#include "support/hostile_input.h"
#include "temp_files.h"

namespace {

std::string Saved(const TStrings& list, UINT codePage) {
  TMemoryStream stream;
  list.SaveToStream(stream, codePage);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

std::vector<String> Loaded(const std::string& bytes, UINT codePage) {
  TGuardedStream stream(bytes);
  TStringList list;
  list.LoadFromStream(stream, codePage);
  return Lines(list);
}

}  // namespace

TEST(StringListHostility, CodePagesAreReadOrRefusedNeverEmptiedSilently) {
  using V = std::vector<String>;
  EXPECT_EQ(Loaded(std::string("a\0\r\0b\0", 6), 1200), (V{L"a", L"b"}));
  EXPECT_EQ(Loaded(std::string("\xFF\xFE"
                               "a\0",
                               4),
                   1200),
            (V{L"a"}));
  EXPECT_EQ(Loaded(std::string("\0a\0\n\0b", 6), 1201), (V{L"a", L"b"}));
  EXPECT_EQ(Loaded("\xEF\xBB\xBFone\r\ntwo", CP_UTF8), (V{L"one", L"two"}));
  // The mark says UTF-8 whatever the caller expected.
  EXPECT_EQ(Loaded("\xEF\xBB\xBF\xC3\xA9", CP_ACP), (V{L"\u00e9"}));
  EXPECT_THROW(Loaded("abc", 1200), EStringListError) << "half a character";
  for (UINT codePage : {12000u, 12001u, 12345u, 0xFFFFu, 99999u})
    EXPECT_THROW(Loaded("abc", codePage), EStringListError) << codePage;
  // A code page this platform may or may not have: read right, or refused, but never an empty list.
  try {
    EXPECT_EQ(Loaded("plain", 50220), (V{L"plain"}));
  } catch (const EStringListError&) {
  }
  TStringList list;
  list.Add(L"x");
  TMemoryStream out;
  EXPECT_THROW(list.SaveToStream(out, 12345), EStringListError);
  EXPECT_EQ(Saved(list, 1201), std::string("\0x\0\r\0\n", 6));
}

TEST(StringListHostility, BadMovesAndSortedReordersChangeNothing) {
  using V = std::vector<String>;
  TStringList list;
  list.SetText(L"a\nb\nc");
  for (auto [from, to] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{-1, 1}, std::pair{1, -1}, std::pair{3, 3}})
    EXPECT_THROW(list.Move(from, to), EStringListError) << from << " to " << to;
  EXPECT_EQ(Lines(list), (V{L"a", L"b", L"c"}));
  list.SetSorted(true);
  EXPECT_THROW(list.Move(0, 2), EStringListError);
  EXPECT_THROW(list.Exchange(0, 2), EStringListError);
  EXPECT_EQ(Lines(list), (V{L"a", L"b", L"c"}));
  EXPECT_EQ(list.IndexOf(L"c"), 2);
}

// Lists the class saved, damaged: loading in their code page (or another) raises only EStringListError, and the
// undamaged ones load back equal; loaded from a file, they give what the stream gave. The first mutations run with
// every allocation guarded.
TEST(StringListHostility, SeededMutationsOfSavedListsRaiseOnlyListErrors) {
  const TTempFile file(L"bc_list_mutations.txt");
  TStringList source;
  source.SetText(L"first line\r\n\r\ncaf\u00e9 = \u00fc\r\n\u4e2d\u6587\r\nlast");
  const UINT codePages[] = {CP_UTF8, 1252, 1200, 1201};
  std::vector<std::string> samples;
  for (UINT codePage : codePages) {
    samples.push_back(Saved(source, codePage));
    if (codePage != 1252) {
      EXPECT_EQ(Loaded(samples.back(), codePage), Lines(source)) << codePage;
    }
  }
  TMutator mutator(1200);
  for (int i = 0; i < 3000; ++i) {
    const size_t which = mutator.Below(samples.size());
    const UINT codePage = mutator.Below(8) == 0 ? static_cast<UINT>(mutator.Below(70000)) : codePages[which];
    const std::string damaged = mutator.Mutate(samples[which]);
    std::unique_ptr<TGuardedAllocations> guard(i < 200 ? new TGuardedAllocations : nullptr);
    std::vector<String> loaded;
    try {
      loaded = Loaded(damaged, codePage);
    } catch (const EStringListError&) {
      loaded = {L"<refused>"};
    } catch (const std::exception& e) {
      ADD_FAILURE() << "mutation " << i << " in code page " << codePage << ": " << e.what();
    }
    guard.reset();
    if (i % 10 != 0) continue;
    TMemoryStream bytes;
    bytes.WriteBuffer(damaged.data(), static_cast<int32_t>(damaged.size()));
    bytes.SaveToFile(file.Path());
    TStringList fromFile;
    try {
      fromFile.LoadFromFile(file.Path(), codePage);
      EXPECT_EQ(Lines(fromFile), loaded) << "mutation " << i;
    } catch (const EStringListError&) {
      EXPECT_EQ(loaded, std::vector<String>{L"<refused>"}) << "mutation " << i;
    }
  }
}
