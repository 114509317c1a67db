// Times the gallery's tree page at work on many rows: every folder of its large tree (100,000 rows) pasted into its
// right tree, with the page's handlers, counts and export in each of its formats, against the same paste into a
// string tree that has no handlers. Every time is the best of several runs.
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

// One paste of the clipboard into tree, which is then put back as it was (not timed).
double PasteSeconds(TStringTree* tree) {
  const std::uint32_t before = tree->TotalCount();
  tree->SetFocusedNode(nullptr);
  const double seconds = TimeOf([&] { tree->PasteFromClipboard(); });
  if (tree->TotalCount() != before + 100000) targets.Failed("a paste lost rows");
  // The rows the paste brought follow those the tree had.
  PTreeNode first = tree->GetFirst();
  for (std::uint32_t i = 0; i < before && first; ++i) first = tree->GetNextSibling(first);
  tree->BeginUpdate();
  while (first) {
    PTreeNode next = tree->GetNextSibling(first);
    tree->DeleteNode(first);
    first = next;
  }
  tree->EndUpdate();
  Application->ProcessMessages();
  return seconds;
}

}  // namespace

int main() {
  InitializeUnit(FrameworkUnit());
  InitializeUnit(GalleryUnit());
  {
    auto* form = new TGalleryForm(Application);
    form->Show();
    // Shown, as a person pastes: the export box lays out what it is given.
    form->ShowPage(FindGalleryPage(L"tree"));
    Application->ProcessMessages();
    TTreePage* page = form->TreePage();
    TStringTree* large = page->LargeTree();
    large->ClearSelection();
    for (PTreeNode folder = large->GetFirst(); folder; folder = large->GetNextSibling(folder))
      large->SetSelected(folder, true);
    large->CopyToClipboard();

    TStringTree plain(nullptr);
    plain.SetNodeDataSize(sizeof(std::uintptr_t));
    const double reference = BestOf(kPasteRuns, [&] { return PasteSeconds(&plain); });
    std::printf("paste of every folder (100,000 rows) into a string tree without handlers: %.3f s\n", reference);

    // The target is the page as it starts, exporting text; the other formats write several times the bytes.
    double text = 0;
    for (auto [format, name] : {std::pair{TTreeExport::teText, "text"}, std::pair{TTreeExport::teHtml, "HTML"},
                                std::pair{TTreeExport::teRtf, "RTF"}}) {
      page->Export(format);
      const double seconds = BestOf(kPasteRuns, [&] { return PasteSeconds(page->SmallTree()); });
      std::printf("the tree page's paste of every folder, exported as %s: %.3f s (%.2f times the reference)\n", name,
                  seconds, seconds / reference);
      if (format == TTreeExport::teText) text = seconds;
    }
    page->Export(TTreeExport::teText);
    targets.AtMost("gallery-paste-every-folder-vs-tree-paste", text / reference, 5.0);
    delete form;
  }
  FinalizeUnits();
  return targets.ExitCode();
}
