// Times the gallery's tree page at work on many rows: every folder of its large tree (100,000 rows) pasted into its
// right tree, with the page's handlers and counts, against the same paste into a string tree that has no handlers,
// and that tree's paste of 100,000 rows against one of 10,000; one folder moved into the right tree holding 200,000
// rows against the same into it holding a few. Every time is the best of several runs.
#include <windows.h>

#include <cstdio>
#include <utility>

#include "bench/bench_timing.h"
#include "framework/application.h"
#include "framework/startup.h"
#include "gallery_form.h"
#include "gallery_pages.h"
#include "gallery_units.h"
#include "tree/string_tree.h"
#include "tree_page.h"

using namespace tree;

namespace {

constexpr int kPasteRuns = 3;

TBenchTargets targets;

// The first folders of the large tree, copied to the clipboard.
void CopyFolders(TStringTree* large, std::uint32_t folders) {
  (void)large->ClearSelection();
  PTreeNode folder = large->GetFirst();
  for (std::uint32_t i = 0; i < folders && folder; ++i, folder = large->GetNextSibling(folder))
    (void)large->SetSelected(folder, true);
  large->CopyToClipboard();
}

// One paste of the clipboard's rows into tree, which is then put back as it was (not timed).
double PasteSeconds(TStringTree* tree, std::uint32_t rows) {
  const std::uint32_t before = tree->TotalCount();
  (void)tree->SetFocusedNode(nullptr);
  const double seconds = TimeOf([&] { tree->PasteFromClipboard(); });
  if (tree->TotalCount() != before + rows) targets.Failed("a paste lost rows");
  // The rows the paste brought follow those the tree had.
  PTreeNode first = tree->GetFirst();
  for (std::uint32_t i = 0; i < before && first; ++i) first = tree->GetNextSibling(first);
  (void)tree->BeginUpdate();
  while (first) {
    PTreeNode next = tree->GetNextSibling(first);
    (void)tree->DeleteNode(first);
    first = next;
  }
  (void)tree->EndUpdate();
  Application->ProcessMessages();
  return seconds;
}

// Seconds of one folder of the large tree cut and pasted into the small one, with the page's handlers, counts and
// export; the folder is put back afterwards (not timed).
double MoveFolderSeconds(TStringTree* large, TStringTree* small) {
  PTreeNode folder = large->GetFirst();
  (void)large->ClearSelection();
  (void)large->SetSelected(folder, true);
  large->CutToClipboard();
  (void)small->SetFocusedNode(nullptr);
  const double seconds = TimeOf([&] {
    small->PasteFromClipboard();
    Application->ProcessMessages();
  });
  (void)small->ClearSelection();
  (void)small->SetSelected(small->GetLast(), true);
  small->CutToClipboard();
  (void)large->SetFocusedNode(nullptr);
  large->SetDefaultPasteMode(TTreeNodeAttachMode::amAddChildFirst);
  large->PasteFromClipboard();
  Application->ProcessMessages();
  return seconds;
}

}  // namespace

int main() {
  InitializeUnit(FrameworkUnit());
  InitializeUnit(GalleryUnit());
  {
    auto* form = new TGalleryForm(Application);
    MustLive(form->Show());
    // Shown, as a person pastes: the export box lays out what it is given.
    form->ShowPage(FindGalleryPage(L"tree"));
    Application->ProcessMessages();
    TTreePage* page = form->TreePage();
    TStringTree* large = page->LargeTree();
    TStringTree plain(nullptr);
    (void)plain.SetNodeDataSize(sizeof(std::uintptr_t));

    // The tree's own paste grows with its rows, not with their square.
    CopyFolders(large, 100);
    const double tenThousand = BestOf(kPasteRuns, [&] { return PasteSeconds(&plain, 10000); });
    CopyFolders(large, 1000);
    const double reference = BestOf(kPasteRuns, [&] { return PasteSeconds(&plain, 100000); });
    std::printf("paste into a string tree without handlers: 100,000 rows (every folder) %.3f s; 10,000 rows %.4f s\n",
                reference, tenThousand);
    targets.AtMost("tree-paste-100k-vs-10k", reference / tenThousand, 12.0);

    // The page's own paste: its handlers, its counts, no export of so many rows.
    const double page100k = BestOf(kPasteRuns, [&] { return PasteSeconds(page->SmallTree(), 100000); });
    std::printf("the tree page's paste of every folder: %.3f s (%.2f times the reference)\n", page100k,
                page100k / reference);
    targets.AtMost("gallery-paste-every-folder-vs-tree-paste", page100k / reference, 5.0);

    // A folder moved into the right tree costs the same however many rows it holds: the page exports a few rows after
    // each change, not hundreds of thousands.
    const double intoFew = BestOf(kPasteRuns, [&] { return MoveFolderSeconds(large, page->SmallTree()); });
    CopyFolders(large, 1000);
    page->SmallTree()->PasteFromClipboard();
    page->SmallTree()->PasteFromClipboard();
    Application->ProcessMessages();
    const double intoMany = BestOf(kPasteRuns, [&] { return MoveFolderSeconds(large, page->SmallTree()); });
    std::printf("one folder moved into the right tree: holding %u rows %.3f s; holding a few %.3f s\n",
                page->SmallTree()->TotalCount(), intoMany, intoFew);
    targets.AtMost("gallery-move-folder-into-200k-vs-into-few", intoMany / intoFew, 3.0);
    delete form;
  }
  FinalizeUnits();
  return targets.ExitCode();
}
