#include "feeds/feed_items.h"

#include "framework/properties.h"

namespace feeds {

void TRSSItemEnclosure::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSItemEnclosure>(source);
  if (!other) return TPersistent::Assign(source);
  length_ = other->length_;
  enclosureType_ = other->enclosureType_;
  url_ = other->url_;
  include_ = other->include_;
}

void TRSSItemGUID::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSItemGUID>(source);
  if (!other) return TPersistent::Assign(source);
  isPermaLink_ = other->isPermaLink_;
  guid_ = other->guid_;
  include_ = other->include_;
}

void TRSSItemSource::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSItemSource>(source);
  if (!other) return TPersistent::Assign(source);
  url_ = other->url_;
  title_ = other->title_;
  include_ = other->include_;
}

void TRSSItemCategory::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSItemCategory>(source);
  if (!other) return TCollectionItem::Assign(source);
  title_ = other->title_;
  domain_ = other->domain_;
}

TRSSItem::TRSSItem(TCollection* collection) : TCollectionItem(collection), parts_(std::make_unique<TParts>(this)) {}

TRSSItem::~TRSSItem() = default;

void TRSSItem::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSItem>(source);
  if (!other) return TCollectionItem::Assign(source);
  comments_ = other->comments_;
  author_ = other->author_;
  link_ = other->link_;
  description_ = other->description_;
  title_ = other->title_;
  SetPubDate(other->PubDate());
  SetEnclosure(other->Enclosure());
  SetGUID(other->GUID());
  SetSource(other->Source());
  SetCategories(other->Categories());
  strDate_ = other->strDate_;
}

// Published properties, in the order they are stored.

const TPublishedTable& TRSSItemEnclosure::PublishedTable() const {
  using P = TPublished<TRSSItemEnclosure>;
  using E = TRSSItemEnclosure;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Text(L"URL", &E::URL, &E::SetURL),
                                         P::Integer(L"Length", &E::Length, &E::SetLength).Default(0),
                                         P::Text(L"EnclosureType", &E::EnclosureType, &E::SetEnclosureType),
                                         P::Boolean(L"Include", &E::Include, &E::SetInclude).Default(false),
                                     });
  return table;
}

const TPublishedTable& TRSSItemGUID::PublishedTable() const {
  using P = TPublished<TRSSItemGUID>;
  using G = TRSSItemGUID;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Text(L"GUID", &G::GUID, &G::SetGUID),
                                         P::Boolean(L"IsPermaLink", &G::IsPermaLink, &G::SetIsPermaLink).Default(false),
                                         P::Boolean(L"Include", &G::Include, &G::SetInclude).Default(false),
                                     });
  return table;
}

const TPublishedTable& TRSSItemSource::PublishedTable() const {
  using P = TPublished<TRSSItemSource>;
  using S = TRSSItemSource;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Text(L"Title", &S::Title, &S::SetTitle),
                                         P::Text(L"URL", &S::URL, &S::SetURL),
                                         P::Boolean(L"Include", &S::Include, &S::SetInclude).Default(false),
                                     });
  return table;
}

const TPublishedTable& TRSSItemCategory::PublishedTable() const {
  using P = TPublished<TRSSItemCategory>;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Text(L"Title", &TRSSItemCategory::Title, &TRSSItemCategory::SetTitle),
                                         P::Text(L"Domain", &TRSSItemCategory::Domain, &TRSSItemCategory::SetDomain),
                                     });
  return table;
}

const TPublishedTable& TRSSItem::PublishedTable() const {
  using P = TPublished<TRSSItem>;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Text(L"StrDate", &TRSSItem::StrDate, &TRSSItem::SetStrDate),
                                         P::Text(L"Title", &TRSSItem::Title, &TRSSItem::SetTitle),
                                         P::Text(L"Link", &TRSSItem::Link, &TRSSItem::SetLink),
                                         P::Text(L"Description", &TRSSItem::Description, &TRSSItem::SetDescription),
                                         P::Text(L"Author", &TRSSItem::Author, &TRSSItem::SetAuthor),
                                         P::Object(L"Categories", &TRSSItem::Categories),
                                         P::Text(L"Comments", &TRSSItem::Comments, &TRSSItem::SetComments),
                                         P::Object(L"Enclosure", &TRSSItem::Enclosure),
                                         P::Object(L"GUID", &TRSSItem::GUID),
                                         P::Object(L"PubDate", &TRSSItem::PubDate),
                                         P::Object(L"Source", &TRSSItem::Source),
                                     });
  return table;
}

}  // namespace feeds
