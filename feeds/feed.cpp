#include "feeds/feed.h"

#include "framework/properties.h"
#include "framework/startup.h"

namespace feeds {

TXMLFileOptions::TXMLFileOptions()
    : domVendor_(DefaultDOMVendor),
      options_{TXMLDocOption::doNodeAutoCreate, TXMLDocOption::doAttrNull, TXMLDocOption::doAutoPrefix,
               TXMLDocOption::doNamespaceDecl} {}

void TXMLFileOptions::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TXMLFileOptions>(source);
  if (!other) return TPersistent::Assign(source);
  domVendor_ = other->domVendor_;
  parseOptions_ = other->parseOptions_;
  options_ = other->options_;
}

TFeed::TFeed(TComponent* owner)
    : TComponent(owner),
      channel_(std::make_unique<TRSSChannel>()),
      items_(std::make_unique<TRSSItems>(this)),
      xmlFileOptions_(std::make_unique<TXMLFileOptions>()) {
  ResetDocument();
  version_ = "2.0";
}

TFeed::~TFeed() = default;

void TFeed::ResetDocument() {
  delete document_;
  document_ = nullptr;
  auto document = std::make_unique<TXMLDocument>(this);
  document->SetDOMVendor(xmlFileOptions_->DOMVendor());
  document->SetOptions(xmlFileOptions_->Options());
  document->SetParseOptions(xmlFileOptions_->ParseOptions());
  document->SetActive(true);
  document_ = document.release();
}

const TPublishedTable& TXMLFileOptions::PublishedTable() const {
  using P = TPublished<TXMLFileOptions>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Text(L"DOMVendor", &TXMLFileOptions::DOMVendor, &TXMLFileOptions::SetDOMVendor)
              .Default(String(DefaultDOMVendor)),
          P::Set(L"Options", &TXMLFileOptions::Options, &TXMLFileOptions::SetOptions,
                 {L"doNodeAutoCreate", L"doAttrNull", L"doAutoPrefix", L"doNamespaceDecl", L"doNodeAutoIndent",
                  L"doAutoSave"})
              .Default(TXMLFileOptions().Options()),
          P::Set(L"ParseOptions", &TXMLFileOptions::ParseOptions, &TXMLFileOptions::SetParseOptions,
                 {L"poResolveExternals", L"poValidateOnParse", L"poPreserveWhiteSpace", L"poAsyncLoad"})
              .Default(TParseOptions()),
      });
  return table;
}

const TPublishedTable& TFeed::PublishedTable() const {
  using P = TPublished<TFeed>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Object(L"XMLFileOptions", &TFeed::XMLFileOptions),
          P::Object(L"Channel", &TFeed::Channel),
          P::Object(L"Items", &TFeed::Items),
          P::Text(L"Version", &TFeed::Version, &TFeed::SetVersion).Default(std::string("2.0")),
      });
  return table;
}

namespace {

void RegisterFeedClasses() { RegisterPersistentClass(TFeed::StaticClass()); }
void UnregisterFeedClasses() { UnregisterPersistentClass(TFeed::StaticClass()); }

}  // namespace

const TUnit& FeedsUnit() {
  static const TUnit unit{L"feeds", &RegisterFeedClasses, &UnregisterFeedClasses, {&FrameworkUnit()}};
  return unit;
}

}  // namespace feeds
