#include "framework/component.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace {

// Records every insertion and removal it hears of, in order.
class Listener : public TComponent {
  BC_CLASS(Listener, TComponent)
  explicit Listener(TComponent* owner = nullptr, std::vector<String>* log = nullptr) : TComponent(owner), log_(log) {}
  TComponent* watched = nullptr;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == watched) watched = nullptr;
    if (log_)
      log_->push_back(Name() + L" heard " + component->Name() +
                      (operation == TOperation::opInsert ? L" inserted" : L" removed"));
  }

 private:
  std::vector<String>* log_;
};

class Tracked : public TComponent {
  BC_CLASS(Tracked, TComponent)
  explicit Tracked(TComponent* owner = nullptr, std::vector<String>* log = nullptr) : TComponent(owner), log_(log) {}
  ~Tracked() override {
    if (log_) log_->push_back(L"free " + Name());
  }
  void BeforeDestruction() override {
    TComponent::BeforeDestruction();
    if (log_ && IsDestroying() && Owner()) log_->push_back(L"before " + Name());
  }

 private:
  std::vector<String>* log_;
};

}  // namespace

TEST(ComponentOwnership, OwnerFreesInReverseOrderOfCreation) {
  std::vector<String> log;
  auto* owner = new TComponent(nullptr);
  for (const wchar_t* name : {L"A", L"B", L"C"}) (new Tracked(owner, &log))->SetName(name);
  EXPECT_EQ(owner->ComponentCount(), 3);
  delete owner;
  // Each hears of its end while its owner still holds it and its own parts are whole.
  EXPECT_EQ(log, (std::vector<String>{L"before C", L"free C", L"before B", L"free B", L"before A", L"free A"}));
}

TEST(ComponentOwnership, DeletingAnOwnedComponentRemovesItFromItsOwner) {
  TComponent owner(nullptr);
  auto* a = new Tracked(&owner);
  auto* b = new Tracked(&owner);
  delete a;
  ASSERT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), b);
  EXPECT_EQ(b->ComponentIndex(), 0);
}

TEST(ComponentOwnership, NamesAreValidatedAndUniqueWithinTheOwner) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName(L"btnOpen");
  EXPECT_THROW(b->SetName(L"BTNOPEN"), EComponentError);
  EXPECT_THROW(b->SetName(L"2nd"), EComponentError);
  b->SetName(L"btnClose");
  EXPECT_EQ(owner.FindComponent(L"btnclose"), b);
  EXPECT_EQ(owner.FindComponent(L"missing"), nullptr);
  EXPECT_THROW(owner.Components(2), EListError);
}

TEST(ComponentNotification, FreeNotificationClearsTheObserversPointerEitherWay) {
  std::vector<String> log;
  Listener listener(nullptr, &log);
  listener.SetName(L"listener");
  auto* target = new Tracked(nullptr);
  target->SetName(L"target");
  listener.watched = target;
  listener.FreeNotification(target);
  delete target;
  EXPECT_EQ(listener.watched, nullptr);
  EXPECT_EQ(log, (std::vector<String>{L"listener heard target removed"}));

  // The observer dying first must leave the target with no stale link.
  auto* observer = new Listener(nullptr, &log);
  Tracked survivor(nullptr);
  observer->FreeNotification(&survivor);
  delete observer;
  log.clear();
}

// Random links made and cut among a few components, most of them to one hub so that its links grow past a few
// dozen and shrink again, and components freed at random: each link is heard of once, by the other side, last made
// first; a link made twice is cut by the second cut only (two holders' reasons for the same link), and a link cut
// more often than made is no link.
TEST(ComponentNotification, EveryLinkIsHeardOfOnceLastMadeFirst) {
  constexpr int kPool = 48;
  for (unsigned round = 1; round <= 20; ++round) {
    SCOPED_TRACE(round);
    std::mt19937 random(round);
    std::vector<String> log;
    std::vector<std::unique_ptr<Listener>> pool(kPool);
    // Each slot's links in the order they were made, with their reasons.
    std::vector<std::vector<std::pair<int, int>>> links(kPool);
    int made = 0;
    auto renew = [&](int slot) {
      pool[slot] = std::make_unique<Listener>(nullptr, &log);
      pool[slot]->SetName(L"C" + std::to_wstring(++made));
    };
    for (int slot = 0; slot < kPool; ++slot) renew(slot);
    auto pick = [&] { return random() % 2 ? 0 : static_cast<int>(random() % kPool); };
    auto find = [](std::vector<std::pair<int, int>>& list, int item) {
      return std::find_if(list.begin(), list.end(), [item](const auto& link) { return link.first == item; });
    };
    auto link = [&](std::vector<std::pair<int, int>>& list, int item) {
      if (auto found = find(list, item); found != list.end())
        ++found->second;
      else
        list.emplace_back(item, 1);
    };
    auto cut = [&](std::vector<std::pair<int, int>>& list, int item, bool everyReason) {
      if (auto found = find(list, item); found != list.end() && (everyReason || --found->second == 0))
        list.erase(found);
    };
    for (int step = 0; step < 3000; ++step) {
      const int a = pick();
      const int b = static_cast<int>(random() % kPool);
      const unsigned operation = random() % 20;
      if (operation < 12) {
        pool[a]->FreeNotification(pool[b].get());
        if (a != b) {
          link(links[a], b);
          link(links[b], a);
        }
      } else if (operation < 19) {
        pool[a]->RemoveFreeNotification(pool[b].get());
        cut(links[a], b, false);
        cut(links[b], a, false);
      } else {
        std::vector<String> expected;
        for (auto other = links[a].rbegin(); other != links[a].rend(); ++other) {
          expected.push_back(pool[other->first]->Name() + L" heard " + pool[a]->Name() + L" removed");
          cut(links[other->first], a, true);
        }
        links[a].clear();
        log.clear();
        pool[a].reset();
        ASSERT_EQ(log, expected) << "step " << step;
        renew(a);
      }
    }
  }
}

TEST(ComponentNotification, TheOwnerAndSiblingsThatAskHearOfInsertionsAndRemovals) {
  std::vector<String> log;
  Listener owner(nullptr, &log);
  owner.SetName(L"Owner");
  auto* asking = new Listener(&owner, &log);
  asking->SetName(L"Asking");
  asking->SiblingNotification();
  auto* holder = new Listener(&owner, &log);
  holder->SetName(L"Holder");
  auto* quiet = new Listener(&owner, &log);
  quiet->SetName(L"Quiet");
  log.clear();

  auto* x = new TComponent(nullptr);
  x->SetName(L"X");
  owner.InsertComponent(x);
  holder->watched = x;
  holder->FreeNotification(x);
  // Leaving the owner is no end: only the owner and the asking sibling hear of it.
  owner.RemoveComponent(x);
  asking->RemoveSiblingNotification();
  owner.InsertComponent(x);
  delete x;
  EXPECT_EQ(log, (std::vector<String>{L"Asking heard X inserted", L"Owner heard X inserted", L"Asking heard X removed",
                                      L"Owner heard X removed", L"Owner heard X inserted", L"Holder heard X removed",
                                      L"Owner heard X removed"}));
  EXPECT_EQ(holder->watched, nullptr);

  // A sibling that asked keeps hearing after moving to another owner, and the old owner stops telling it.
  asking->SiblingNotification();
  Listener other(nullptr, &log);
  other.SetName(L"Other");
  other.InsertComponent(asking);
  log.clear();
  delete new TComponent(&owner);
  new TComponent(&other);
  EXPECT_EQ(log, (std::vector<String>{L"Owner heard  inserted", L"Owner heard  removed", L"Asking heard  inserted",
                                      L"Other heard  inserted"}));
}

TEST(ComponentOwnership, NamesAreFoundThroughRenamesRemovalsAndMoves) {
  TComponent owner(nullptr);
  TComponent other(nullptr);
  auto* a = new TComponent(&owner);
  a->SetName(L"First");
  a->SetName(L"Second");
  EXPECT_EQ(owner.FindComponent(L"first"), nullptr);
  EXPECT_EQ(owner.FindComponent(L"SECOND"), a);
  // The old name is free for another component again.
  auto* b = new TComponent(&owner);
  b->SetName(L"First");
  EXPECT_EQ(owner.FindComponent(L"First"), b);

  other.InsertComponent(a);
  EXPECT_EQ(owner.FindComponent(L"Second"), nullptr);
  EXPECT_EQ(other.FindComponent(L"second"), a);
  auto* clash = new TComponent(nullptr);
  clash->SetName(L"first");
  EXPECT_THROW(owner.InsertComponent(clash), EComponentError);
  EXPECT_EQ(owner.FindComponent(L"First"), b);
  b->SetName(L"");
  EXPECT_EQ(owner.FindComponent(L"First"), nullptr);
  owner.InsertComponent(clash);
  EXPECT_EQ(owner.FindComponent(L"FIRST"), clash);
  delete clash;
  EXPECT_EQ(owner.FindComponent(L"First"), nullptr);
  EXPECT_EQ(owner.FindComponent(L""), nullptr);
}

TEST(ClassReferences, MetaclassesNameCreateAndRegister) {
  const TClass* cls = Tracked::StaticClass();
  EXPECT_EQ(cls->ClassName(), L"Tracked");
  EXPECT_TRUE(cls->InheritsFrom(TComponent::StaticClass()));
  EXPECT_FALSE(TComponent::StaticClass()->InheritsFrom(cls));
  TComponent owner(nullptr);
  TObject* made = cls->Create(&owner);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->ClassType(), cls);
  EXPECT_EQ(owner.ComponentCount(), 1);

  EXPECT_EQ(GetClass(L"Tracked"), nullptr);
  RegisterPersistentClass(cls);
  EXPECT_EQ(FindClass(L"Tracked"), cls);
  UnregisterPersistentClass(cls);
  EXPECT_THROW(FindClass(L"Tracked"), EClassNotFound);
}

TEST(Assignment, UnsupportedAssignRaisesTheConversionError) {
  TComponent a(nullptr), b(nullptr);
  try {
    a.Assign(&b);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), L"Cannot assign a TComponent to a TComponent");
  }
}

TEST(ComponentStates, DesigningReachesEveryOwnedComponentAlsoThoseInsertedLater) {
  TComponent owner(nullptr);
  auto* before = new TComponent(&owner);
  auto* nested = new TComponent(before);
  owner.SetDesigning(true);
  EXPECT_TRUE(before->IsDesigning());
  EXPECT_TRUE(nested->IsDesigning());
  auto* later = new TComponent(&owner);
  EXPECT_TRUE(later->IsDesigning());
  owner.SetDesigning(false, false);
  EXPECT_FALSE(owner.IsDesigning());
  EXPECT_TRUE(later->IsDesigning());
}

TEST(ComponentStates, LoadingAndReadingBracketAStoredFormsRead) {
  TComponent component(nullptr);
  component.SetLoading(true);
  EXPECT_TRUE(component.IsLoading());
  EXPECT_TRUE(component.ComponentState().Contains(TComponentStateItem::csReading));
  // Loaded ends the loading state; the reader ends the reading state once every component has had its Loaded.
  EXPECT_TRUE(component.Loaded().Alive());
  EXPECT_FALSE(component.IsLoading());
  EXPECT_TRUE(component.ComponentState().Contains(TComponentStateItem::csReading));
  component.SetLoading(false);
  EXPECT_FALSE(component.ComponentState().Contains(TComponentStateItem::csReading));
}

namespace {

// Notes whether its owner was already marked as going when it heard of a sibling's removal.
class DestroyWatcher : public TComponent {
  BC_CLASS(DestroyWatcher, TComponent)
  explicit DestroyWatcher(TComponent* owner, std::vector<String>* log) : TComponent(owner), log_(log) {}

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove) log_->push_back(IsDestroying() ? L"destroying" : L"alive");
  }

 private:
  std::vector<String>* log_;
};

}  // namespace

TEST(ComponentStates, AnOwnerBeingFreedMarksEverythingItOwnsFirst) {
  std::vector<String> log;
  auto* owner = new TComponent(nullptr);
  auto* watcher = new DestroyWatcher(owner, &log);
  auto* target = new TComponent(owner);
  watcher->FreeNotification(target);
  delete owner;
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), L"destroying");
}
