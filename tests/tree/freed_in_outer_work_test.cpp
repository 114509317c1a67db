// A tree freed by a handler that its outer work raises: a load and a paste reading the application's data, the
// selection a load takes in, a pending change raised as the window is made anew, the auto-size column resized as
// another one hides, the start and the leave of a drag, the drop target registered as the window is made, the line
// brush and the frame painted or printed, and an edit beginning; and a tree whose edit's text is handed over as it is
// deleted.
// Each call returns without touching the freed tree (made under guarded allocations, so that any touch faults), and
// answers that the tree is gone where it answers.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "framework/form.h"
#include "framework/streams.h"
#include "support/hostile_input.h"
#include "support/message_pump.h"
#include "tree/string_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_drag_manager.h"
#include "tree/tree_error.h"
#include "tree/tree_header.h"
#include "tree_fixture.h"

using Microsoft::WRL::ComPtr;

namespace tree_test {
namespace {

using namespace tree;

// What the case knows of its tree: the slot the handlers free it through, and which handler did.
struct TScene {
  TForm* Form = nullptr;
  TStringTree* Tree = nullptr;
  std::string FreedBy;

  // A handler that frees the tree, once, and tells which it was.
  auto Freer(const char* name) {
    return [this, name](auto&&...) {
      if (!Tree) return;
      FreedBy = name;
      delete std::exchange(Tree, nullptr);
    };
  }
};

struct TOuterWorkCase {
  const char* Name;
  // Makes the tree, arms the handler and makes the call that raises it.
  void (*Run)(TScene& scene);
  // The handler that is to free the tree.
  const char* FreedBy;
};

// Three rows that save four bytes of their own each, the first open over two children, under one visible header
// column; prepare runs before the tree has a window.
template <class Prepare>
TStringTree* MakeSceneTree(TScene& scene, Prepare prepare) {
  auto* tree = new TStringTree(scene.Form);
  scene.Tree = tree;
  tree->OnSaveNode = [](TBaseTree*, PTreeNode, TStream& stream) {
    const int data = 7;
    stream.WriteBuffer(&data, 4);
  };
  tree->OnLoadNode = [](TBaseTree*, PTreeNode, TStream& stream) {
    int data = 0;
    stream.ReadBuffer(&data, 4);
  };
  EXPECT_TRUE(tree->Header()->Columns()->Add()->SetWidth(250).Alive());
  EXPECT_TRUE(tree->Header()->SetOptions(tree->Header()->Options() + TTreeHeaderOption::hoVisible).Alive());
  EXPECT_TRUE(tree->SetRootNodeCount(3).Alive());
  EXPECT_FALSE(tree->SetChildCount(tree->GetFirst(), 2).NodeGone());
  EXPECT_FALSE(tree->SetExpanded(tree->GetFirst(), true).NodeGone());
  prepare(*tree);
  EXPECT_TRUE(tree->SetBounds(10, 10, 300, 200).Alive());
  if (tree->SetParent(scene.Form).Gone()) return nullptr;
  ProcessPendingMessages();
  return scene.Tree;
}

TStringTree* MakeSceneTree(TScene& scene) {
  return MakeSceneTree(scene, [](TStringTree&) {});
}

TMemoryStream& SaveInto(TStringTree& tree, TMemoryStream& stream) {
  tree.SaveToStream(stream);
  stream.SetPosition(0);
  return stream;
}

// Drags the tree's own data over its second row through its drop target, and leaves.
void DragOverAndLeave(TStringTree& tree) {
  ComPtr<IDataObject> data;
  *data.ReleaseAndGetAddressOf() = tree.GetDragManager()->GetDataObject();
  ComPtr<IDropTarget> target;
  ASSERT_TRUE(SUCCEEDED(tree.GetDragManager()->QueryInterface(IID_PPV_ARGS(&target))));
  const RECT row = tree.GetDisplayRect(tree.GetNext(tree.GetFirst()), NoColumn, false);
  const POINT at = tree.ClientToScreen(POINT{row.left + 40, (row.top + row.bottom) / 2});
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->DragEnter(data.Get(), MK_LBUTTON, POINTL{at.x, at.y}, &effect), S_OK);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target->DragOver(MK_LBUTTON, POINTL{at.x, at.y}, &effect), S_OK);
  EXPECT_EQ(target->DragLeave(), S_OK);
}

// Starts a drag of the focused row; the drag's OnStartDrag frees the tree if nothing before did, so that the
// system's drag loop never starts.
void StartOwnDrag(TScene& scene) {
  scene.Tree->OnStartDrag = scene.Freer("OnStartDrag");
  EXPECT_TRUE(scene.Tree->BeginDrag(true).Gone());
}

const TOuterWorkCase kOuterWorkCases[] = {
    {"OnLoadNodeAsTheTreeLoads",
     [](TScene& scene) {
       TStringTree* tree = MakeSceneTree(scene);
       TMemoryStream stream;
       SaveInto(*tree, stream);
       tree->OnLoadNode = scene.Freer("OnLoadNode");
       EXPECT_TRUE(tree->LoadFromStream(stream).Gone());
     },
     "OnLoadNode"},
    {"OnFreeNodeAsAFailedLoadTakesBackWhatItRead",
     [](TScene& scene) {
       TStringTree* tree = MakeSceneTree(scene);
       TMemoryStream stream;
       SaveInto(*tree, stream);
       // The last row's chunk is cut short: the rows read before it go again.
       stream.SetSize(stream.Size() - 3);
       tree->OnFreeNode = scene.Freer("OnFreeNode");
       EXPECT_THROW((void)tree->LoadFromStream(stream), ETreeError);
     },
     "OnFreeNode"},
    {"OnChangeAsALoadTakesItsSelectionIn",
     [](TScene& scene) {
       TStringTree* tree = MakeSceneTree(scene, [](TStringTree& tree) {
         EXPECT_TRUE(tree.TreeOptions()
                         ->SetSelectionOptions(tree.TreeOptions()->SelectionOptions() +
                                               TTreeSelectionOption::toMultiSelect)
                         .Alive());
       });
       EXPECT_FALSE(tree->SetSelected(tree->GetFirst(), true).NodeGone());
       EXPECT_FALSE(tree->SetSelected(tree->GetLast(), true).NodeGone());
       TMemoryStream stream;
       SaveInto(*tree, stream);
       EXPECT_TRUE(tree->ClearSelection().Alive());
       tree->OnChange = scene.Freer("OnChange");
       EXPECT_TRUE(tree->LoadFromStream(stream).Gone());
     },
     "OnChange"},
    {"OnLoadNodeAsAPasteReadsTheCopy",
     [](TScene& scene) {
       TStringTree* tree = MakeSceneTree(scene);
       EXPECT_FALSE(tree->SetSelected(tree->GetFirst(), true).NodeGone());
       tree->CopyToClipboard();
       tree->OnLoadNode = scene.Freer("OnLoadNode");
       EXPECT_FALSE(tree->PasteFromClipboard());
     },
     "OnLoadNode"},
    {"OnDragOverAsTheDragLeaves",
     [](TScene& scene) {
       TStringTree* tree = MakeSceneTree(scene, [](TStringTree& tree) {
         tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toAcceptOLEDrop);
       });
       tree->OnDragOver = [&scene, freer = scene.Freer("OnDragOver")](TBaseTree*, TObject*, TShiftState,
                                                                      TDragState state, auto&&...) {
         if (state == TDragState::dsDragLeave) freer();
       };
       DragOverAndLeave(*tree);
     },
     "OnDragOver"},
    {"OnChangeStillPendingAsTheWindowIsMadeAnew",
     [](TScene& scene) {
       TStringTree* tree = MakeSceneTree(scene);
       // The change waits for its timer; the window going raises it first.
       tree->SetChangeDelay(60000);
       tree->OnChange = scene.Freer("OnChange");
       EXPECT_FALSE(tree->SetSelected(tree->GetFirst(), true).NodeGone());
       tree->SetBorderStyle(TBorderStyle::bsNone);
     },
     "OnChange"},
    {"OnColumnResizeAsAColumnBesideTheAutoSizeOneHides",
     [](TScene& scene) {
       TStringTree* tree = MakeSceneTree(scene, [](TStringTree& tree) {
         EXPECT_TRUE(tree.Header()->Columns()->Add()->SetWidth(30).Alive());
         tree.Header()->SetAutoSizeIndex(1);
         EXPECT_TRUE(tree.Header()->SetOptions(tree.Header()->Options() + TTreeHeaderOption::hoAutoResize).Alive());
       });
       tree->OnColumnResize = scene.Freer("OnColumnResize");
       // The auto-size column takes the hidden one's room.
       TTreeColumn* first = tree->Header()->Columns()->Items(0);
       first->SetOptions(first->Options() - TTreeColumnOption::coVisible);
     },
     "OnColumnResize"},
    {"OnChangeAsTheDraggedRowJoinsTheSelection",
     [](TScene& scene) {
       TStringTree* tree = MakeSceneTree(scene);
       EXPECT_FALSE(tree->SetFocusedNode(tree->GetFirst()).NodeGone());
       EXPECT_TRUE(tree->ClearSelection().Alive());
       tree->OnChange = scene.Freer("OnChange");
       StartOwnDrag(scene);
     },
     "OnChange"},
    {"OnBeforeItemEraseAsTheDragPaintsItsRow",
     [](TScene& scene) {
       TStringTree* tree = MakeSceneTree(scene);
       EXPECT_FALSE(tree->SetFocusedNode(tree->GetFirst()).NodeGone());
       EXPECT_TRUE(tree->ClearSelection().Alive());
       ProcessPendingMessages();
       ValidateRect(tree->Handle(), nullptr);
       tree->OnBeforeItemErase = scene.Freer("OnBeforeItemErase");
       StartOwnDrag(scene);
     },
     "OnBeforeItemErase"},
    {"OnCreateDragManagerAsTheWindowIsMade",
     [](TScene& scene) {
       MakeSceneTree(scene, [&scene](TStringTree& tree) {
         tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toAcceptOLEDrop);
         tree.OnCreateDragManager = scene.Freer("OnCreateDragManager");
       });
     },
     "OnCreateDragManager"},
    {"OnGetLineStyleAsTheTreeFirstPaints",
     [](TScene& scene) {
       MakeSceneTree(scene, [&scene](TStringTree& tree) {
         tree.SetLineStyle(TLineStyle::lsCustomStyle);
         tree.OnGetLineStyle = scene.Freer("OnGetLineStyle");
       });
       RedrawWindow(scene.Form->Handle(), nullptr, nullptr,
                    RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
     },
     "OnGetLineStyle"},
    {"OnGetLineStyleAsTheStyleIsSet",
     [](TScene& scene) {
       TStringTree* tree = MakeSceneTree(scene);
       tree->OnGetLineStyle = scene.Freer("OnGetLineStyle");
       tree->SetLineStyle(TLineStyle::lsCustomStyle);
     },
     "OnGetLineStyle"},
    {"OnHeaderDrawAsTheFrameIsPrinted",
     [](TScene& scene) {
       TStringTree* tree = MakeSceneTree(scene, [](TStringTree& tree) {
         tree.Header()->Columns()->Items(0)->SetStyle(TTreeColumnStyle::vsOwnerDraw);
         EXPECT_TRUE(tree.Header()->SetOptions(tree.Header()->Options() + TTreeHeaderOption::hoOwnerDraw).Alive());
       });
       tree->OnHeaderDraw = scene.Freer("OnHeaderDraw");
       const HWND window = tree->Handle();
       HDC screen = GetDC(nullptr);
       HDC dc = CreateCompatibleDC(screen);
       HBITMAP picture = CreateCompatibleBitmap(screen, 320, 220);
       ReleaseDC(nullptr, screen);
       HGDIOBJ old = SelectObject(dc, picture);
       SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN);
       SelectObject(dc, old);
       DeleteObject(picture);
       DeleteDC(dc);
     },
     "OnHeaderDraw"},
    {"OnPaintTextAsAnEditBegins",
     [](TScene& scene) {
       TStringTree* tree = MakeSceneTree(scene, [](TStringTree& tree) {
         tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toEditable);
       });
       ValidateRect(tree->Handle(), nullptr);
       tree->OnPaintText = scene.Freer("OnPaintText");
       EXPECT_FALSE(tree->EditNode(tree->GetFirst(), NoColumn));
     },
     "OnPaintText"},
};

class TreeFreedInOuterWork : public testing::TestWithParam<TOuterWorkCase> {
 protected:
  void SetUp() override { form_ = ShowHostForm(); }
  void TearDown() override {
    form_.reset();
    ProcessPendingMessages();
  }

  std::unique_ptr<TForm> form_;
};

TEST_P(TreeFreedInOuterWork, TouchesNothingOfItAgain) {
  const TOuterWorkCase& c = GetParam();
  TScene scene{form_.get()};
  {
    TGuardedAllocations guard;
    c.Run(scene);
    ProcessPendingMessages();
  }
  EXPECT_EQ(scene.Tree, nullptr) << "the handler did not free the tree";
  EXPECT_EQ(scene.FreedBy, c.FreedBy);
  delete scene.Tree;
  // What is left paints.
  RedrawWindow(form_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

INSTANTIATE_TEST_SUITE_P(Handlers, TreeFreedInOuterWork, testing::ValuesIn(kOuterWorkCases),
                         [](const testing::TestParamInfo<TOuterWorkCase>& info) { return std::string(info.param.Name); });

// A tree deleted while its edit runs hands the typed text over while every part of it exists, telling OnNewText
// that it is being destroyed; a handler that deletes it again leaves the deletion under way to free it, once.
TEST_F(TreeFreedInOuterWork, HandsItsEditedTextOverAsItGoes) {
  TScene scene{form_.get()};
  TGuardedAllocations guard;
  TStringTree* tree = MakeSceneTree(scene, [](TStringTree& tree) {
    tree.TreeOptions()->SetMiscOptions(tree.TreeOptions()->MiscOptions() + TTreeMiscOption::toEditable);
    tree.TreeOptions()->SetStringOptions(tree.TreeOptions()->StringOptions() +
                                         TTreeStringOption::toAutoAcceptEditChange);
  });
  ASSERT_TRUE(tree->EditNode(tree->GetFirst(), NoColumn));
  const HWND editor = FindWindowExW(tree->Handle(), nullptr, L"TTreeEdit", nullptr);
  ASSERT_NE(editor, nullptr);
  for (const wchar_t* c = L"Typed"; *c; ++c) SendMessageW(editor, WM_CHAR, *c, 1);
  String handed;
  bool destroying = false;
  tree->OnNewText = [&](TBaseTree* sender, PTreeNode, TColumnIndex, const String& text) {
    handed = text;
    destroying = sender->IsDestroying();
    delete sender;
  };
  delete std::exchange(scene.Tree, nullptr);
  EXPECT_EQ(handed, L"Typed");
  EXPECT_TRUE(destroying);
  ProcessPendingMessages();
}

}  // namespace
}  // namespace tree_test
