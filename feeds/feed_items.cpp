#include "feeds/feed_items.h"

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

TRSSItem::TRSSItem(TCollection* collection)
    : TCollectionItem(collection),
      pubDate_(std::make_unique<TRFC822DateTime>()),
      enclosure_(std::make_unique<TRSSItemEnclosure>()),
      guid_(std::make_unique<TRSSItemGUID>()),
      source_(std::make_unique<TRSSItemSource>()),
      categories_(std::make_unique<TRSSItemCategories>(this)) {}

TRSSItem::~TRSSItem() = default;

void TRSSItem::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSItem>(source);
  if (!other) return TCollectionItem::Assign(source);
  comments_ = other->comments_;
  author_ = other->author_;
  link_ = other->link_;
  description_ = other->description_;
  title_ = other->title_;
  pubDate_->Assign(other->pubDate_.get());
  enclosure_->Assign(other->enclosure_.get());
  guid_->Assign(other->guid_.get());
  source_->Assign(other->source_.get());
  categories_->Assign(other->categories_.get());
  strDate_ = other->strDate_;
}
