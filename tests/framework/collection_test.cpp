#include <gtest/gtest.h>

#include "framework/collection.h"
#include "framework/exceptions.h"

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
