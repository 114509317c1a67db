#include "controls/text_holder.h"

#include <gtest/gtest.h>

#include "framework/properties.h"

using namespace controls;

TEST(TextHolder, AssigningCopiesTheLinesNotTheList) {
  TComponent owner(nullptr);
  auto* holder = new TTextHolder(&owner);
  TStringList source;
  TObject marker;
  source.AddObject(L"<html>%URL%", &marker);
  source.Add(L"%ERR%</html>");
  holder->SetStrings(&source);

  ASSERT_EQ(holder->Strings()->Count(), 2);
  EXPECT_EQ(holder->Strings()->Strings(0), L"<html>%URL%");
  EXPECT_EQ(holder->Strings()->Strings(1), L"%ERR%</html>");
  EXPECT_EQ(holder->Strings()->Objects(0), nullptr) << "objects attached to lines are not copied";
  EXPECT_NE(holder->Strings(), static_cast<TStrings*>(&source));

  source.SetStrings(0, L"changed");
  EXPECT_EQ(holder->Strings()->Strings(0), L"<html>%URL%") << "the holder keeps its own lines";

  holder->SetStrings(&source);
  holder->Strings()->Add(L"more");
  EXPECT_EQ(source.Count(), 2);
  EXPECT_EQ(holder->Strings()->Count(), 3);

  const TPropertyInfo* property = holder->PublishedTable().FindProperty(L"Strings");
  ASSERT_NE(property, nullptr);
  EXPECT_EQ(property->Kind(), TPropertyKind::pkPersistent);
}
