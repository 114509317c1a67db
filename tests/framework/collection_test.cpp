#include "framework/collection.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/exceptions.h"
#include "framework/properties.h"

namespace {

// An item that records what its collection looked like while it was being built.
class TNoteItem : public TCollectionItem {
  BC_CLASS(TNoteItem, TCollectionItem)
  explicit TNoteItem(TCollection* collection = nullptr)
      : TCollectionItem(collection), countWhenBuilt(Collection() ? Collection()->Count() : -1) {}

  String Text() const { return text_; }
  void SetText(const String& text) {
    text_ = text;
    Changed(false);
  }
  String DisplayName() const override { return text_.empty() ? TCollectionItem::DisplayName() : text_; }
  void Assign(const TPersistent* source) override {
    if (const auto* note = ObjectAs<const TNoteItem>(source)) {
      SetText(note->text_);
      return;
    }
    TCollectionItem::Assign(source);
  }

  const int countWhenBuilt;

 private:
  String text_;
};

// A collection that logs its Update and Notify calls.
class TNoteCollection : public TOwnedCollection {
  BC_CLASS(TNoteCollection, TOwnedCollection)
  explicit TNoteCollection(TPersistent* owner = nullptr) : TOwnedCollection(owner, TNoteItem::StaticClass()) {}
  ~TNoteCollection() override { Clear(); }
  TNoteItem* Note(int index) const { return static_cast<TNoteItem*>(Items(index)); }
  std::vector<String> log;

 protected:
  void Update(TCollectionItem* item) override {
    log.push_back(L"update " + (item ? static_cast<TNoteItem*>(item)->Text() : String(L"all")));
  }
  void Notify(TCollectionItem* item, TCollectionNotification action) override {
    static const wchar_t* names[] = {L"added", L"extracting", L"deleting"};
    log.push_back(String(names[static_cast<int>(action)]) + L" " + std::to_wstring(item->ID()));
  }
};

// A component that publishes a collection, for name paths.
class TNoteHolder : public TComponent {
  BC_CLASS(TNoteHolder, TComponent)
  explicit TNoteHolder(TComponent* owner = nullptr) : TComponent(owner), notes_(this) {}
  TNoteCollection* Notes() { return &notes_; }
  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TNoteHolder>;
    static const TPublishedTable table(&inherited::PublishedTable(), {P::Object(L"Notes", &TNoteHolder::Notes)});
    return table;
  }

 private:
  TNoteCollection notes_;
};

std::vector<int> Ids(const TCollection& collection) {
  std::vector<int> ids;
  for (int i = 0; i < collection.Count(); ++i) ids.push_back(collection.Items(i)->ID());
  return ids;
}

}  // namespace

TEST(Collection, OrderIdsAndIndexes) {
  TNoteCollection notes;
  auto* first = notes.Add();
  auto* second = notes.Add();
  auto* inserted = notes.Insert(0);
  EXPECT_EQ(Ids(notes), (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(first->Index(), 1);
  // The derived constructor already sees the collection, with the new item in it.
  EXPECT_EQ(static_cast<TNoteItem*>(inserted)->countWhenBuilt, 3);

  second->SetIndex(0);
  EXPECT_EQ(Ids(notes), (std::vector<int>{1, 2, 0}));
  EXPECT_THROW(second->SetIndex(3), EListError);
  EXPECT_THROW(notes.Insert(4), EListError);
  EXPECT_EQ(notes.Count(), 3);

  notes.Delete(1);
  EXPECT_EQ(notes.FindItemID(2), nullptr);
  EXPECT_EQ(notes.FindItemID(0), first);
  delete first;
  EXPECT_EQ(Ids(notes), std::vector<int>{1});
  EXPECT_EQ(notes.Add()->ID(), 3);  // IDs are never reused

  try {
    notes.Items(5);
    FAIL();
  } catch (const EListError& error) {
    EXPECT_EQ(error.Message(), L"List index out of bounds (5)");
  }

  TNoteItem loose;
  EXPECT_EQ(loose.Index(), -1);
  loose.SetCollection(&notes);
  EXPECT_EQ(notes.Items(2), &loose);
  loose.SetCollection(nullptr);
  EXPECT_EQ(notes.Count(), 2);
}

TEST(Collection, NotificationsAndUpdateBrackets) {
  TNoteCollection notes;
  notes.Add();
  auto* note = static_cast<TNoteItem*>(notes.Add());
  note->SetText(L"b");
  notes.BeginUpdate();
  note->SetText(L"c");
  notes.Delete(0);
  notes.EndUpdate();
  note->SetIndex(0);
  std::vector<String> expected = {L"added 0",  L"update all", L"added 1",      L"update all",
                                  L"update b", L"deleting 0", L"extracting 0", L"update all"};
  EXPECT_EQ(notes.log, expected);
}

TEST(Collection, AssignNamesAndPaths) {
  TNoteHolder holder;
  holder.SetName(L"Holder");
  TNoteCollection* notes = holder.Notes();
  static_cast<TNoteItem*>(notes->Add())->SetText(L"one");
  static_cast<TNoteItem*>(notes->Add())->SetText(L"two");
  EXPECT_EQ(notes->GetNamePath(), L"Holder.Notes");
  EXPECT_EQ(notes->Items(1)->GetNamePath(), L"Holder.Notes[1]");
  EXPECT_EQ(notes->Items(1)->GetOwner(), notes);
  EXPECT_EQ(notes->GetOwner(), &holder);
  EXPECT_EQ(notes->Items(0)->DisplayName(), L"one");

  TNoteCollection copy;
  copy.Add();
  copy.Assign(notes);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.Note(0)->Text(), L"one");
  EXPECT_EQ(copy.Note(1)->Text(), L"two");
  EXPECT_EQ(copy.GetNamePath(), L"TNoteCollection");
  EXPECT_EQ(TNoteItem().GetNamePath(), L"TNoteItem");
  EXPECT_EQ(TNoteItem().DisplayName(), L"TNoteItem");

  // Only items of the collection's item class may join it; a wider item class takes derived items.
  TCollectionItem generic;
  EXPECT_THROW(generic.SetCollection(notes), EInvalidOperation);
  EXPECT_EQ(generic.Collection(), nullptr);
  TOwnedCollection plain(nullptr, TCollectionItem::StaticClass());
  TNoteItem derived(&plain);
  EXPECT_EQ(plain.Count(), 1);
}

namespace {

class TNamedItem : public TCollectionItem {
  BC_CLASS(TNamedItem, TCollectionItem)
  String Text;
  static int Alive;
  TNamedItem() { ++Alive; }
  ~TNamedItem() override { --Alive; }
  void Assign(const TPersistent* source) override {
    if (auto* other = ObjectAs<TNamedItem>(const_cast<TPersistent*>(source)))
      Text = other->Text;
    else
      TCollectionItem::Assign(source);
  }
};
int TNamedItem::Alive = 0;

TNamedItem* AddNamed(TCollection& collection, const wchar_t* text) {
  auto* item = static_cast<TNamedItem*>(collection.Add());
  item->Text = text;
  return item;
}

String Texts(const TCollection& collection) {
  String out;
  for (int i = 0; i < collection.Count(); ++i) out += static_cast<TNamedItem*>(collection.Items(i))->Text;
  return out;
}

}  // namespace

TEST(Collection, AddInsertMoveAndDelete) {
  {
    TCollection collection(TNamedItem::StaticClass());
    TNamedItem* a = AddNamed(collection, L"a");
    AddNamed(collection, L"b");
    static_cast<TNamedItem*>(collection.Insert(1))->Text = L"c";
    EXPECT_EQ(Texts(collection), L"acb");
    EXPECT_EQ(a->Collection(), &collection);
    EXPECT_EQ(a->GetOwner(), &collection);
    EXPECT_EQ(collection.Items(2)->Index(), 2);

    a->SetIndex(2);
    EXPECT_EQ(Texts(collection), L"cba");
    EXPECT_THROW(a->SetIndex(3), EListError);

    collection.Delete(0);
    EXPECT_EQ(Texts(collection), L"ba");
    EXPECT_EQ(TNamedItem::Alive, 2);
    EXPECT_THROW(collection.Items(2), EListError);
    EXPECT_THROW(collection.Insert(3), EListError);

    // Freeing an item takes it out of its collection.
    delete collection.Items(0);
    EXPECT_EQ(Texts(collection), L"a");
  }
  EXPECT_EQ(TNamedItem::Alive, 0);
}

TEST(Collection, IdentifiersStayUniqueAfterDeletion) {
  TCollection collection(TNamedItem::StaticClass());
  int firstId = collection.Add()->ID();
  TCollectionItem* second = collection.Add();
  collection.Delete(0);
  TCollectionItem* third = collection.Add();
  EXPECT_NE(third->ID(), second->ID());
  EXPECT_NE(third->ID(), firstId);
  EXPECT_EQ(collection.FindItemID(second->ID()), second);
  EXPECT_EQ(collection.FindItemID(firstId), nullptr);
}

TEST(Collection, AssignCopiesItemsAndMovingChangesOwnership) {
  TCollection source(TNamedItem::StaticClass());
  AddNamed(source, L"x");
  AddNamed(source, L"y");
  TCollection copy(TNamedItem::StaticClass());
  AddNamed(copy, L"old");
  copy.Assign(&source);
  EXPECT_EQ(Texts(copy), L"xy");
  EXPECT_NE(copy.Items(0), source.Items(0));
  EXPECT_THROW(copy.Assign(copy.Items(0)), EConvertError);

  TCollectionItem* moved = source.Items(0);
  moved->SetCollection(&copy);
  EXPECT_EQ(Texts(source), L"y");
  EXPECT_EQ(Texts(copy), L"xyx");
  moved->SetCollection(nullptr);
  EXPECT_EQ(moved->Index(), -1);
  delete moved;
}

TEST(Collection, NeedsAConcreteItemClass) {
  EXPECT_THROW(TCollection(TPersistent::StaticClass()).Count(), EInvalidOperation);
}
