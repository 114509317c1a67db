#include "framework/class_ref.h"

#include <gtest/gtest.h>

#include "framework/exceptions.h"
#include "framework/form_reader.h"
#include "framework/form_writer.h"

namespace {

// A hierarchy whose constructors take a name and a size, as viewers take their item and view.
class TShape : public TObject {
  BC_CLASS(TShape, TObject)
  TShape(const String& name, int size) : Name(name), Size(size) {}
  virtual String Kind() const = 0;
  String Name;
  int Size;
};

class TSquare : public TShape {
  BC_CLASS(TSquare, TShape)
  using TShape::TShape;
  String Kind() const override { return L"square"; }
};

class TBigSquare : public TSquare {
  BC_CLASS(TBigSquare, TSquare)
  TBigSquare(const String& name, int size) : TSquare(name, size * 10) {}
  String Kind() const override { return L"big square"; }
};

using TShapeClass = TClassRef<TShape, const String&, int>;

}  // namespace

TEST(ClassReferences, TypedFactoriesCreateTheClassTheyName) {
  struct Case {
    TShapeClass cls;
    const wchar_t* kind;
    int size;
    bool inheritsSquare;
  };
  const Case cases[] = {
      {TShapeClass::Of<TSquare>(), L"square", 3, true},
      {TShapeClass::Of<TBigSquare>(), L"big square", 30, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << testing::PrintToString(c.cls.Class()->ClassName()));
    std::unique_ptr<TShape> shape = c.cls.Create(L"s", 3);
    EXPECT_EQ(shape->ClassType(), c.cls.Class());
    EXPECT_EQ(shape->Kind(), c.kind);
    EXPECT_EQ(shape->Name, L"s");
    EXPECT_EQ(shape->Size, c.size);
    EXPECT_EQ(c.cls.InheritsFrom<TSquare>(), c.inheritsSquare);
  }
  EXPECT_EQ(TShapeClass::Of<TSquare>(), TShapeClass::Of<TSquare>());
  EXPECT_NE(TShapeClass::Of<TSquare>(), TShapeClass::Of<TBigSquare>());
  EXPECT_FALSE(TShapeClass::Of<TSquare>().InheritsFrom<TBigSquare>());

  TShapeClass abstract = TShapeClass::Of<TShape>();
  EXPECT_TRUE(abstract.IsAbstract());
  EXPECT_THROW(abstract.Create(L"s", 1), EInvalidOperation);
  EXPECT_THROW(TShapeClass().Create(L"s", 1), EInvalidOperation);
  EXPECT_FALSE(TShapeClass());
}

TEST(ClassReferences, FilersTellReadingFromWritingAndErrorsCarryHelpContexts) {
  TReader reader(L"");
  TWriter writer(nullptr);
  const TFiler& asReader = reader;
  const TFiler& asWriter = writer;
  EXPECT_TRUE(asReader.IsReader());
  EXPECT_FALSE(asWriter.IsReader());
  EXPECT_TRUE(asWriter.IsWriter());

  for (int code : {0, 2001, 2008}) {
    try {
      throw Exception(L"numbered", code);
    } catch (const Exception& e) {
      EXPECT_EQ(e.HelpContext(), code);
      EXPECT_EQ(e.Message(), L"numbered");
    }
  }
  EXPECT_EQ(EListError(L"plain").HelpContext(), 0);
}
