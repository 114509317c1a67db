// The entries of a feed: TRSSItem with its owned parts, and the collections of items and item categories.
// Texts are byte strings, as in the channel.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "feeds/rfc822_date.h"
#include "framework/collection.h"

namespace feeds {

class TRSSItemEnclosure : public TPersistent {
  BC_CLASS(TRSSItemEnclosure, TPersistent)
  int Length() const { return length_; }
  void SetLength(int value) { length_ = value; }
  const std::string& EnclosureType() const { return enclosureType_; }
  void SetEnclosureType(const std::string& value) { enclosureType_ = value; }
  const std::string& URL() const { return url_; }
  void SetURL(const std::string& value) { url_ = value; }
  bool Include() const { return include_; }
  void SetInclude(bool value) { include_ = value; }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  int length_ = 0;
  std::string enclosureType_;
  std::string url_;
  bool include_ = false;
};

class TRSSItemGUID : public TPersistent {
  BC_CLASS(TRSSItemGUID, TPersistent)
  bool IsPermaLink() const { return isPermaLink_; }
  void SetIsPermaLink(bool value) { isPermaLink_ = value; }
  const std::string& GUID() const { return guid_; }
  void SetGUID(const std::string& value) { guid_ = value; }
  bool Include() const { return include_; }
  void SetInclude(bool value) { include_ = value; }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  bool isPermaLink_ = false;
  std::string guid_;
  bool include_ = false;
};

class TRSSItemSource : public TPersistent {
  BC_CLASS(TRSSItemSource, TPersistent)
  const std::string& URL() const { return url_; }
  void SetURL(const std::string& value) { url_ = value; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value) { title_ = value; }
  bool Include() const { return include_; }
  void SetInclude(bool value) { include_ = value; }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  std::string url_;
  std::string title_;
  bool include_ = false;
};

class TRSSItemCategory : public TCollectionItem {
  BC_CLASS(TRSSItemCategory, TCollectionItem)
  using TCollectionItem::TCollectionItem;
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value) { title_ = value; }
  const std::string& Domain() const { return domain_; }
  void SetDomain(const std::string& value) { domain_ = value; }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  std::string title_;
  std::string domain_;
};

class TRSSItemCategories : public TCollection {
  BC_CLASS(TRSSItemCategories, TCollection)
  explicit TRSSItemCategories(TPersistent* owner = nullptr) : TCollection(TRSSItemCategory::StaticClass(), owner) {}
  TRSSItemCategory* Add() { return static_cast<TRSSItemCategory*>(TCollection::Add()); }
  TRSSItemCategory* Items(int index) const { return static_cast<TRSSItemCategory*>(TCollection::Items(index)); }
};

class TRSSItem : public TCollectionItem {
  BC_CLASS(TRSSItem, TCollectionItem)
  explicit TRSSItem(TCollection* collection = nullptr);
  ~TRSSItem() override;

  const std::string& Comments() const { return comments_; }
  void SetComments(std::string value) { comments_ = std::move(value); }
  const std::string& Author() const { return author_; }
  void SetAuthor(std::string value) { author_ = std::move(value); }
  // UTF-8, whatever the format the item came from.
  const std::string& Link() const { return link_; }
  void SetLink(std::string value) { link_ = std::move(value); }
  // May hold HTML.
  const std::string& Description() const { return description_; }
  void SetDescription(std::string value) { description_ = std::move(value); }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string value) { title_ = std::move(value); }
  TRFC822DateTime* PubDate() const { return &parts_->PubDate; }
  void SetPubDate(const TRFC822DateTime* value) { PubDate()->Assign(value); }
  TRSSItemEnclosure* Enclosure() const { return &parts_->Enclosure; }
  void SetEnclosure(const TRSSItemEnclosure* value) { Enclosure()->Assign(value); }
  TRSSItemGUID* GUID() const { return &parts_->GUID; }
  void SetGUID(const TRSSItemGUID* value) { GUID()->Assign(value); }
  TRSSItemSource* Source() const { return &parts_->Source; }
  void SetSource(const TRSSItemSource* value) { Source()->Assign(value); }
  TRSSItemCategories* Categories() const { return &parts_->Categories; }
  void SetCategories(const TRSSItemCategories* value) { Categories()->Assign(value); }
  // A date kept as raw text (formats other than RFC 822).
  const std::string& StrDate() const { return strDate_; }
  void SetStrDate(std::string value) { strDate_ = std::move(value); }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  std::string comments_;
  std::string author_;
  std::string link_;
  std::string description_;
  std::string title_;
  // The owned parts, made in one piece: a feed makes thousands of items at once.
  struct TParts {
    explicit TParts(TRSSItem* item) : Categories(item) {}
    TRFC822DateTime PubDate;
    TRSSItemEnclosure Enclosure;
    TRSSItemGUID GUID;
    TRSSItemSource Source;
    TRSSItemCategories Categories;
  };
  std::unique_ptr<TParts> parts_;
  std::string strDate_;
};

class TRSSItems : public TCollection {
  BC_CLASS(TRSSItems, TCollection)
  explicit TRSSItems(TPersistent* owner = nullptr) : TCollection(TRSSItem::StaticClass(), owner) {}
  TRSSItem* Add() { return static_cast<TRSSItem*>(TCollection::Add()); }
  TRSSItem* Items(int index) const { return static_cast<TRSSItem*>(TCollection::Items(index)); }
};

}  // namespace feeds
