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
  const struct {
    TShapeClass cls;
    const wchar_t* kind;
    int size;
  } cases[] = {{TShapeClass::Of<TSquare>(), L"square", 3}, {TShapeClass::Of<TBigSquare>(), L"big square", 30}};
  for (const auto& c : cases) {
    std::unique_ptr<TShape> shape = c.cls.Create(L"s", 3);
    EXPECT_EQ(shape->ClassType(), c.cls.Class());
    EXPECT_EQ(shape->Kind(), c.kind);
    EXPECT_EQ(shape->Name, L"s");
    EXPECT_EQ(shape->Size, c.size);
    EXPECT_TRUE(c.cls.InheritsFrom<TSquare>());
  }
  EXPECT_EQ(TShapeClass::Of<TSquare>(), TShapeClass::Of<TSquare>());
  EXPECT_NE(TShapeClass::Of<TSquare>(), TShapeClass::Of<TBigSquare>());
  EXPECT_FALSE(TShapeClass::Of<TSquare>().InheritsFrom<TBigSquare>());
  EXPECT_TRUE(TShapeClass::Of<TShape>().IsAbstract());
  EXPECT_THROW(TShapeClass::Of<TShape>().Create(L"s", 1), EInvalidOperation);
  EXPECT_THROW(TShapeClass().Create(L"s", 1), EInvalidOperation);
}

TEST(ClassReferences, FilersTellReadingFromWritingAndErrorsCarryHelpContexts) {
  TReader reader(L"");
  TWriter writer(nullptr);
  EXPECT_TRUE(static_cast<TFiler&>(reader).IsReader());
  EXPECT_TRUE(static_cast<TFiler&>(writer).IsWriter());
  for (int code : {2001, 2008}) EXPECT_EQ(Exception(L"numbered", code).HelpContext(), code);
  EXPECT_EQ(EListError(L"plain").HelpContext(), 0);
}
