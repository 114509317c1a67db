#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "framework/collection.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"
#include "framework/graphics.h"
#include "framework/properties.h"
#include "framework/streams.h"
#include "framework/strings.h"
#include "framework/text_convert.h"

namespace {

std::vector<String>& LoadLog() {
  static std::vector<String> log;
  return log;
}

enum class TFrameStyle { fsFlat, fsRaised, fsSunken };
enum class TFrameOption { foBorder, foShadow, foGrip };
using TFrameOptions = TSet<TFrameOption, 8>;

class TSampleFont : public TPersistent {
  BC_CLASS(TSampleFont, TPersistent)
  const String& Name() const { return name_; }
  void SetName(const String& value) { name_ = value; }
  int Size() const { return size_; }
  void SetSize(int value) { size_ = value; }

  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TSampleFont>;
    static const TPublishedTable table(&inherited::PublishedTable(),
                                       {
                                           P::Text(L"Name", &TSampleFont::Name, &TSampleFont::SetName),
                                           P::Integer(L"Size", &TSampleFont::Size, &TSampleFont::SetSize).Default(8),
                                       });
    return table;
  }

 private:
  String name_;
  int size_ = 8;
};

// A component that sits inside a parent frame and holds child frames: the shape of controls on a form.
class TFrame : public TComponent {
  BC_CLASS(TFrame, TComponent)
  using TComponent::TComponent;
  ~TFrame() override {
    if (parent_) parent_->RemoveChild(this);
    for (TFrame* child : children_) child->parent_ = nullptr;
  }

  TFrame* Parent() const { return parent_; }
  void SetParent(TFrame* parent) {
    if (parent_) parent_->RemoveChild(this);
    parent_ = parent;
    if (parent_) parent_->children_.push_back(this);
  }
  const std::vector<TFrame*>& Children() const { return children_; }

  const String& Caption() const { return caption_; }
  void SetCaption(const String& value) { caption_ = value; }
  int Width() const { return width_; }
  void SetWidth(int value) {
    width_ = value;
    if (!IsLoading()) ++widthChangesOutsideLoading;
  }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { visible_ = value; }
  TFrameStyle Style() const { return style_; }
  void SetStyle(TFrameStyle value) { style_ = value; }
  TFrameOptions Options() const { return options_; }
  void SetOptions(TFrameOptions value) { options_ = value; }
  TColor Color() const { return color_; }
  void SetColor(TColor value) { color_ = value; }
  double Ratio() const { return ratio_; }
  void SetRatio(double value) { ratio_ = value; }
  const std::string& Code() const { return code_; }
  void SetCode(const std::string& value) { code_ = value; }
  TSampleFont* Font() const { return font_.get(); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value) { parentFont_ = value; }
  bool IsFontStored() const { return !parentFont_; }
  TFrame* Buddy() const { return buddy_; }
  void SetBuddy(TFrame* value) {
    buddy_ = value;
    if (value) value->FreeNotification(this);
  }
  int Secret() const { return secret_; }
  void SetSecret(int value) { secret_ = value; }
  const TNotifyEvent& OnClick() const { return onClick_; }
  void SetOnClick(const TNotifyEvent& value) { onClick_ = value; }

  std::vector<uint8_t> Data;
  std::vector<String> Lines;
  int widthChangesOutsideLoading = 0;
  bool buddyKnownAtLoaded = false;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override { return parent_; }
  void SetParentComponent(TComponent* value) override { SetParent(ObjectAs<TFrame>(value)); }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override {
    (void)root;
    for (TFrame* child : children_) proc(child);
  }

  TRaised Loaded() override {
    EXPECT_TRUE(IsLoading());
    buddyKnownAtLoaded = buddy_ != nullptr;
    LoadLog().push_back(Name());
    return TComponent::Loaded();
  }

  void DefineProperties(TFiler& filer) override {
    // The same layout as a stored file block: the size as 4 little-endian bytes, then the bytes.
    filer.DefineBinaryProperty(
        L"FileData",
        [this](TStream& stream) {
          uint32_t size = 0;
          stream.ReadBuffer(&size, 4);
          Data.resize(size);
          if (size) stream.ReadBuffer(Data.data(), static_cast<int32_t>(size));
        },
        [this](TStream& stream) {
          auto size = static_cast<uint32_t>(Data.size());
          stream.WriteBuffer(&size, 4);
          if (size) stream.WriteBuffer(Data.data(), static_cast<int32_t>(size));
        },
        true);
    filer.DefineProperty(
        L"Lines",
        [this](TReader& reader) {
          Lines.clear();
          reader.ReadListBegin();
          while (!reader.EndOfList()) Lines.push_back(reader.ReadString());
          reader.ReadListEnd();
        },
        [this](TWriter& writer) {
          writer.WriteListBegin();
          for (const String& line : Lines) writer.WriteString(line);
          writer.WriteListEnd();
        },
        !Lines.empty());
  }

  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TFrame>;
    static const TPublishedTable table(
        &inherited::PublishedTable(),
        {
            P::Text(L"Caption", &TFrame::Caption, &TFrame::SetCaption),
            P::Integer(L"Width", &TFrame::Width, &TFrame::SetWidth).Default(100),
            P::Boolean(L"Visible", &TFrame::Visible, &TFrame::SetVisible).Default(true),
            P::Enumeration(L"Style", &TFrame::Style, &TFrame::SetStyle, {L"fsFlat", L"fsRaised", L"fsSunken"})
                .Default(TFrameStyle::fsFlat),
            P::Set(L"Options", &TFrame::Options, &TFrame::SetOptions, {L"foBorder", L"foShadow", L"foGrip"})
                .Default({TFrameOption::foBorder}),
            P::Color(L"Color", &TFrame::Color, &TFrame::SetColor).Default(clBtnFace),
            P::Float(L"Ratio", &TFrame::Ratio, &TFrame::SetRatio).Default(1.0),
            P::Text(L"Code", &TFrame::Code, &TFrame::SetCode),
            P::Boolean(L"ParentFont", &TFrame::ParentFont, &TFrame::SetParentFont).Default(false),
            P::Object(L"Font", &TFrame::Font).Stored(&TFrame::IsFontStored),
            P::Component(L"Buddy", &TFrame::Buddy, &TFrame::SetBuddy),
            P::Integer(L"Secret", &TFrame::Secret, &TFrame::SetSecret).Stored(false),
            P::Event(L"OnClick", &TFrame::OnClick, &TFrame::SetOnClick),
        });
    return table;
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == buddy_) buddy_ = nullptr;
  }

 private:
  void RemoveChild(TFrame* child) {
    children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
  }

  TFrame* parent_ = nullptr;
  std::vector<TFrame*> children_;
  String caption_;
  int width_ = 100;
  bool visible_ = true;
  TFrameStyle style_ = TFrameStyle::fsFlat;
  TFrameOptions options_{TFrameOption::foBorder};
  TColor color_ = clBtnFace;
  double ratio_ = 1.0;
  std::string code_;
  std::unique_ptr<TSampleFont> font_ = std::make_unique<TSampleFont>();
  bool parentFont_ = false;
  TFrame* buddy_ = nullptr;
  int secret_ = 0;
  TNotifyEvent onClick_;
};

// A component without a parent: the form stores it directly under the root.
class TCounter : public TComponent {
  BC_CLASS(TCounter, TComponent)
  using TComponent::TComponent;
  int Step() const { return step_; }
  void SetStep(int value) { step_ = value; }
  TRaised Loaded() override {
    LoadLog().push_back(Name());
    return TComponent::Loaded();
  }
  // "Flags", a set kept by hand, and "OldStep", a value older forms hold that is read but never written.
  std::vector<String> Flags;
  void DefineProperties(TFiler& filer) override {
    filer.DefineProperty(
        L"Flags", [this](TReader& reader) { Flags = reader.ReadSet(); },
        [this](TWriter& writer) { writer.WriteSet(Flags); }, !Flags.empty());
    filer.DefineProperty(
        L"OldStep", [this](TReader& reader) { step_ = reader.ReadInteger(); }, nullptr, false);
  }
  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TCounter>;
    static const TPublishedTable table(&inherited::PublishedTable(),
                                       {P::Integer(L"Step", &TCounter::Step, &TCounter::SetStep).Default(1)});
    return table;
  }

 private:
  int step_ = 1;
};

class TColumn : public TCollectionItem {
  BC_CLASS(TColumn, TCollectionItem)
  explicit TColumn(TCollection* collection = nullptr) : TCollectionItem(collection) {}
  int Width() const { return width_; }
  void SetWidth(int value) { width_ = value; }
  const String& Text() const { return text_; }
  void SetText(const String& value) { text_ = value; }
  const TNotifyEvent& OnClick() const { return onClick_; }
  void SetOnClick(const TNotifyEvent& value) { onClick_ = value; }
  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TColumn>;
    static const TPublishedTable table(&inherited::PublishedTable(),
                                       {
                                           P::Integer(L"Width", &TColumn::Width, &TColumn::SetWidth).Default(50),
                                           P::Text(L"Text", &TColumn::Text, &TColumn::SetText),
                                           P::Event(L"OnClick", &TColumn::OnClick, &TColumn::SetOnClick),
                                       });
    return table;
  }

 private:
  int width_ = 50;
  String text_;
  TNotifyEvent onClick_;
};

// A component whose Loaded fails.
class TBrokenLoad : public TComponent {
  BC_CLASS(TBrokenLoad, TComponent)
  using TComponent::TComponent;
  TRaised Loaded() override {
    EXPECT_TRUE(TComponent::Loaded().Alive());
    throw EInvalidOperation(L"cannot start");
  }
};

// A component with a collection and a string list, which start with content of their own.
class TGrid : public TComponent {
  BC_CLASS(TGrid, TComponent)
  explicit TGrid(TComponent* owner = nullptr) : TComponent(owner) {
    columns_.Add();
    items_.Add(L"made by the constructor");
  }
  TCollection* Columns() const { return &columns_; }
  TStringList* Items() const { return &items_; }
  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TGrid>;
    static const TPublishedTable table(&inherited::PublishedTable(),
                                       {P::Object(L"Columns", &TGrid::Columns), P::Object(L"Items", &TGrid::Items)});
    return table;
  }

 private:
  mutable TCollection columns_{TColumn::StaticClass(), this};
  mutable TStringList items_;
};

// The root: a form that holds frames and counters and publishes the methods its events name.
class TSampleForm : public TFrame {
  BC_CLASS(TSampleForm, TFrame)
  using TFrame::TFrame;
  void FrameClick(TObject* sender) { clicked = sender; }
  void OtherClick(TObject*) {}
  void Changed(TObject*, int) {}
  TObject* clicked = nullptr;

  bool HasParent() const override { return false; }
  void GetChildren(const TGetChildProc& proc, TComponent* root) override {
    TFrame::GetChildren(proc, root);
    for (int i = 0; i < ComponentCount(); ++i)
      if (!Components(i)->HasParent()) proc(Components(i));
  }

  const TPublishedTable& PublishedTable() const override {
    using P = TPublished<TSampleForm>;
    static const TPublishedTable table(&inherited::PublishedTable(), {},
                                       {
                                           P::Method(L"FrameClick", &TSampleForm::FrameClick),
                                           P::Method(L"OtherClick", &TSampleForm::OtherClick),
                                           P::Method(L"Changed", &TSampleForm::Changed),
                                       });
    return table;
  }
};

class FormStreaming : public testing::Test {
 protected:
  void SetUp() override {
    for (const TClass* cls : kClasses) RegisterPersistentClass(cls);
    LoadLog().clear();
  }
  void TearDown() override {
    for (const TClass* cls : kClasses) UnregisterPersistentClass(cls);
  }

  // Form1 { Panel1 { Inner1, Inner2 }, Panel2 }, Counter1; every kind of value is set somewhere.
  static std::unique_ptr<TSampleForm> BuildForm() {
    auto form = std::make_unique<TSampleForm>();
    form->SetName(L"Form1");
    form->SetCaption(L"Main 'form'");
    auto panel1 = new TFrame(form.get());
    panel1->SetName(L"Panel1");
    panel1->SetParent(form.get());
    panel1->SetWidth(250);
    panel1->SetStyle(TFrameStyle::fsSunken);
    panel1->SetOptions({TFrameOption::foShadow, TFrameOption::foGrip});
    panel1->SetColor(clWindow);
    panel1->SetRatio(0.1);
    panel1->Font()->SetName(L"Tahoma");
    panel1->Font()->SetSize(11);
    panel1->SetSecret(42);
    panel1->SetOnClick(TNotifyEvent(form.get(), &TSampleForm::FrameClick));
    panel1->Data = {0xCA, 0xFE, 0x00, 0x01};
    panel1->Lines = {L"first", L"", L"it's"};
    auto inner1 = new TFrame(form.get());
    inner1->SetName(L"Inner1");
    inner1->SetParent(panel1);
    inner1->SetCaption(L"tab\there \u00e9\U0001F600 " + String(1, wchar_t(0xD800)) + L"x");
    inner1->SetCode(std::string("\x01\xff\x80z", 4));
    inner1->SetColor(0x00123456);
    inner1->SetVisible(false);
    auto inner2 = new TFrame(form.get());
    inner2->SetName(L"Inner2");
    inner2->SetParent(panel1);
    inner2->SetParentFont(true);
    inner2->Font()->SetName(L"Not stored");
    inner2->SetRatio(-1.25e-300);
    inner2->SetOnClick(TNotifyEvent(form.get(), &TSampleForm::FrameClick));
    auto panel2 = new TFrame(form.get());
    panel2->SetName(L"Panel2");
    panel2->SetParent(form.get());
    panel2->SetOptions({});
    auto counter = new TCounter(form.get());
    counter->SetName(L"Counter1");
    counter->SetStep(5);
    // A reference forward to a component read later, and one back to the root.
    inner1->SetBuddy(panel2);
    panel2->SetBuddy(form.get());
    return form;
  }

  static inline const TClass* kClasses[] = {TFrame::StaticClass(), TCounter::StaticClass(), TGrid::StaticClass(),
                                            TBrokenLoad::StaticClass(), TSampleForm::StaticClass()};
};

TEST_F(FormStreaming, WritesNestedObjectsAndOnlyValuesThatDifferFromTheirDefaults) {
  auto form = BuildForm();
  String text = ComponentToText(form.get());
  const wchar_t* expected =
      L"object Form1: TSampleForm\r\n"
      L"  Caption = 'Main ''form'''\r\n"
      L"  FileData = {\r\n"
      L"    00000000}\r\n"
      L"  object Panel1: TFrame\r\n"
      L"    Width = 250\r\n"
      L"    Style = fsSunken\r\n"
      L"    Options = [foShadow, foGrip]\r\n"
      L"    Color = clWindow\r\n"
      L"    Ratio = 0.1\r\n"
      L"    Font.Name = 'Tahoma'\r\n"
      L"    Font.Size = 11\r\n"
      L"    OnClick = FrameClick\r\n"
      L"    FileData = {\r\n"
      L"      04000000CAFE0001}\r\n"
      L"    Lines = (\r\n"
      L"      'first'\r\n"
      L"      ''\r\n"
      L"      'it''s')\r\n"
      L"    object Inner1: TFrame\r\n"
      L"      Caption = 'tab'#9'here \u00e9\U0001F600 '#55296'x'\r\n"
      L"      Visible = False\r\n"
      L"      Color = $00123456\r\n"
      L"      Code = #1'\u00ff\u0080z'\r\n"
      L"      Buddy = Panel2\r\n"
      L"      FileData = {\r\n"
      L"        00000000}\r\n"
      L"    end\r\n"
      L"    object Inner2: TFrame\r\n"
      L"      Ratio = -1.25e-300\r\n"
      L"      ParentFont = True\r\n"
      L"      OnClick = FrameClick\r\n"
      L"      FileData = {\r\n"
      L"        00000000}\r\n"
      L"    end\r\n"
      L"  end\r\n"
      L"  object Panel2: TFrame\r\n"
      L"    Options = []\r\n"
      L"    Buddy = Form1\r\n"
      L"    FileData = {\r\n"
      L"      00000000}\r\n"
      L"  end\r\n"
      L"  object Counter1: TCounter\r\n"
      L"    Step = 5\r\n"
      L"  end\r\n"
      L"end";
  EXPECT_EQ(text, expected);
}

TEST_F(FormStreaming, ReadsBackIntoFreshObjectsWithEveryValue) {
  auto original = BuildForm();
  String text = ComponentToText(original.get());

  TSampleForm form;
  ASSERT_EQ(ReadComponentFromText(text, &form), &form);
  EXPECT_EQ(form.Name(), L"Form1");
  EXPECT_EQ(form.Caption(), L"Main 'form'");
  ASSERT_EQ(form.ComponentCount(), 5);
  auto panel1 = ObjectAs<TFrame>(form.FindComponent(L"Panel1"));
  auto inner1 = ObjectAs<TFrame>(form.FindComponent(L"Inner1"));
  auto inner2 = ObjectAs<TFrame>(form.FindComponent(L"Inner2"));
  auto panel2 = ObjectAs<TFrame>(form.FindComponent(L"Panel2"));
  auto counter = ObjectAs<TCounter>(form.FindComponent(L"Counter1"));
  ASSERT_TRUE(panel1 && inner1 && inner2 && panel2 && counter);
  EXPECT_EQ(form.Children(), (std::vector<TFrame*>{panel1, panel2}));
  EXPECT_EQ(panel1->Children(), (std::vector<TFrame*>{inner1, inner2}));

  EXPECT_EQ(panel1->Width(), 250);
  EXPECT_EQ(panel1->Style(), TFrameStyle::fsSunken);
  EXPECT_EQ(panel1->Options(), (TFrameOptions{TFrameOption::foShadow, TFrameOption::foGrip}));
  EXPECT_EQ(panel1->Color(), clWindow);
  EXPECT_EQ(panel1->Ratio(), 0.1);
  EXPECT_EQ(panel1->Font()->Name(), L"Tahoma");
  EXPECT_EQ(panel1->Font()->Size(), 11);
  EXPECT_EQ(panel1->Secret(), 0) << "stored=false is not written";
  EXPECT_TRUE(panel1->OnClick() == TNotifyEvent(&form, &TSampleForm::FrameClick));
  EXPECT_EQ(panel1->Data, (std::vector<uint8_t>{0xCA, 0xFE, 0x00, 0x01}));
  EXPECT_EQ(panel1->Lines, (std::vector<String>{L"first", L"", L"it's"}));
  EXPECT_EQ(inner1->Caption(), ObjectAs<TFrame>(original->FindComponent(L"Inner1"))->Caption());
  EXPECT_EQ(inner1->Code(), std::string("\x01\xff\x80z", 4));
  EXPECT_EQ(inner1->Color(), 0x00123456);
  EXPECT_FALSE(inner1->Visible());
  EXPECT_EQ(inner1->Buddy(), panel2);
  EXPECT_EQ(inner2->Ratio(), -1.25e-300);
  EXPECT_EQ(inner2->Font()->Name(), L"") << "a sub-object whose stored rule says no is not written";
  EXPECT_EQ(panel2->Options(), TFrameOptions{});
  EXPECT_EQ(panel2->Buddy(), &form);
  EXPECT_EQ(counter->Step(), 5);
  EXPECT_EQ(panel1->widthChangesOutsideLoading, 0) << "properties are set while the component is loading";

  // The strongest comparison: the read form writes the same text again.
  EXPECT_EQ(ComponentToText(&form), text);
  panel1->OnClick()(panel1);
  EXPECT_EQ(form.clicked, panel1);
}

TEST_F(FormStreaming, CallsLoadedOnceForEveryComponentAfterTheWholeFormInReadingOrder) {
  auto original = BuildForm();
  String text = ComponentToText(original.get());
  LoadLog().clear();
  TSampleForm form;
  ReadComponentFromText(text, &form);
  EXPECT_EQ(LoadLog(), (std::vector<String>{L"Form1", L"Panel1", L"Inner1", L"Inner2", L"Panel2", L"Counter1"}));
  EXPECT_TRUE(ObjectAs<TFrame>(form.FindComponent(L"Inner1"))->buddyKnownAtLoaded)
      << "a reference to a component read later is linked before Loaded";
  for (int i = 0; i < form.ComponentCount(); ++i) {
    EXPECT_FALSE(form.Components(i)->ComponentState().Contains(TComponentStateItem::csLoading));
    EXPECT_FALSE(form.Components(i)->ComponentState().Contains(TComponentStateItem::csReading));
  }
  EXPECT_FALSE(form.IsLoading());
}

TEST_F(FormStreaming, DefinedValuesMayBeSetsOrReadOnly) {
  TSampleForm form;
  ReadComponentFromText(
      L"object Form1: TSampleForm\n  object C: TCounter\n    OldStep = 9\n    Flags = [first, "
      L"Second]\n  end\nend",
      &form);
  auto counter = ObjectAs<TCounter>(form.FindComponent(L"C"));
  ASSERT_NE(counter, nullptr);
  EXPECT_EQ(counter->Step(), 9);
  EXPECT_EQ(counter->Flags, (std::vector<String>{L"first", L"Second"}));
  EXPECT_NE(ComponentToText(&form).find(L"    Step = 9\r\n    Flags = [first, Second]\r\n  end"), String::npos)
      << WideToUtf8(ComponentToText(&form));
  EXPECT_EQ(ComponentToText(&form).find(L"OldStep"), String::npos);
}

TEST_F(FormStreaming, AFailingLoadedLeavesNoComponentLoading) {
  TSampleForm form;
  EXPECT_THROW(ReadComponentFromText(L"object Form1: TSampleForm\n  object B: TBrokenLoad\n  end\n  object C: "
                                     L"TCounter\n  end\nend",
                                     &form),
               EReadError);
  ASSERT_EQ(form.ComponentCount(), 2);
  for (int i = 0; i < form.ComponentCount(); ++i)
    EXPECT_TRUE(form.Components(i)->ComponentState().Empty()) << WideToUtf8(form.Components(i)->Name());
  EXPECT_TRUE(form.ComponentState().Empty());
}

TEST_F(FormStreaming, StreamsCreateTheRootAndFillComponentsTheRootAlreadyHas) {
  auto original = BuildForm();
  TMemoryStream stream;
  WriteComponent(stream, original.get());
  stream.SetPosition(0);
  std::unique_ptr<TComponent> created(ReadComponent(stream, nullptr));
  ASSERT_TRUE(created && created->Is<TSampleForm>());
  EXPECT_EQ(created->Name(), L"Form1");
  EXPECT_EQ(created->ComponentCount(), 5);

  // A component the form made itself under a stored name is filled, not created twice.
  TSampleForm form;
  auto counter = new TCounter(&form);
  counter->SetName(L"Counter1");
  stream.SetPosition(0);
  ReadComponent(stream, &form);
  EXPECT_EQ(form.FindComponent(L"Counter1"), counter);
  EXPECT_EQ(counter->Step(), 5);
  EXPECT_EQ(form.ComponentCount(), 5);
}

TEST_F(FormStreaming, CollectionsAndStringListsAreReplacedWhole) {
  TSampleForm original;
  original.SetName(L"Form1");
  auto grid = new TGrid(&original);
  grid->SetName(L"Grid1");
  static_cast<TColumn*>(grid->Columns()->Items(0))->SetText(L"Name");
  auto second = static_cast<TColumn*>(grid->Columns()->Add());
  second->SetWidth(120);
  second->SetOnClick(TNotifyEvent(&original, &TSampleForm::FrameClick));
  grid->Items()->Clear();
  grid->Items()->Add(L"one");
  grid->Items()->Add(L"two");
  String text = ComponentToText(&original);
  EXPECT_NE(text.find(L"  object Grid1: TGrid\r\n"
                      L"    Columns = <\r\n"
                      L"      item\r\n"
                      L"        Text = 'Name'\r\n"
                      L"      end\r\n"
                      L"      item\r\n"
                      L"        Width = 120\r\n"
                      L"        OnClick = FrameClick\r\n"
                      L"      end>\r\n"
                      L"    Items.Strings = (\r\n"
                      L"      'one'\r\n"
                      L"      'two')\r\n"
                      L"  end\r\n"),
            String::npos)
      << WideToUtf8(text);

  TSampleForm form;
  ReadComponentFromText(text, &form);
  auto read = ObjectAs<TGrid>(form.FindComponent(L"Grid1"));
  ASSERT_NE(read, nullptr);
  ASSERT_EQ(read->Columns()->Count(), 2) << "the constructor's column is replaced, not kept";
  EXPECT_EQ(static_cast<TColumn*>(read->Columns()->Items(0))->Text(), L"Name");
  EXPECT_EQ(static_cast<TColumn*>(read->Columns()->Items(1))->Width(), 120);
  EXPECT_TRUE(static_cast<TColumn*>(read->Columns()->Items(1))->OnClick() ==
              TNotifyEvent(&form, &TSampleForm::FrameClick));
  EXPECT_EQ(read->Items()->Text(), L"one\r\ntwo\r\n");
  EXPECT_EQ(ComponentToText(&form), text);

  TSampleForm broken;
  try {
    ReadComponentFromText(
        L"object Form1: TSampleForm\n  object G: TGrid\n    Columns = <\n      item\n      end\n"
        L"      item\n        Bogus = 1\n      end>\n  end\nend",
        &broken);
    ADD_FAILURE() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), L"Error reading G.Columns[1].Bogus: property Bogus does not exist (line 7)");
  }
}

TEST_F(FormStreaming, ReadsFormsFromProgramResources) {
  TSampleForm form;
  ReadComponentRes(L"SAMPLEFORM", &form);
  auto panel = ObjectAs<TFrame>(form.FindComponent(L"Panel1"));
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->Width(), 77);
  EXPECT_EQ(panel->Caption(), L"from a resource");
  EXPECT_THROW(ReadComponentRes(L"NOSUCHFORM", &form), EResNotFound);
}

struct BadForm {
  const wchar_t* text;
  const wchar_t* message;
};

TEST_F(FormStreaming, ReadingErrorsNameThePlaceAndUndoTheRead) {
  const BadForm cases[] = {
      {L"object Form1: TSampleForm\n  object X: TNope\n  end\nend", L"Error reading X: class TNope not found (line 2)"},
      {L"object Form1: TSampleForm\n  object Panel1: TFrame\n    Bogus = 1\n  end\nend",
       L"Error reading Panel1.Bogus: property Bogus does not exist (line 3)"},
      {L"object Form1: TSampleForm\n  Font.Bogus = 1\nend",
       L"Error reading Form1.Font.Bogus: property Bogus does not exist (line 2)"},
      {L"object Form1: TSampleForm\n  Style = fsWavy\nend",
       L"Error reading Form1.Style: invalid value fsWavy (line 2)"},
      {L"object Form1: TSampleForm\n  Width = 'wide'\nend", L"Error reading Form1.Width: integer expected (line 2)"},
      {L"object Form1: TSampleForm\n  Width = 9999999999\nend",
       L"Error reading Form1.Width: value out of range (line 2)"},
      {L"object Form1: TSampleForm\n  Options = [foBorder foGrip]\nend",
       L"Error reading Form1.Options: ',' or ']' expected (line 2)"},
      {L"object Form1: TSampleForm\n  object P: TFrame\n    Buddy = Nobody\n  end\nend",
       L"Error reading P.Buddy: component Nobody not found (line 3)"},
      {L"object Form1: TSampleForm\n  object P: TFrame\n    Buddy = C\n  end\n  object C: TCounter\n  end\nend",
       L"Error reading P.Buddy: C is a TCounter, which the property cannot hold (line 3)"},
      {L"object Form1: TSampleForm\n  OnClick = Missing\nend",
       L"Error reading Form1.OnClick: method Missing not found in TSampleForm (line 2)"},
      {L"object Form1: TSampleForm\n  OnClick = Changed\nend",
       L"Error reading Form1.OnClick: method Changed does not fit event OnClick (line 2)"},
      {L"object Form1: TSampleForm\n  FileData = 5\nend",
       L"Error reading Form1.FileData: binary value expected (line 2)"},
      {L"object Form1: TSampleForm\n  Caption = 'open\nend", L"Error reading form: unterminated string (line 2)"},
      {L"object Form1: TSampleForm\n  object A: TFrame\n  end\n  object A: TFrame\n  end\nend",
       L"Error reading A: A component named A already exists (line 4)"},
      {L"object Form1: TCounter\nend",
       L"Error reading form: the form holds a TCounter, which a TSampleForm is not (line 1)"},
      {L"object Form1: TSampleForm\n  Width = 5\n", L"Error reading Form1: 'end' expected (line 3)"},
  };
  for (const BadForm& bad : cases) {
    TSampleForm form;
    auto kept = new TCounter(&form);
    try {
      ReadComponentFromText(bad.text, &form);
      ADD_FAILURE() << "no error for: " << WideToUtf8(bad.text);
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), bad.message);
    }
    EXPECT_EQ(form.ComponentCount(), 1) << "components made by a failed read are freed";
    EXPECT_EQ(form.Components(0), kept);
    EXPECT_FALSE(form.IsLoading());
    EXPECT_TRUE(LoadLog().empty()) << "no Loaded after a failed read";
  }
}

}  // namespace
