// The form reader against damaged and hostile texts: every fault is an EReadError, nesting is bounded, pending
// references die with the items that held them, and every finite number travels exactly.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "framework/collection.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/properties.h"
#include "framework/text_convert.h"
#include "support/hostile_input.h"

namespace {

// An item that may hold items of its own, so that collections can nest.
class TProbeColumn : public TCollectionItem {
  BC_CLASS(TProbeColumn, TCollectionItem)
  explicit TProbeColumn(TCollection* collection = nullptr) : TCollectionItem(collection) {}
  int Width() const { return width_; }
  void SetWidth(int value) { width_ = value; }
  const TNotifyEvent& OnClick() const { return onClick_; }
  void SetOnClick(const TNotifyEvent& value) { onClick_ = value; }
  TCollection* Sub() const { return &sub_; }
  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TProbeColumn>;
    static const TPublishedTable table(&inherited::PublishedTable(),
                                       {
                                           P::Integer(L"Width", &TProbeColumn::Width, &TProbeColumn::SetWidth),
                                           P::Event(L"OnClick", &TProbeColumn::OnClick, &TProbeColumn::SetOnClick),
                                           P::Object(L"Sub", &TProbeColumn::Sub),
                                       });
    return table;
  }

 private:
  int width_ = 0;
  TNotifyEvent onClick_;
  mutable TCollection sub_{TProbeColumn::StaticClass(), this};
};

// A component nested in another, with a value of every kind the reader turns into numbers.
class TProbeNode : public TComponent {
  BC_CLASS(TProbeNode, TComponent)
  using TComponent::TComponent;
  ~TProbeNode() override {
    for (TProbeNode* child : children_) child->parent_ = nullptr;
    if (parent_) std::erase(parent_->children_, this);
  }
  float Narrow() const { return narrow_; }
  void SetNarrow(float value) { narrow_ = value; }
  double Wide() const { return wide_; }
  void SetWide(double value) { wide_ = value; }
  long double Long() const { return long_; }
  void SetLong(long double value) { long_ = value; }
  const String& Caption() const { return caption_; }
  void SetCaption(const String& value) { caption_ = value; }
  TProbeNode* Buddy() const { return buddy_; }
  void SetBuddy(TProbeNode* value) {
    buddy_ = value;
    if (value) value->FreeNotification(this);
  }
  TCollection* Columns() const { return &columns_; }
  std::string Data;

  bool HasParent() const override { return parent_ != nullptr; }
  TComponent* GetParentComponent() const override { return parent_; }
  void SetParentComponent(TComponent* value) override {
    if (parent_) std::erase(parent_->children_, this);
    parent_ = ObjectAs<TProbeNode>(value);
    if (parent_) parent_->children_.push_back(this);
  }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override {
    (void)root;
    for (TProbeNode* child : children_) proc(child);
  }
  void DefineProperties(TFiler& filer) override {
    filer.DefineBinaryProperty(
        L"Data", [this](TStream& stream) { Data = ReadToEnd(stream); },
        [this](TStream& stream) { stream.WriteBuffer(Data.data(), static_cast<int32_t>(Data.size())); }, !Data.empty());
  }
  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TProbeNode>;
    static const TPublishedTable table(&inherited::PublishedTable(),
                                       {
                                           P::Float(L"Narrow", &TProbeNode::Narrow, &TProbeNode::SetNarrow),
                                           P::Float(L"Wide", &TProbeNode::Wide, &TProbeNode::SetWide),
                                           P::Float(L"Long", &TProbeNode::Long, &TProbeNode::SetLong),
                                           P::Text(L"Caption", &TProbeNode::Caption, &TProbeNode::SetCaption),
                                           P::Component(L"Buddy", &TProbeNode::Buddy, &TProbeNode::SetBuddy),
                                           P::Object(L"Columns", &TProbeNode::Columns),
                                       });
    return table;
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == buddy_) buddy_ = nullptr;
  }

 private:
  TProbeNode* parent_ = nullptr;
  std::vector<TProbeNode*> children_;
  float narrow_ = 0;
  double wide_ = 0;
  long double long_ = 0;
  String caption_;
  TProbeNode* buddy_ = nullptr;
  mutable TCollection columns_{TProbeColumn::StaticClass(), this};
};

class TProbeForm : public TProbeNode {
  BC_CLASS(TProbeForm, TProbeNode)
  using TProbeNode::TProbeNode;
  void Click1(TObject*) {}
  void GetChildren(const TGetChildProc& proc, TComponent* root) override {
    TProbeNode::GetChildren(proc, root);
    for (int i = 0; i < ComponentCount(); ++i)
      if (!Components(i)->HasParent()) proc(Components(i));
  }
  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TProbeForm>;
    static const TPublishedTable table(&inherited::PublishedTable(), {}, {P::Method(L"Click1", &TProbeForm::Click1)});
    return table;
  }
};

String Repeated(const String& text, int count) {
  String result;
  for (int i = 0; i < count; ++i) result += text;
  return result;
}

// A form of every value kind: nested nodes, nested collections with events, references, odd text and bytes.
std::string SampleForm() {
  TProbeForm form;
  form.SetName(L"F");
  form.SetWide(0.1);
  form.SetCaption(L"it's\r\n#1 \u00e9\u4e2d");
  auto* column = static_cast<TProbeColumn*>(form.Columns()->Add());
  column->SetWidth(-7);
  column->SetOnClick(TNotifyEvent(&form, &TProbeForm::Click1));
  static_cast<TProbeColumn*>(column->Sub()->Add())->SetWidth(3);
  auto* outer = new TProbeNode(&form);
  outer->SetName(L"Outer");
  outer->SetParentComponent(&form);
  outer->SetNarrow(2.5f);
  outer->Data = std::string("\x00\x01\xFE\xFF", 4);
  auto* inner = new TProbeNode(&form);
  inner->SetName(L"Inner");
  inner->SetParentComponent(outer);
  inner->SetBuddy(outer);
  inner->SetWide(-1e300);
  TMemoryStream stream;
  WriteComponent(stream, &form);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

class FormReadingHostility : public testing::Test {
 protected:
  void SetUp() override {
    for (const TClass* cls : kClasses) RegisterPersistentClass(cls);
  }
  void TearDown() override {
    for (const TClass* cls : kClasses) UnregisterPersistentClass(cls);
  }
  static inline const TClass* kClasses[] = {TProbeForm::StaticClass(), TProbeNode::StaticClass()};
};

}  // namespace

// What the reader would refuse is not written: objects and collection items nested as deep as it reads write and
// read back, one level more is refused with the writer's error, and 10,000 levels neither of them recurse into.
TEST_F(FormReadingHostility, NestingTheReaderRefusesIsNotWritten) {
  struct Case {
    const char* Name;
    int Levels;
    bool Collections;
  };
  for (const Case& c :
       {Case{"objects as deep as read", MaxFormNesting, false},
        Case{"objects one level deeper", MaxFormNesting + 1, false}, Case{"objects 10,000 deep", 10000, false},
        Case{"collections as deep as read", MaxFormNesting, true},
        Case{"collections one level deeper", MaxFormNesting + 1, true}, Case{"collections 10,000 deep", 10000, true}}) {
    SCOPED_TRACE(c.Name);
    TProbeForm form;
    form.SetName(L"F");
    // The form is one level, each node or collection one more; the deepest holds an empty collection, which is
    // written all the same.
    if (c.Collections) {
      TCollection* columns = form.Columns();
      for (int level = 3; level <= c.Levels; ++level) columns = static_cast<TProbeColumn*>(columns->Add())->Sub();
    } else {
      TProbeNode* parent = &form;
      for (int level = 3; level <= c.Levels; ++level) {
        auto* node = new TProbeNode(&form);
        node->SetParentComponent(parent);
        parent = node;
      }
    }
    if (c.Levels > MaxFormNesting) {
      EXPECT_THROW(ComponentToText(&form), EWriteError);
      continue;
    }
    const String text = ComponentToText(&form);
    TProbeForm read;
    ReadComponentFromText(text, &read);
    EXPECT_EQ(ComponentToText(&read), text);
  }
}

TEST_F(FormReadingHostility, HostileTextsRaiseReadErrors) {
  struct Case {
    const char* Name;
    String Text;
  };
  const Case cases[] = {
      {"objects nested 5,000 deep",
       L"object F: TProbeForm\n" + Repeated(L"object TProbeNode\n", 5000) + Repeated(L"end\n", 5001)},
      {"collection items nested 3,000 deep",
       L"object F: TProbeForm\nColumns = <" + Repeated(L"item Sub = <", 3000) + Repeated(L"end>", 3000) + L" end\n"},
      {"a root name the component refuses", L"object A.B: TProbeForm\nend"},
      {"a child name the component refuses", L"object F: TProbeForm\nobject A.B: TProbeNode\nend\nend"},
      {"a number too large for a float", L"object F: TProbeForm\nNarrow = 1e300\nend"},
      {"a number too large for a double", L"object F: TProbeForm\nWide = 1e309\nend"},
      {"infinity as the writer once wrote it", L"object F: TProbeForm\nWide = inf\nend"},
      {"an integer too large", L"object F: TProbeForm\nColumns = <item Width = 9999999999 end>\nend"},
      {"an unknown class", L"object F: TProbeForm\nobject X: TNoSuchClass\nend\nend"},
      {"a reference to nothing", L"object F: TProbeForm\nBuddy = Nobody\nend"},
      {"an unterminated string", L"object F: TProbeForm\nCaption = 'abc\nend"},
      {"an odd binary value", L"object F: TProbeForm\nData = {ABC}\nend"},
      {"the end missing", L"object F: TProbeForm\nobject N: TProbeNode\n"},
  };
  for (const Case& c : cases) {
    TProbeForm form;
    EXPECT_THROW(ReadComponentFromText(c.Text, &form), EReadError) << c.Name;
    EXPECT_EQ(form.ComponentCount(), 0) << c.Name;
    EXPECT_TRUE(form.ComponentState().Empty()) << c.Name;
  }
}

TEST_F(FormReadingHostility, ReferencesOfItemsThatAReadReplacesAreDropped) {
  // The freed items' memory is unmapped at once: a reference still pending for them would fault.
  TGuardedAllocations guard;
  auto form = std::make_unique<TProbeForm>();
  ReadComponentFromText(L"object F: TProbeForm\n  Columns = <item OnClick = Click1 end>\n  Columns = <>\nend",
                        form.get());
  EXPECT_EQ(form->Columns()->Count(), 0);
  ReadComponentFromText(
      L"object F: TProbeForm\n  Columns = <item Sub = <item OnClick = Click1 end> end>\n"
      L"  Columns = <item OnClick = Click1 end>\nend",
      form.get());
  ASSERT_EQ(form->Columns()->Count(), 1);
  EXPECT_TRUE(static_cast<TProbeColumn*>(form->Columns()->Items(0))->OnClick());
  form.reset();
}

TEST_F(FormReadingHostility, EveryFiniteNumberTravelsAndNoOtherIsWritten) {
  const double numbers[] = {0.0,
                            -0.0,
                            0.1,
                            1e300,
                            -1e300,
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::lowest(),
                            std::numeric_limits<double>::min(),
                            std::numeric_limits<double>::denorm_min(),
                            123456789012345678.0,
                            1.0 / 3.0};
  for (double number : numbers) {
    TProbeForm source;
    source.SetWide(number);
    if (std::fabs(number) <= std::numeric_limits<float>::max()) source.SetNarrow(static_cast<float>(number));
    TProbeForm target;
    ReadComponentFromText(ComponentToText(&source), &target);
    EXPECT_EQ(std::signbit(target.Wide()), std::signbit(number)) << number;
    EXPECT_EQ(target.Wide(), number) << number;
    EXPECT_EQ(target.Narrow(), source.Narrow()) << number;
  }
  for (double number : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN()}) {
    TProbeForm source;
    source.SetWide(number);
    EXPECT_THROW(ComponentToText(&source), EWriteError) << number;
  }
}

// A long double property keeps its value exactly, across the whole range of the compiler's long double (the
// 10-byte extended type here); only what no long double holds is refused, on writing and on reading.
TEST_F(FormReadingHostility, EveryFiniteLongDoubleTravelsExactly) {
  using Limits = std::numeric_limits<long double>;
  const long double numbers[] = {0.1L,
                                 -0.0L,
                                 1e-4000L,
                                 1.0L / 3.0L,
                                 Limits::max(),
                                 Limits::lowest(),
                                 Limits::min(),
                                 Limits::denorm_min(),
                                 12345678901234567890.0L};
  for (long double number : numbers) {
    TProbeForm source;
    source.SetLong(number);
    TProbeForm target;
    ReadComponentFromText(ComponentToText(&source), &target);
    EXPECT_EQ(std::signbit(target.Long()), std::signbit(number)) << static_cast<double>(number);
    EXPECT_EQ(target.Long(), number) << static_cast<double>(number);
  }
  for (long double number : {Limits::infinity(), Limits::quiet_NaN()}) {
    TProbeForm source;
    source.SetLong(number);
    EXPECT_THROW(ComponentToText(&source), EWriteError);
  }
  for (const wchar_t* text :
       {L"object F: TProbeForm\nLong = 1e99999\nend", L"object F: TProbeForm\nLong = 1e-99999\nend",
        L"object F: TProbeForm\nWide = 1e-400\nend"}) {
    TProbeForm form;
    EXPECT_THROW(ReadComponentFromText(text, &form), EReadError) << WideToUtf8(text);
  }
}

// Damaged copies of a form the writer made: the reader raises EReadError or reads them, nothing else; the
// undamaged form reads back as written. The first mutations run with every allocation guarded.
TEST_F(FormReadingHostility, SeededMutationsOfAWrittenFormRaiseOnlyReadErrors) {
  const std::string sample = SampleForm();
  {
    TProbeForm form;
    ReadComponent(*std::make_unique<TGuardedStream>(sample), &form);
    EXPECT_EQ(WideToUtf8(ComponentToText(&form) + L"\r\n"), sample);
  }
  TMutator mutator(5150);
  int refused = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::string damaged = mutator.Mutate(sample);
    TGuardedStream stream(damaged);
    std::unique_ptr<TGuardedAllocations> guard(i < 150 ? new TGuardedAllocations : nullptr);
    TProbeForm form;
    try {
      ReadComponent(stream, &form);
    } catch (const EReadError&) {
      ++refused;
    } catch (const std::exception& e) {
      ADD_FAILURE() << "mutation " << i << ": " << e.what() << "\n" << damaged;
    }
  }
  EXPECT_GT(refused, 1000);
}
