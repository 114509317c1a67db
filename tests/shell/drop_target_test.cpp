#include "shell/dragdrop/drop_target.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drag_drop_fixtures.h"
#include "framework/thread.h"
#include "process_counts.h"
#include "shell/dragdrop/drop_source.h"
#include "shell/dragdrop/generic_data_formats.h"
#include "shell/dragdrop/url_drop_components.h"
#include "support/endless_formats.h"
#include "support/message_pump.h"
#include "support/modal_input.h"
#include "support/test_window.h"

using Microsoft::WRL::ComPtr;
using namespace shell;

namespace {

bool IsRegistered(HWND window) {
  TTestDataObject probe;
  ComPtr<IDropTarget> other;
  // A second registration of a window is refused while the first holds.
  class TNullTarget : public TComObject<IDropTarget> {
   public:
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD*) override { return E_NOTIMPL; }
  };
  other = new TNullTarget;
  HRESULT result = RegisterDragDrop(window, other.Get());
  if (result == S_OK) RevokeDragDrop(window);
  return result == DRAGDROP_E_ALREADYREGISTERED;
}

class DropTarget : public TDragDropTest {
 protected:
  void SetUp() override {
    EXPECT_TRUE(panel_.SetBounds(0, 0, 200, 150).Alive());
    EXPECT_TRUE(panel_.SetParentWindow(host_.Handle()).Alive());
    EXPECT_TRUE(child_.SetBounds(10, 10, 50, 50).Alive());
    EXPECT_TRUE(child_.SetParent(&panel_).Alive());
    EXPECT_TRUE(other_.SetBounds(0, 0, 200, 150).Alive());
    EXPECT_TRUE(other_.SetParentWindow(otherHost_.Handle()).Alive());
    text_ = new TTextDataFormat(&target_);
    data_->Add(CF_TEXT, std::string("dropped\0", 8));
    target_.OnDrop = [this](TObject*, TShiftState, POINT point, DWORD& effect) {
      dropped_.push_back(text_->Text());
      dropPoint_ = point;
      if (dropEffect_) effect = *dropEffect_;
    };
  }

  POINTL ScreenOf(TWinControl& control, POINT client = {20, 20}) {
    ClientToScreen(control.Handle(), &client);
    return {client.x, client.y};
  }

  TTestWindow host_{RECT{100, 100, 300, 250}};
  TTestWindow otherHost_{RECT{400, 100, 600, 250}};
  TDropPanel panel_{nullptr};
  TDropPanel child_{nullptr};
  TDropPanel other_{nullptr};
  TCustomDropMultiTarget target_{nullptr};
  TTextDataFormat* text_ = nullptr;
  ComPtr<TTestDataObject> data_{new TTestDataObject};
  std::vector<std::string> dropped_;
  POINT dropPoint_{};
  std::optional<DWORD> dropEffect_;
};

TEST_F(DropTarget, ControlsAreRegisteredParentsFirst) {
  target_.SetMultiTarget(true);
  EXPECT_TRUE(target_.RegisterTargetControl(&panel_).Alive());
  EXPECT_TRUE(target_.RegisterTargetControl(&other_).Alive());
  EXPECT_TRUE(target_.RegisterTargetControl(&child_).Alive());
  EXPECT_EQ(target_.Targets(), (std::vector<TWinControl*>{&panel_, &child_, &other_}));
  EXPECT_TRUE(IsRegistered(child_.Handle()));
  EXPECT_TRUE(target_.UnregisterTargetControl(&panel_).Alive());
  EXPECT_FALSE(IsRegistered(panel_.Handle()));
  EXPECT_EQ(target_.Target(), &child_);

  target_.SetMultiTarget(false);
  EXPECT_TRUE(target_.RegisterTargetControl(&panel_).Alive());
  EXPECT_EQ(target_.Targets(), std::vector<TWinControl*>{&panel_});
  EXPECT_FALSE(IsRegistered(other_.Handle()));

  // A registered control that is freed leaves the list; its registration goes with its window.
  target_.SetMultiTarget(true);
  auto* freed = new TDropPanel(nullptr);
  EXPECT_TRUE(freed->SetParent(&panel_).Alive());
  EXPECT_TRUE(target_.RegisterTargetControl(freed).Alive());
  ASSERT_TRUE(IsRegistered(freed->Handle()));
  delete freed;
  EXPECT_EQ(target_.Targets(), std::vector<TWinControl*>{&panel_});
}

// A target of several controls that goes, deleted or held by value, lets go of every one of them with its own
// parts: none stays registered, none keeps a part of the target among its children, and a drag over each reaches
// the target that registers it next.
TEST_F(DropTarget, AFreedTargetLetsGoOfEveryControl) {
  TWinControl* const controls[] = {&panel_, &child_, &other_};
  const auto registerAll = [&](TCustomDropTarget& target) {
    target.SetMultiTarget(true);
    for (TWinControl* control : controls) {
      EXPECT_TRUE(target.RegisterTargetControl(control).Alive());
      ASSERT_TRUE(IsRegistered(control->Handle()));
    }
  };
  const struct {
    const char* Name;
    std::function<void()> MakeAndFree;
  } cases[] = {
      {"deleted",
       [&] {
         auto* target = new TCustomDropMultiTarget(nullptr);
         registerAll(*target);
         delete target;
       }},
      {"held by value",
       [&] {
         TCustomDropMultiTarget target(nullptr);
         registerAll(target);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    c.MakeAndFree();
    for (TWinControl* control : controls) {
      EXPECT_FALSE(IsRegistered(control->Handle()));
      EXPECT_EQ(control->ControlCount(), control == &panel_ ? 1 : 0);
    }
    target_.SetMultiTarget(true);
    for (TWinControl* control : controls) {
      EXPECT_TRUE(target_.RegisterTargetControl(control).Alive());
      DWORD effect = DROPEFFECT_COPY;
      ASSERT_EQ(target_.DragEnter(data_.Get(), 0, ScreenOf(*control), &effect), S_OK);
      EXPECT_EQ(target_.Target(), control);
      EXPECT_EQ(target_.DragLeave(), S_OK);
    }
    EXPECT_TRUE(target_.UnregisterTargetControl(nullptr).Alive());
  }
}

TEST_F(DropTarget, ARecreatedWindowIsRegisteredAgain) {
  EXPECT_TRUE(target_.RegisterTargetControl(&panel_).Alive());
  HWND first = panel_.Handle();
  ASSERT_TRUE(IsRegistered(first));
  panel_.RecreateWnd();
  ASSERT_NE(panel_.Handle(), first);
  EXPECT_TRUE(IsRegistered(panel_.Handle()));
  EXPECT_TRUE(target_.UnregisterTargetControl(nullptr).Alive());
  EXPECT_FALSE(IsRegistered(panel_.Handle()));
}

TEST_F(DropTarget, TheEffectFollowsKeysDragTypesAndTheSource) {
  EXPECT_TRUE(target_.RegisterTargetControl(&panel_).Alive());
  const DWORD copy = DROPEFFECT_COPY, move = DROPEFFECT_MOVE, link = DROPEFFECT_LINK;
  struct TCase {
    TDragTypes Types;
    DWORD Keys;
    DWORD Offered;
    DWORD Effect;
  } cases[] = {
      {{TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink}, 0, copy | move | link, move},
      {{TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink}, MK_CONTROL, copy | move | link, copy},
      {{TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink}, MK_CONTROL | MK_SHIFT, copy | move, copy},
      {{TDragType::dtCopy, TDragType::dtMove}, MK_CONTROL | MK_SHIFT, copy | move | link, copy},
      {{TDragType::dtMove}, MK_CONTROL | MK_SHIFT, copy | move | link, move},
      {{TDragType::dtCopy, TDragType::dtLink}, 0, copy | move | link, copy},
      {{TDragType::dtLink}, MK_CONTROL, link, link},
      {{TDragType::dtCopy}, 0, link, 0},
  };
  for (const TCase& c : cases) {
    target_.SetDragtypes(c.Types);
    DWORD effect = c.Offered;
    ASSERT_EQ(target_.DragEnter(data_.Get(), c.Keys, ScreenOf(panel_), &effect), S_OK);
    EXPECT_EQ(effect, c.Effect) << c.Keys << " " << c.Offered;
    effect = c.Offered;
    target_.DragOver(c.Keys, ScreenOf(panel_), &effect);
    EXPECT_EQ(effect, c.Effect) << c.Keys << " " << c.Offered;
    target_.DragLeave();
  }
  EXPECT_TRUE(dropped_.empty());
}

TEST_F(DropTarget, ADropReadsTheDataAndReportsThePerformedEffect) {
  EXPECT_TRUE(target_.RegisterTargetControl(&panel_).Alive());
  target_.SetDragtypes({TDragType::dtCopy, TDragType::dtMove});
  struct TCase {
    bool OptimizedMove;
    DWORD Keys;
    DWORD Reported;
  } cases[] = {{false, MK_CONTROL, DROPEFFECT_COPY}, {false, 0, DROPEFFECT_MOVE}, {true, 0, DROPEFFECT_COPY}};
  for (const TCase& c : cases) {
    target_.SetOptimizedMove(c.OptimizedMove);
    ComPtr<TTestDataObject> data(new TTestDataObject);
    data->Add(CF_TEXT, std::string("dropped\0", 8));
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(target_.DragEnter(data.Get(), c.Keys, ScreenOf(panel_), &effect), S_OK);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(target_.Drop(data.Get(), c.Keys, ScreenOf(panel_, {30, 40}), &effect), S_OK);
    EXPECT_EQ(effect, c.Reported);
    ASSERT_EQ(data->Written().size(), 1u);
    EXPECT_EQ(data->Written()[0].Format, FormatId(L"Performed DropEffect"));
    EXPECT_EQ(data->Written()[0].Bytes, std::string(reinterpret_cast<const char*>(&c.Reported), 4));
    // The data formats hold the data only while OnDrop runs.
    EXPECT_EQ(text_->Text(), "");
  }
  EXPECT_EQ(dropped_, (std::vector<std::string>(3, "dropped")));
  EXPECT_EQ(dropPoint_.x, 30);
  EXPECT_EQ(dropPoint_.y, 40);
}

TEST_F(DropTarget, DataWithoutAnAcceptableFormatIsRefused) {
  EXPECT_TRUE(target_.RegisterTargetControl(&panel_).Alive());
  ComPtr<TTestDataObject> pictures(new TTestDataObject);
  pictures->Add(CF_DIB, "bits");
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(target_.DragEnter(pictures.Get(), 0, ScreenOf(panel_), &effect), S_OK);
  EXPECT_EQ(effect, 0u);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target_.DragOver(0, ScreenOf(panel_), &effect), DV_E_CLIPFORMAT);
  EXPECT_EQ(target_.Drop(pictures.Get(), 0, ScreenOf(panel_), &effect), E_UNEXPECTED);
  EXPECT_EQ(effect, 0u);
  EXPECT_TRUE(dropped_.empty());
  // An exception in a handler becomes a result code, not a crash of the drag loop.
  target_.OnEnter = [](TObject*, TShiftState, POINT, DWORD&) { throw Exception(L"handler failed"); };
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target_.DragEnter(data_.Get(), 0, ScreenOf(panel_), &effect), E_UNEXPECTED);
  EXPECT_EQ(target_.DragLeave(), S_OK);
}

// A data object whose list of formats never ends: an entry, over the URL target or a target of any formats, reads
// a bounded part of the list and refuses the drag, and so does every drag after it.
TEST_F(DropTarget, AFormatListThatNeverEndsIsReadOnlyInPart) {
  TDropURLTarget urlTarget(nullptr);
  EXPECT_TRUE(urlTarget.RegisterTargetControl(&other_).Alive());
  EXPECT_TRUE(target_.RegisterTargetControl(&panel_).Alive());
  const std::pair<TCustomDropTarget*, TDropPanel*> targets[] = {{&target_, &panel_}, {&urlTarget, &other_}};
  for (const auto& [target, control] : targets) {
    SCOPED_TRACE(target == &target_ ? "text target" : "URL target");
    for (int entry = 1; entry <= 2; ++entry) {
      ComPtr<TEndlessDataObject> endless(new TEndlessDataObject);
      DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
      EXPECT_EQ(target->DragEnter(endless.Get(), 0, ScreenOf(*control), &effect), S_OK);
      EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
      EXPECT_LE(endless->Served(), 4096u) << entry;
      EXPECT_GT(endless->Served(), 0u) << entry;
      EXPECT_EQ(target->DragLeave(), S_OK);
    }
  }
}

TEST_F(DropTarget, AnEntryOutsideEveryControlTurnsImageAndScrollingOff) {
  EXPECT_TRUE(target_.RegisterTargetControl(&panel_).Alive());
  DWORD effect = DROPEFFECT_COPY;
  target_.DragEnter(data_.Get(), 0, ScreenOf(other_), &effect);
  EXPECT_EQ(target_.DragOver(0, ScreenOf(other_), &effect), E_UNEXPECTED);
  target_.DragLeave();
  EXPECT_FALSE(target_.ShowImage());
  EXPECT_FALSE(target_.AutoScroll());
}

TEST_F(DropTarget, HoldingTheCursorInTheScrollBandScrollsLineByLine) {
  TTestWindow host(RECT{650, 100, 850, 250});
  TDropPanel scrolled(nullptr, WS_VSCROLL);
  EXPECT_TRUE(scrolled.SetBounds(0, 0, 200, 150).Alive());
  EXPECT_TRUE(scrolled.SetParentWindow(host.Handle()).Alive());
  EXPECT_TRUE(target_.RegisterTargetControl(&scrolled).Alive());
  std::vector<TScrolDirections> asked;
  target_.OnScroll = [&](TObject*, POINT, TScrolDirections& scroll, int&) { asked.push_back(scroll); };
  DWORD effect = DROPEFFECT_COPY;
  ASSERT_EQ(target_.DragEnter(data_.Get(), 0, ScreenOf(scrolled, {50, 60}), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  effect = DROPEFFECT_COPY;
  ASSERT_EQ(target_.DragOver(0, ScreenOf(scrolled, {50, 2}), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_SCROLL));
  EXPECT_TRUE(PumpUntil([&] { return scrolled.VerticalScrolls >= 3; }));
  // A drop in the band performs the effect alone: the scroll bit only steers the cursor.
  effect = DROPEFFECT_COPY;
  ASSERT_EQ(target_.Drop(data_.Get(), 0, ScreenOf(scrolled, {50, 2}), &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  int scrolls = scrolled.VerticalScrolls;
  PumpFor(200);
  EXPECT_EQ(scrolled.VerticalScrolls, scrolls);
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.front(), TScrolDirections{TScrolDirection::sdUp});
  EXPECT_EQ(scrolled.HorizontalScrolls, 0);
}

TEST_F(DropTarget, APasteReadsTheClipboardWithItsPreferredEffect) {
  TCustomDropMultiSource source(nullptr);
  auto* text = new TTextDataFormat(&source);
  EXPECT_TRUE(text->SetText("pasted").Alive());
  ASSERT_TRUE(source.CutToClipboard());
  // The preferred effect of the clipboard's data decides, whatever the drag types.
  EXPECT_EQ(target_.PasteFromClipboard(), static_cast<DWORD>(DROPEFFECT_MOVE));
  EXPECT_EQ(dropped_, (std::vector<std::string>{"pasted"}));
  source.EmptyClipboard();
}

TEST_F(DropTarget, AnAsynchronousTransferReadsOnItsOwnThread) {
  TCustomDropMultiSource source(nullptr);
  auto* text = new TTextDataFormat(&source);
  EXPECT_TRUE(text->SetText("far away").Alive());
  source.SetAllowAsyncTransfer(true);
  source.SetAsyncMode(TRUE);
  target_.SetAllowAsyncTransfer(true);
  EXPECT_TRUE(target_.RegisterTargetControl(&panel_).Alive());
  std::string read;
  bool ended = false;
  target_.OnEndAsyncTransfer = [&](TObject*) {
    read = text_->Text();
    ended = true;
  };
  DWORD effect = DROPEFFECT_COPY;
  ASSERT_EQ(target_.DragEnter(&source, MK_CONTROL, ScreenOf(panel_), &effect), S_OK);
  ASSERT_EQ(target_.Drop(&source, MK_CONTROL, ScreenOf(panel_), &effect), S_OK);
  EXPECT_TRUE(target_.AsyncTransferring());
  // A new drag while the transfer runs must neither clear the formats under it nor fail.
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(target_.DragEnter(data_.Get(), 0, ScreenOf(panel_), &effect), S_OK);
  target_.DragLeave();
  ASSERT_TRUE(PumpUntil([&] { return ended; }));
  EXPECT_EQ(read, "far away");
}

// A target that goes, deleted or held by value, while its worker is still to read ends the transfer before its own
// parts go: a target held by value is not deleted, so each part that owns what the worker reads into must. The
// worker cannot read before this thread serves its calls, so every target here goes while its worker is still to
// read; the transfer's end is told to no OnEndAsyncTransfer of a target that is going.
TEST_F(DropTarget, AFreedTargetEndsItsTransferBeforeItsFormatsGo) {
  TDropURLSource source(nullptr);
  EXPECT_TRUE(source.SetURL(L"http://example.org/far").Alive());
  EXPECT_TRUE(source.SetTitle(L"far").Alive());
  EXPECT_TRUE((new TTextDataFormat(&source))->SetText("far away").Alive());
  source.SetAllowAsyncTransfer(true);
  source.SetAsyncMode(TRUE);
  int ends = 0;
  const auto dropAsync = [&](TCustomDropTarget& target, DWORD effect) {
    target.SetAllowAsyncTransfer(true);
    target.OnEndAsyncTransfer = [&ends](TObject*) { ++ends; };
    EXPECT_TRUE(target.RegisterTargetControl(&panel_).Alive());
    ASSERT_EQ(target.DragEnter(&source, 0, ScreenOf(panel_), &effect), S_OK);
    ASSERT_EQ(target.Drop(&source, 0, ScreenOf(panel_), &effect), S_OK);
    ASSERT_TRUE(target.AsyncTransferring());
  };
  const struct {
    const char* Name;
    std::function<void()> DropAndGo;
  } cases[] = {
      {"a target of many formats",
       [&] {
         TCustomDropMultiTarget target(nullptr);
         new TTextDataFormat(&target);
         dropAsync(target, DROPEFFECT_COPY);
       }},
      {"an address target",
       [&] {
         TDropURLTarget target(nullptr);
         dropAsync(target, DROPEFFECT_LINK);
       }},
      {"a deleted target",
       [&] {
         auto* target = new TCustomDropMultiTarget(nullptr);
         new TTextDataFormat(target);
         dropAsync(*target, DROPEFFECT_COPY);
         delete target;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    ends = 0;
    c.DropAndGo();
    // The transfer was ended, not abandoned: the source heard its end before the target was gone.
    BOOL inOperation = TRUE;
    ASSERT_EQ(source.InOperation(&inOperation), S_OK);
    EXPECT_FALSE(inOperation);
    EXPECT_EQ(ends, 0);
  }
}

// Made, registered, used and freed again and again, the components leave the threads, the handles and the
// registered control's windows where they were; a test for each kind of cycle, so that each stays short under the
// heap checks.
class DropTargetLifecycles : public DropTarget, public testing::WithParamInterface<int> {};

TEST_P(DropTargetLifecycles, RepeatedCyclesLeaveNothing) {
  auto childWindows = [this] {
    int count = 0;
    EnumChildWindows(
        panel_.Handle(), [](HWND, LPARAM counted) { return ++*reinterpret_cast<int*>(counted), TRUE; },
        reinterpret_cast<LPARAM>(&count));
    return count;
  };
  const struct {
    const char* Name;
    std::function<void()> Cycle;
    int Times = 200;
  } cycles[] = {
      {"target made and freed",
       [this] {
         TCustomDropMultiTarget target(nullptr);
         EXPECT_TRUE(target.RegisterTargetControl(&panel_).Alive());
       }},
      {"control registered and unregistered",
       [this] {
         EXPECT_TRUE(target_.RegisterTargetControl(&panel_).Alive());
         EXPECT_TRUE(target_.UnregisterTargetControl(&panel_).Alive());
       }},
      {"source on the clipboard and freed",
       [] {
         TCustomDropMultiSource source(nullptr);
         EXPECT_TRUE((new TTextDataFormat(&source))->SetText("copied").Alive());
         ASSERT_TRUE(source.CopyToClipboard());
       }},
      {"asynchronous transfer",
       [this] {
         TCustomDropMultiSource source(nullptr);
         EXPECT_TRUE((new TTextDataFormat(&source))->SetText("far away").Alive());
         source.SetAllowAsyncTransfer(true);
         source.SetAsyncMode(TRUE);
         TCustomDropMultiTarget target(nullptr);
         new TTextDataFormat(&target);
         target.SetAllowAsyncTransfer(true);
         EXPECT_TRUE(target.RegisterTargetControl(&panel_).Alive());
         DWORD effect = DROPEFFECT_COPY;
         ASSERT_EQ(target.DragEnter(&source, 0, ScreenOf(panel_), &effect), S_OK);
         ASSERT_EQ(target.Drop(&source, 0, ScreenOf(panel_), &effect), S_OK);
         ASSERT_TRUE(PumpUntil([&] { return !target.AsyncTransferring(); }));
       },
       // Each transfer runs on a thread of its own: fewer of them keep the test short under the heap checks.
       100},
  };
  const auto& c = cycles[GetParam()];
  SCOPED_TRACE(c.Name);
  ExpectRepeatedCyclesLeaveNothing(c.Cycle, childWindows, c.Times);
}

INSTANTIATE_TEST_SUITE_P(EachCycle, DropTargetLifecycles, testing::Range(0, 4));

}  // namespace
