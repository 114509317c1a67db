// The node stream: exact bytes, old versions, every error, hostile input, and the faults of the reader and writer.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/streams.h"
#include "support/hostile_input.h"
#include "tree/base_tree.h"
#include "tree/block_data_object.h"
#include "tree/tree_error.h"
#include "tree/tree_fixture.h"

namespace tree_test {

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes.push_back(static_cast<char>(v));
  return bytes;
}

std::string Le32(std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

std::string Magic(int version) { return Bytes({0x45, 0x20, 0x56, 0, 0x54, 0, version, 0, 0x20, 0, 0x46, 0x20}); }

std::string Chunk(int type, const std::string& payload) {
  return Le32(static_cast<std::uint32_t>(type)) + Le32(static_cast<std::uint32_t>(payload.size())) + payload;
}

// A base chunk body of the current version.
std::string BaseBody(std::uint32_t children, std::uint32_t height, std::uint16_t states) {
  return Le32(children) + Le32(height) + std::string(reinterpret_cast<const char*>(&states), 2) +
         Bytes({50, 0, 0, 0, 0, 0, 0});
}

std::string Saved(TBaseTree& tree, PTreeNode node = nullptr) {
  TMemoryStream stream;
  tree.SaveToStream(stream, node);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

void Load(TBaseTree& tree, const std::string& bytes) {
  TGuardedStream stream(bytes);
  EXPECT_TRUE(tree.LoadFromStream(stream).Alive());
}

int LoadError(TBaseTree& tree, const std::string& bytes) {
  try {
    Load(tree, bytes);
  } catch (const ETreeError& e) {
    return e.HelpContext();
  }
  return 0;
}

}  // namespace

TEST(TreeStream, EmptyTreeIsMagicAndZeroCount) {
  TTestTree tree;
  EXPECT_EQ(Saved(tree), Magic(2) + Le32(0));
  EXPECT_TRUE(tree.SetRootNodeCount(3).Alive());
  Load(tree, Magic(2) + Le32(0));
  EXPECT_EQ(tree.TotalCount(), 0u);
}

TEST(TreeStream, GoldenBytesWithBackPatchedSizes) {
  TKeyedTree tree;
  PTreeNode parent = tree.AddChild(nullptr);
  Key(tree, parent) = 0x11223344;
  PTreeNode child = tree.AddChild(parent);
  Key(tree, child) = 7;
  tree.SetNodeHeight(child, 20);
  tree.ValidateNode(nullptr, true);
  std::string childChunk = Chunk(1, Chunk(2, BaseBody(0, 20, nsInitialized | nsVisible)) + Chunk(4, Le32(7)));
  std::string parentChunk = Chunk(1, Chunk(2, BaseBody(1, 18, nsInitialized | nsVisible | nsHasChildren) + childChunk) +
                                         Chunk(4, Le32(0x11223344)));
  EXPECT_EQ(Saved(tree), Magic(2) + Le32(1) + parentChunk);
  // A subtree is saved with a count of one.
  EXPECT_EQ(Saved(tree, child), Magic(2) + Le32(1) + childChunk);
  // Without a user record no user chunk is written.
  tree.OnSaveNode = nullptr;
  EXPECT_EQ(Saved(tree, child), Magic(2) + Le32(1) + Chunk(1, Chunk(2, BaseBody(0, 20, nsInitialized | nsVisible))));
}

TEST(TreeStream, RoundTripKeepsShapeDataAndStates) {
  TKeyedTree source, target;
  source.Fill(3);
  source.ValidateNode(nullptr, true);
  EXPECT_FALSE(source.SetExpanded(source.GetFirst(), true).TreeGone());
  source.SetIsVisible(source.GetLastNoInit(), false);
  source.SetCheckType(source.GetFirst(), TCheckType::ctCheckBox);
  Load(target, Saved(source));
  EXPECT_EQ(target.Keys(), source.Keys());
  EXPECT_EQ(target.TotalCount(), 9u);
  EXPECT_TRUE(target.Expanded(target.GetFirstNoInit()));
  EXPECT_EQ(target.CheckType(target.GetFirstNoInit()), TCheckType::ctCheckBox);
  EXPECT_EQ(CheckInvariants(target), "");
  EXPECT_EQ(target.RootNode()->TotalHeight, source.RootNode()->TotalHeight);
  EXPECT_EQ(target.VisibleCount(), source.VisibleCount());
}

// A handler reading a node (after the node's children) learns its place as it will be in the tree: its level counts
// from the top level.
TEST(TreeStream, LevelsInsideTheLoadHandlerAreTheTreesOwn) {
  TKeyedTree source, target;
  source.Fill(2);
  source.ValidateNode(nullptr, true);
  std::vector<std::pair<int, std::uint32_t>> levels;
  target.OnLoadNode = [&](TBaseTree*, PTreeNode node, TStream& stream) {
    stream.ReadBuffer(&Key(target, node), 4);
    levels.emplace_back(Key(target, node), target.GetNodeLevel(node));
  };
  Load(target, Saved(source));
  const std::vector<std::pair<int, std::uint32_t>> expected = {{11, 1}, {12, 1}, {1, 0}, {21, 1}, {22, 1}, {2, 0}};
  EXPECT_EQ(levels, expected);
}

// Version 1: no count, 12-byte bodies, the selected flag in bit 7 of one state byte; the space word is free.
TEST(TreeStream, ReadsVersionOne) {
  TTestTree tree;
  EXPECT_TRUE(tree.TreeOptions()->SetSelectionOptions({TTreeSelectionOption::toMultiSelect}).Alive());
  std::string magic = Magic(1);
  magic[8] = 'x';
  std::string oldBody = Le32(0) + Le32(25) + Bytes({0x80, 50, 2, 2});
  std::string node = Chunk(1, Chunk(2, oldBody));
  Load(tree, magic + node + node + Chunk(1, Chunk(2, Le32(0) + Le32(18) + Bytes({0, 50, 0, 0}))));
  ASSERT_EQ(tree.TotalCount(), 3u);
  EXPECT_EQ(tree.SelectedCount(), 2u);
  PTreeNode first = tree.GetFirstNoInit();
  EXPECT_EQ(first->NodeHeight, 25);
  EXPECT_EQ(tree.CheckState(first), TCheckState::csCheckedNormal);
  EXPECT_EQ(tree.CheckType(first), TCheckType::ctCheckBox);
  EXPECT_EQ(CheckInvariants(tree), "");
}

TEST(TreeStream, ErrorsByCode) {
  std::string good = Chunk(1, Chunk(2, BaseBody(0, 18, nsVisible)));
  struct TCase {
    const char* what;
    std::string bytes;
    int code;
  };
  std::string wrongMagic = Magic(2);
  wrongMagic[0] = 0x46;
  const TCase cases[] = {
      {"short", Magic(2).substr(0, 11), teStreamTooShort},
      {"magic", wrongMagic + Le32(0), teStreamFormat},
      {"version 3", Magic(3) + Le32(0), teStreamVersion},
      {"no count", Magic(2) + Bytes({1, 0}), teStreamTooShort},
      {"not a node chunk", Magic(2) + Le32(1) + Chunk(2, BaseBody(0, 18, nsVisible)), teNodeChunkMissing},
      {"inner chunk past the node", Magic(2) + Le32(1) + Le32(1) + Le32(8) + Le32(4) + Le32(30) + std::string(30, 0),
       teNodeChunkOverrun},
      {"node chunk past the data", Magic(2) + Le32(1) + Le32(1) + Le32(1000) + good, teStreamTooShort},
      {"negative size", Magic(2) + Le32(1) + Le32(1) + Le32(0xFFFFFFF0u) + good, teStreamTooShort},
      {"children the chunk cannot hold", Magic(2) + Le32(1) + Chunk(1, Chunk(2, BaseBody(0x7FFFFFFF, 18, 0))),
       teStreamTooShort},
      {"short base body", Magic(2) + Le32(1) + Chunk(1, Chunk(2, Le32(0))), teStreamTooShort},
  };
  for (const TCase& c : cases) {
    // Every kind of failed load leaves the previous content as it was.
    TKeyedTree tree;
    tree.Fill(3);
    EXPECT_FALSE(tree.SetExpanded(tree.GetFirst(), true).TreeGone());
    const std::string before = Saved(tree);
    const std::uint32_t visible = tree.VisibleCount();
    EXPECT_EQ(LoadError(tree, c.bytes), c.code) << c.what;
    EXPECT_EQ(Saved(tree), before) << c.what;
    EXPECT_EQ(tree.VisibleCount(), visible) << c.what;
    EXPECT_EQ(CheckInvariants(tree), "") << c.what;
    EXPECT_EQ(tree.UpdateCount(), 0) << c.what;
  }
}

// A count smaller than the chunks leaves the rest unread; a load that fails after some nodes keeps none of them.
TEST(TreeStream, CountsAndPartialLoads) {
  std::string node = Chunk(1, Chunk(2, BaseBody(0, 18, nsVisible)));
  int freed = 0;
  TTestTree tree;
  tree.OnFreeNode = [&](TBaseTree*, PTreeNode) { ++freed; };
  Load(tree, Magic(2) + Le32(2) + node + node + node);
  EXPECT_EQ(tree.TotalCount(), 2u);
  PTreeNode first = tree.GetFirstNoInit();
  EXPECT_EQ(LoadError(tree, Magic(2) + Le32(3) + node + node + Chunk(7, "")), teNodeChunkMissing);
  EXPECT_EQ(tree.TotalCount(), 2u) << "no node read, and none for the broken chunk";
  EXPECT_EQ(tree.GetFirstNoInit(), first);
  EXPECT_EQ(freed, 0) << "the nodes read were never initialized";
  EXPECT_EQ(CheckInvariants(tree), "");
}

// A failure half-way through a subtree, with selected, hidden and expanded nodes read before it.
TEST(TreeStreamFaults, FailedLoadsKeepTheSelectionAndFreeWhatTheyRead) {
  std::string selected =
      Chunk(1, Chunk(2, BaseBody(0, 18, nsInitialized | nsVisible | nsSelected)) + Chunk(4, Le32(77)));
  std::string broken = Chunk(
      1, Chunk(2, BaseBody(2, 18, nsInitialized | nsVisible | nsExpanded | nsHasChildren) + selected + Chunk(9, "")));
  // Declared before the tree: its handlers still report while it goes.
  std::vector<int> loadedKeys, freedKeys;
  TKeyedTree tree;
  EXPECT_TRUE(tree.TreeOptions()
                  ->SetSelectionOptions(tree.TreeOptions()->SelectionOptions() + TTreeSelectionOption::toMultiSelect)
                  .Alive());
  tree.Fill(2);
  tree.SelectOnly(tree.GetFirst());
  tree.OnLoadNode = [&](TBaseTree*, PTreeNode node, TStream& stream) {
    stream.ReadBuffer(&Key(tree, node), 4);
    loadedKeys.push_back(Key(tree, node));
  };
  tree.OnFreeNode = [&](TBaseTree*, PTreeNode node) { freedKeys.push_back(Key(tree, node)); };
  const std::string before = Saved(tree);
  EXPECT_EQ(LoadError(tree, Magic(2) + Le32(2) + selected + broken), teNodeChunkMissing);
  EXPECT_EQ(Saved(tree), before);
  EXPECT_EQ(tree.SelectedCount(), 1u);
  EXPECT_EQ(tree.GetFirstSelected(), tree.GetFirst());
  // The nodes' own data is read once the whole node is read and in place: a broken node hands none of it over.
  EXPECT_TRUE(loadedKeys.empty());
  // Every initialized node read is freed with its event, children first; the node made for the broken chunk was
  // never initialized.
  EXPECT_EQ(freedKeys, (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(CheckInvariants(tree), "");
}

// A save to a file that fails half-way through the nodes leaves the file as it was.
TEST(TreeStreamFaults, AFailedSaveToAFileLeavesItAsItWas) {
  wchar_t folder[MAX_PATH + 1];
  const String path = String(folder, GetTempPathW(MAX_PATH + 1, folder)) + L"tree save.bin";
  TKeyedTree earlier;
  earlier.Fill(2);
  earlier.SaveToFile(path);
  TKeyedTree tree;
  tree.Fill(10);
  int saved = 0;
  tree.OnSaveNode = [&](TBaseTree*, PTreeNode node, TStream& stream) {
    if (++saved == 5) throw EWriteError(L"Stream write error");
    stream.WriteBuffer(&Key(tree, node), 4);
  };
  EXPECT_THROW(tree.SaveToFile(path), EWriteError);
  TKeyedTree reread;
  EXPECT_TRUE(reread.LoadFromFile(path).Alive());
  EXPECT_EQ(Saved(reread), Saved(earlier));
  DeleteFileW(path.c_str());
}

// A paste or a move into another tree that fails part-way takes back every node it made.
TEST(TreeStreamFaults, FailedPasteAndMoveLeaveBothTreesAsTheyWere) {
  TKeyedTree source, target;
  source.Fill(3);
  target.Fill(2);
  std::string saved = Saved(source);
  std::string chunks = saved.substr(16);
  const std::string targetBefore = Saved(target);
  struct TCase {
    const char* what;
    std::string block;
  };
  const TCase cases[] = {
      {"second node broken", Le32(0) + chunks.substr(0, chunks.size() / 3 * 2) + Chunk(7, "")},
      {"cut inside a child", Le32(0) + chunks.substr(0, chunks.size() - 5)},
  };
  for (const TCase& c : cases) {
    std::string block = c.block;
    std::uint32_t length = static_cast<std::uint32_t>(block.size() - 4);
    std::memcpy(block.data(), &length, 4);
    int copied = 0;
    target.OnNodeCopied = [&](TBaseTree*, PTreeNode) { ++copied; };
    auto* data = new TBlockDataObject(block);
    EXPECT_THROW(target.ProcessOLEData(nullptr, data, target.GetFirst(), TTreeNodeAttachMode::amInsertAfter, false),
                 ETreeError)
        << c.what;
    data->Release();
    EXPECT_EQ(Saved(target), targetBefore) << c.what;
    EXPECT_EQ(copied, 2) << c.what << ": only the nodes read whole were offered";
    EXPECT_EQ(CheckInvariants(target), "") << c.what;
    target.OnNodeCopied = nullptr;
  }

  // The target's own reader refuses the third node of a move: the copies go, the source keeps its node.
  int read = 0;
  target.OnLoadNode = [&](TBaseTree*, PTreeNode node, TStream& stream) {
    if (++read == 3) throw EReadError(L"refused");
    stream.ReadBuffer(&Key(target, node), 4);
  };
  EXPECT_THROW((void)source.MoveTo(source.GetFirst(), target.GetFirst(), TTreeNodeAttachMode::amInsertAfter, false),
               EReadError);
  EXPECT_EQ(Saved(source), saved);
  target.OnLoadNode = nullptr;
  EXPECT_EQ(target.Keys(), (std::vector<int>{1, 11, 12, 2, 21, 22}));
  EXPECT_EQ(CheckInvariants(source), "");
  EXPECT_EQ(CheckInvariants(target), "");
}

// A stream medium is copied no further than it says it reaches, however long the sender goes on.
TEST(TreeStreamFaults, StreamMediumIsBoundedByItsDeclaredSize) {
  TKeyedTree source, target;
  source.Fill(1);
  std::string chunks = Saved(source).substr(16);
  auto* data = new TBlockDataObject(chunks, TBlockDataObject::TMedium::EndlessStream);
  EXPECT_TRUE(target.ProcessOLEData(nullptr, data, nullptr, TTreeNodeAttachMode::amAddChildLast, false));
  EXPECT_LE(data->StreamBytesRead(), chunks.size());
  data->Release();
  EXPECT_EQ(target.Keys(), (std::vector<int>{1, 11, 12}));
}

// A stream medium that cannot tell its size or cannot be read is a failed paste, not an empty one.
TEST(TreeStreamFaults, StreamMediumThatFailsFailsThePaste) {
  TKeyedTree source, target;
  source.Fill(1);
  target.Fill(1);
  const std::string before = Saved(target);
  for (auto kind : {TBlockDataObject::TMedium::StreamWithoutSize, TBlockDataObject::TMedium::UnreadableStream}) {
    auto* data = new TBlockDataObject(Saved(source).substr(16), kind);
    EXPECT_FALSE(target.ProcessOLEData(nullptr, data, nullptr, TTreeNodeAttachMode::amAddChildLast, false))
        << static_cast<int>(kind);
    data->Release();
    EXPECT_EQ(Saved(target), before) << static_cast<int>(kind);
  }
}

// Heights that do not fit the record are clamped, and totals stop at the top instead of wrapping.
TEST(TreeStreamFaults, ImpossibleHeightsAreClamped) {
  struct TCase {
    std::uint32_t stored;
    std::uint16_t expected;
  };
  for (const TCase& c : {TCase{65535, 65535}, TCase{65536, 65535}, TCase{0xFFFFFFFFu, 65535}, TCase{0, 0}}) {
    TTestTree tree;
    Load(tree, Magic(2) + Le32(1) + Chunk(1, Chunk(2, BaseBody(0, c.stored, nsVisible))));
    EXPECT_EQ(tree.NodeHeight(tree.GetFirstNoInit()), c.expected) << c.stored;
  }
  TTestTree tall;
  tall.SetDefaultNodeHeight(65535);
  EXPECT_TRUE(tall.SetRootNodeCount(70000).Alive());
  EXPECT_EQ(tall.RootNode()->TotalHeight, 0xFFFFFFFFu) << "70,000 rows of 65,535 pixels";
  EXPECT_TRUE(tall.SetRootNodeCount(10).Alive());
  EXPECT_EQ(tall.RootNode()->TotalHeight, 65535u * 10 + tall.RootNode()->NodeHeight);
}

// A node never initialized keeps its child records unsaved; the count says so, and the stream reads back.
TEST(TreeStreamFaults, UninitializedNodeWritesNoChildCountWithoutChildren) {
  TKeyedTree source, target;
  source.TreeOptions()->SetMiscOptions(source.TreeOptions()->MiscOptions() - TTreeMiscOption::toInitOnSave);
  EXPECT_TRUE(source.SetRootNodeCount(2).Alive());
  EXPECT_FALSE(source.SetChildCount(source.GetFirstNoInit(), 3).TreeGone());
  std::string saved = Saved(source);
  ASSERT_EQ(LoadError(target, saved), 0);
  EXPECT_EQ(target.TotalCount(), 2u);
  EXPECT_TRUE(target.HasChildren(target.GetFirstNoInit()));
  // With initialization on save the children travel too.
  source.TreeOptions()->SetMiscOptions(source.TreeOptions()->MiscOptions() + TTreeMiscOption::toInitOnSave);
  Load(target, Saved(source));
  EXPECT_EQ(target.TotalCount(), 5u);
}

// A node chunk holding a second base chunk, after the first brought children, is refused; a paste of it after a
// shown row leaves every count as it was (its hiding took the uncounted children out of the visible count).
TEST(TreeStreamFaults, ASecondBaseChunkIsRefusedAndThePasteLeavesTheCounts) {
  const std::uint16_t open = nsInitialized | nsVisible | nsHasChildren | nsExpanded;
  const std::string child = Chunk(1, Chunk(2, BaseBody(0, 18, nsInitialized | nsVisible)));
  const std::string node =
      Chunk(1, Chunk(2, BaseBody(2, 18, open) + child + child) + Chunk(2, BaseBody(0, 18, nsInitialized)));
  TKeyedTree tree;
  tree.Fill(4);
  EXPECT_FALSE(tree.SetExpanded(tree.GetFirst(), true).TreeGone());
  EXPECT_FALSE(tree.SetExpanded(tree.GetFirst()->NextSibling, true).TreeGone());
  ASSERT_EQ(tree.VisibleCount(), 8u);
  const std::string before = Saved(tree);
  auto* data = new TBlockDataObject(Le32(static_cast<std::uint32_t>(node.size())) + node);
  try {
    tree.ProcessOLEData(nullptr, data, tree.GetFirst(), TTreeNodeAttachMode::amInsertAfter, false);
    ADD_FAILURE() << "pasted";
  } catch (const ETreeError& e) {
    EXPECT_EQ(e.HelpContext(), teStreamFormat);
  }
  data->Release();
  EXPECT_EQ(Saved(tree), before);
  EXPECT_EQ(tree.VisibleCount(), 8u);
  EXPECT_EQ(CheckInvariants(tree), "");
  TTestTree loaded;
  EXPECT_THROW(Load(loaded, Magic(2) + Le32(1) + node), ETreeError);
}

TEST(TreeStreamFaults, HiddenNodesLeaveTheParentsHeight) {
  std::string hidden = Chunk(1, Chunk(2, BaseBody(0, 30, nsInitialized)));
  std::string shown = Chunk(1, Chunk(2, BaseBody(0, 18, nsInitialized | nsVisible)));
  std::string parent =
      Chunk(1, Chunk(2, BaseBody(2, 18, nsInitialized | nsVisible | nsExpanded | nsHasChildren) + hidden + shown));
  TTestTree tree;
  Load(tree, Magic(2) + Le32(2) + hidden + parent);
  EXPECT_EQ(tree.RootNode()->TotalHeight, 18u + 18u + 18u);
  EXPECT_EQ(tree.VisibleCount(), 2u);
  EXPECT_EQ(CheckInvariants(tree), "");
}

// Nesting is bounded by the data alone: what the tree saves, however deep, it loads.
TEST(TreeStreamFaults, DeepNestingLoadsBack) {
  const std::uint16_t open = nsInitialized | nsVisible | nsHasChildren | nsExpanded;
  // Written outside in, each level's headers before the levels inside: wrapping the chunk once a level would copy a
  // growing string 3000 times, and the hundreds of megabytes that churns leave the heap in pieces that the heap checks
  // refill at every later allocation cut from them (the tests after this one took minutes).
  const std::string inner = Chunk(1, Chunk(2, BaseBody(0, 18, nsInitialized | nsVisible)));
  const std::string body = BaseBody(1, 18, open);
  const std::size_t levelSize = 16 + body.size();
  std::string chunk;
  chunk.reserve(inner.size() + 3000 * levelSize);
  for (std::size_t level = 3000; level > 0; --level) {
    const auto below = static_cast<std::uint32_t>(inner.size() + (level - 1) * levelSize);
    const auto baseSize = static_cast<std::uint32_t>(body.size()) + below;
    chunk += Le32(1) + Le32(8 + baseSize) + Le32(2) + Le32(baseSize) + body;
  }
  chunk += inner;
  TTestTree tree;
  Load(tree, Magic(2) + Le32(1) + chunk);
  EXPECT_EQ(tree.TotalCount(), 3001u);
  EXPECT_EQ(tree.VisibleCount(), 3001u);
  EXPECT_EQ(CheckInvariants(tree), "");
  EXPECT_EQ(Saved(tree), Magic(2) + Le32(1) + chunk);
}

// Mutated streams and clipboard blocks end in the tree's own errors, never in a fault or another exception.
TEST(TreeStreamHostile, MutatedStreamsAndBlocks) {
  TKeyedTree source;
  source.Fill(4);
  source.ValidateNode(nullptr, true);
  EXPECT_FALSE(source.SetExpanded(source.GetFirst(), true).TreeGone());
  std::string saved = Saved(source);
  std::string block = Le32(static_cast<std::uint32_t>(saved.size() - 16)) + saved.substr(16);
  TMutator mutator(20261207);
  TKeyedTree tree;
  // Shown rows below the place of a paste, and above it, are counted again when a paste fails.
  auto refill = [&tree] {
    EXPECT_TRUE(tree.Clear().Alive());
    tree.Fill(4);
    tree.ValidateNode(nullptr, true);
    EXPECT_FALSE(tree.SetExpanded(tree.GetFirst(), true).TreeGone());
    EXPECT_FALSE(tree.SetExpanded(tree.GetFirst()->NextSibling, true).TreeGone());
  };
  refill();
  for (int i = 0; i < 20000; ++i) {
    std::string damaged = mutator.Mutate(i % 2 ? saved : block);
    const std::string before = Saved(tree);
    try {
      if (i % 2) {
        Load(tree, damaged);
      } else {
        // Pasted into the root, or after its first node.
        const bool afterFirst = i % 4 == 2 && tree.GetFirst();
        // Let go also when the paste fails. The holder takes over the object's first reference as it is: one
        // platform's Attach adds a reference, the other's does not.
        Microsoft::WRL::ComPtr<TBlockDataObject> data;
        *data.GetAddressOf() = new TBlockDataObject(damaged);
        tree.ProcessOLEData(nullptr, data.Get(), afterFirst ? tree.GetFirst() : nullptr,
                            afterFirst ? TTreeNodeAttachMode::amInsertAfter : TTreeNodeAttachMode::amAddChildLast,
                            false);
        if (tree.TotalCount() > 200) refill();
      }
    } catch (const ETreeError& e) {
      ASSERT_GE(e.HelpContext(), teStreamFormat) << i;
      ASSERT_LE(e.HelpContext(), teNodeChunkOverrun) << i;
      ASSERT_EQ(Saved(tree), before) << i << ": a failed load leaves the tree as it was";
      ASSERT_EQ(CheckInvariants(tree), "") << i << ": a failed load leaves every count as it was";
    } catch (const EReadError&) {
      // The owner's own record reader found too few bytes in its chunk: its error, not the tree's.
      ASSERT_EQ(Saved(tree), before) << i << ": a failed load leaves the tree as it was";
      ASSERT_EQ(CheckInvariants(tree), "") << i << ": a failed load leaves every count as it was";
    }
    ASSERT_EQ(tree.UpdateCount(), 0) << i;
    if (i % 1000 == 0) {
      ASSERT_EQ(CheckInvariants(tree), "") << i;
    }
  }
}

// Moving nodes into another tree re-creates them there from their stored form.
TEST(TreeStream, MoveIntoAnotherTree) {
  TKeyedTree source, target;
  source.Fill(2);
  target.Fill(1);
  EXPECT_FALSE(
      source.MoveTo(source.GetFirst(), target.GetFirst(), TTreeNodeAttachMode::amInsertAfter, false).TreeGone());
  EXPECT_EQ(source.Keys(), (std::vector<int>{2, 21, 22}));
  EXPECT_EQ(target.Keys(), (std::vector<int>{1, 11, 12, 1, 11, 12}));
  EXPECT_EQ(CheckInvariants(source), "");
  EXPECT_EQ(CheckInvariants(target), "");
}

}  // namespace tree_test
