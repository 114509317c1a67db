#include "framework/properties.h"

#include <gtest/gtest.h>

namespace {

enum class TShade { shLight, shMedium, shDark };
using TShades = TSet<TShade, 8>;

class TSample : public TComponent {
  BC_CLASS(TSample, TComponent)
  using TComponent::TComponent;

  int Count() const { return count_; }
  void SetCount(int value) { count_ = value; }
  uint8_t Small() const { return small_; }
  void SetSmall(uint8_t value) { small_ = value; }
  const String& Caption() const { return caption_; }
  void SetCaption(const String& value) { caption_ = value; }
  TShade Shade() const { return shade_; }
  void SetShade(TShade value) { shade_ = value; }
  TShades Shades() const { return shades_; }
  void SetShades(TShades value) { shades_ = value; }
  bool HiddenStored() const { return storeHidden_; }
  void SetStoreHidden(bool value) { storeHidden_ = value; }
  const TNotifyEvent& OnPing() const { return onPing_; }
  void SetOnPing(const TNotifyEvent& value) { onPing_ = value; }

  TNotifyEvent OnPong;

  void Ping(TObject*) {}
  void Pong(TObject*) {}

  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TSample>;
    static const TPublishedTable table(
        &inherited::PublishedTable(),
        {
            P::Integer(L"Count", &TSample::Count, &TSample::SetCount).Default(3),
            P::Integer(L"Small", &TSample::Small, &TSample::SetSmall).Stored(&TSample::HiddenStored),
            P::Text(L"Caption", &TSample::Caption, &TSample::SetCaption),
            P::Enumeration(L"Shade", &TSample::Shade, &TSample::SetShade, {L"shLight", L"shMedium", L"shDark"})
                .Default(TShade::shMedium),
            P::Set(L"Shades", &TSample::Shades, &TSample::SetShades, {L"shLight", L"shMedium", L"shDark"}),
            P::Event(L"OnPing", &TSample::OnPing, &TSample::SetOnPing),
            P::Event(L"OnPong", &TSample::OnPong),
        },
        {P::Method(L"Ping", &TSample::Ping), P::Method(L"Pong", &TSample::Pong)});
    return table;
  }

 private:
  int count_ = 3;
  uint8_t small_ = 0;
  String caption_;
  TShade shade_ = TShade::shMedium;
  TShades shades_;
  bool storeHidden_ = false;
  TNotifyEvent onPing_;
};

// Redeclares Count with another default and adds nothing else.
class TDerivedSample : public TSample {
  BC_CLASS(TDerivedSample, TSample)
  using TSample::TSample;

  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TDerivedSample>;
    static const TPublishedTable table(&inherited::PublishedTable(),
                                       {P::Integer(L"Count", &TSample::Count, &TSample::SetCount).Default(7)});
    return table;
  }
};

std::vector<String> NamesOf(const TPublishedTable& table) {
  std::vector<String> names;
  for (const TPropertyInfo* info : table.Properties()) names.push_back(info->Name());
  return names;
}

TEST(PublishedTables, ChainToTheBaseAndKeepRedeclaredEntriesInPlace) {
  TDerivedSample sample;
  const TPublishedTable& table = sample.PublishedTable();
  EXPECT_EQ(NamesOf(table),
            (std::vector<String>{L"Tag", L"Count", L"Small", L"Caption", L"Shade", L"Shades", L"OnPing", L"OnPong"}));
  ASSERT_NE(table.FindProperty(L"count"), nullptr);
  EXPECT_TRUE(table.FindProperty(L"count")->IsDefault(&sample) == false) << "the derived default is 7, not 3";
  sample.SetCount(7);
  EXPECT_TRUE(table.FindProperty(L"Count")->IsDefault(&sample));
  EXPECT_NE(table.FindProperty(L"tag"), nullptr);
  EXPECT_EQ(table.FindProperty(L"Missing"), nullptr);
}

TEST(PublishedTables, OrdinalsConvertAndCheckTheirRange) {
  TSample sample;
  auto& table = sample.PublishedTable();
  auto& small = static_cast<const TOrdinalPropertyInfo&>(*table.FindProperty(L"Small"));
  EXPECT_TRUE(small.InRange(255));
  EXPECT_FALSE(small.InRange(256));
  EXPECT_FALSE(small.InRange(-1));
  auto& shade = static_cast<const TOrdinalPropertyInfo&>(*table.FindProperty(L"Shade"));
  EXPECT_EQ(shade.Kind(), TPropertyKind::pkEnumeration);
  EXPECT_FALSE(shade.InRange(3));
  shade.SetOrdinal(&sample, 2);
  EXPECT_EQ(sample.Shade(), TShade::shDark);
  EXPECT_FALSE(shade.IsDefault(&sample));
  auto& shades = static_cast<const TOrdinalPropertyInfo&>(*table.FindProperty(L"Shades"));
  EXPECT_TRUE(shades.InRange(7));
  EXPECT_FALSE(shades.InRange(8));
  shades.SetOrdinal(&sample, 5);
  EXPECT_EQ(sample.Shades(), (TShades{TShade::shLight, TShade::shDark}));
  EXPECT_EQ(shades.GetOrdinal(&sample), 5);
}

TEST(PublishedTables, StoredPredicatesAndImplicitDefaults) {
  TSample sample;
  auto& table = sample.PublishedTable();
  EXPECT_FALSE(table.FindProperty(L"Small")->IsStored(&sample));
  sample.SetStoreHidden(true);
  EXPECT_TRUE(table.FindProperty(L"Small")->IsStored(&sample));
  EXPECT_FALSE(table.FindProperty(L"Small")->IsDefault(&sample)) << "no default given: always written";
  EXPECT_TRUE(table.FindProperty(L"Caption")->IsDefault(&sample));
  sample.SetCaption(L"x");
  EXPECT_FALSE(table.FindProperty(L"Caption")->IsDefault(&sample));
}

TEST(PublishedTables, EventsAreNamedAfterTheRootsMethods) {
  TSample root;
  TSample child;
  auto& event = static_cast<const TEventPropertyInfo&>(*child.PublishedTable().FindProperty(L"OnPing"));
  EXPECT_TRUE(event.IsDefault(&child));
  EXPECT_TRUE(event.BindMethod(&child, &root, L"pong"));
  EXPECT_TRUE(child.OnPing() == TNotifyEvent(&root, &TSample::Pong));
  EXPECT_EQ(event.MethodName(&child, &root), L"Pong");
  EXPECT_EQ(event.MethodName(&child, &child), L"") << "bound to another object's method";
  EXPECT_FALSE(event.BindMethod(&child, &root, L"Missing"));
  child.SetOnPing([](TObject*) {});
  EXPECT_EQ(event.MethodName(&child, &root), L"");

  auto& field = static_cast<const TEventPropertyInfo&>(*child.PublishedTable().FindProperty(L"OnPong"));
  EXPECT_TRUE(field.BindMethod(&child, &root, L"Ping"));
  EXPECT_TRUE(child.OnPong == TNotifyEvent(&root, &TSample::Ping));
  EXPECT_EQ(field.MethodName(&child, &root), L"Ping");
}

}  // namespace
