// The channel of a feed: its required texts and every optional part (dates, image, cloud, categories, skip
// hours and days, text input). Texts are byte strings: the reader stores some as UTF-8 and some in the ANSI code
// page, as each field's source dictates. Object-valued setters copy the value into the object the owner keeps.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "feeds/languages.h"
#include "feeds/rfc822_date.h"
#include "framework/collection.h"

namespace feeds {

// The stored text when it holds anything besides blanks and control characters, else the empty text.
std::string NonBlankText(const std::string& text);

class TRSSChannelReq : public TPersistent {
  BC_CLASS(TRSSChannelReq, TPersistent)
  std::string Title() const { return NonBlankText(title_); }
  void SetTitle(const std::string& value) { title_ = value; }
  std::string Link() const { return NonBlankText(link_); }
  void SetLink(const std::string& value) { link_ = value; }
  std::string Desc() const { return NonBlankText(desc_); }
  void SetDesc(const std::string& value) { desc_ = value; }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  std::string title_;
  std::string desc_;
  std::string link_;
};

class TRSSImageReq : public TPersistent {
  BC_CLASS(TRSSImageReq, TPersistent)
  std::string Title() const { return NonBlankText(title_); }
  void SetTitle(const std::string& value) { title_ = value; }
  std::string URL() const { return NonBlankText(url_); }
  void SetURL(const std::string& value) { url_ = value; }
  std::string Link() const { return NonBlankText(link_); }
  void SetLink(const std::string& value) { link_ = value; }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  std::string title_;
  std::string url_;
  std::string link_;
};

class TRSSImageOpt : public TPersistent {
  BC_CLASS(TRSSImageOpt, TPersistent)
  static constexpr int MaxWidth = 144;
  static constexpr int MaxHeight = 400;

  int Height() const { return height_; }
  // Clamped to 0..MaxHeight.
  void SetHeight(int value);
  int Width() const { return width_; }
  // Clamped to 0..MaxWidth.
  void SetWidth(int value);
  const std::string& Description() const { return description_; }
  void SetDescription(const std::string& value) { description_ = value; }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  int height_ = 0;
  int width_ = 0;
  std::string description_;
};

class TRSSImage : public TPersistent {
  BC_CLASS(TRSSImage, TPersistent)
  TRSSImage();
  ~TRSSImage() override;

  TRSSImageOpt* Optional() const { return optional_.get(); }
  void SetOptional(const TRSSImageOpt* value) { optional_->Assign(value); }
  TRSSImageReq* Required() const { return required_.get(); }
  void SetRequired(const TRSSImageReq* value) { required_->Assign(value); }
  // The channel has an image.
  bool Include() const { return include_; }
  void SetInclude(bool value) { include_ = value; }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  std::unique_ptr<TRSSImageOpt> optional_;
  std::unique_ptr<TRSSImageReq> required_;
  bool include_ = false;
};

class TRSSCloud : public TPersistent {
  BC_CLASS(TRSSCloud, TPersistent)
  int Port() const { return port_; }
  // A value below 1 is stored as 1.
  void SetPort(int value) { port_ = value < 1 ? 1 : value; }
  const std::string& Protocol() const { return protocol_; }
  void SetProtocol(const std::string& value) { protocol_ = value; }
  const std::string& Domain() const { return domain_; }
  void SetDomain(const std::string& value) { domain_ = value; }
  const std::string& RegisterProcedure() const { return registerProcedure_; }
  void SetRegisterProcedure(const std::string& value) { registerProcedure_ = value; }
  const std::string& Path() const { return path_; }
  void SetPath(const std::string& value) { path_ = value; }
  bool Include() const { return include_; }
  void SetInclude(bool value) { include_ = value; }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  int port_ = 0;
  std::string protocol_;
  std::string domain_;
  std::string registerProcedure_;
  std::string path_;
  bool include_ = false;
};

class TRSSTextInput : public TPersistent {
  BC_CLASS(TRSSTextInput, TPersistent)
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value) { title_ = value; }
  const std::string& Description() const { return description_; }
  void SetDescription(const std::string& value) { description_ = value; }
  const std::string& Link() const { return link_; }
  void SetLink(const std::string& value) { link_ = value; }
  const std::string& TextInputName() const { return textInputName_; }
  void SetTextInputName(const std::string& value) { textInputName_ = value; }
  bool Include() const { return include_; }
  void SetInclude(bool value) { include_ = value; }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  std::string title_;
  std::string description_;
  std::string link_;
  std::string textInputName_;
  bool include_ = false;
};

class TRSSChannelCategory : public TCollectionItem {
  BC_CLASS(TRSSChannelCategory, TCollectionItem)
  using TCollectionItem::TCollectionItem;
  const std::string& Category() const { return category_; }
  void SetCategory(const std::string& value) { category_ = value; }
  const std::string& Domain() const { return domain_; }
  void SetDomain(const std::string& value) { domain_ = value; }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  std::string category_;
  std::string domain_;
};

class TRSSChannelCategories : public TCollection {
  BC_CLASS(TRSSChannelCategories, TCollection)
  explicit TRSSChannelCategories(TPersistent* owner = nullptr)
      : TCollection(TRSSChannelCategory::StaticClass(), owner) {}
  TRSSChannelCategory* Add() { return static_cast<TRSSChannelCategory*>(TCollection::Add()); }
  TRSSChannelCategory* Items(int index) const { return static_cast<TRSSChannelCategory*>(TCollection::Items(index)); }
};

// The hours (0 to 23) in which readers should not poll the feed.
class TRSSChannelSkipHours : public TPersistent {
  BC_CLASS(TRSSChannelSkipHours, TPersistent)
  static constexpr int HourCount = 24;
  // Raises EListError for an hour outside 0..23.
  bool Hour(int hour) const;
  void SetHour(int hour, bool value);
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  std::array<bool, HourCount> hours_{};
};

// The days on which readers should not poll the feed.
class TRSSChannelSkipDays : public TPersistent {
  BC_CLASS(TRSSChannelSkipDays, TPersistent)
  bool Monday() const { return monday_; }
  void SetMonday(bool value) { monday_ = value; }
  bool Tuesday() const { return tuesday_; }
  void SetTuesday(bool value) { tuesday_ = value; }
  bool Wednesday() const { return wednesday_; }
  void SetWednesday(bool value) { wednesday_ = value; }
  bool Thursday() const { return thursday_; }
  void SetThursday(bool value) { thursday_ = value; }
  bool Friday() const { return friday_; }
  void SetFriday(bool value) { friday_ = value; }
  bool Saturday() const { return saturday_; }
  void SetSaturday(bool value) { saturday_ = value; }
  bool Sunday() const { return sunday_; }
  void SetSunday(bool value) { sunday_ = value; }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  bool friday_ = false;
  bool tuesday_ = false;
  bool thursday_ = false;
  bool saturday_ = false;
  bool monday_ = false;
  bool wednesday_ = false;
  bool sunday_ = false;
};

// The address of the document that describes the format, the default of Docs.
extern const char* const DefaultFeedDocs;

class TRSSChannelOpt : public TPersistent {
  BC_CLASS(TRSSChannelOpt, TPersistent)
  TRSSChannelOpt();
  ~TRSSChannelOpt() override;

  // Minutes a reader may cache the feed; a value below 1 is stored as 0.
  int TTL() const { return ttl_; }
  void SetTTL(int value) { ttl_ = value < 1 ? 0 : value; }
  const std::string& Generator() const { return generator_; }
  void SetGenerator(const std::string& value) { generator_ = value; }
  const std::string& ManagingEditor() const { return managingEditor_; }
  void SetManagingEditor(const std::string& value) { managingEditor_ = value; }
  const std::string& WebMaster() const { return webMaster_; }
  void SetWebMaster(const std::string& value) { webMaster_ = value; }
  const std::string& Copyright() const { return copyright_; }
  void SetCopyright(const std::string& value) { copyright_ = value; }
  TRFC822DateTime* LastBuildDate() const { return lastBuildDate_.get(); }
  void SetLastBuildDate(const TRFC822DateTime* value) { lastBuildDate_->Assign(value); }
  TRFC822DateTime* PubDate() const { return pubDate_.get(); }
  void SetPubDate(const TRFC822DateTime* value) { pubDate_->Assign(value); }
  TRSSImage* Image() const { return image_.get(); }
  void SetImage(const TRSSImage* value) { image_->Assign(value); }
  TLanguages Language() const { return language_; }
  void SetLanguage(TLanguages value) { language_ = value; }
  TRSSCloud* Cloud() const { return cloud_.get(); }
  void SetCloud(const TRSSCloud* value) { cloud_->Assign(value); }
  TRSSChannelCategories* Categories() const { return categories_.get(); }
  void SetCategories(const TRSSChannelCategories* value) { categories_->Assign(value); }
  TRSSChannelSkipHours* SkipHours() const { return skipHours_.get(); }
  void SetSkipHours(const TRSSChannelSkipHours* value) { skipHours_->Assign(value); }
  TRSSChannelSkipDays* SkipDays() const { return skipDays_.get(); }
  void SetSkipDays(const TRSSChannelSkipDays* value) { skipDays_->Assign(value); }
  TRSSTextInput* TextInput() const { return textInput_.get(); }
  void SetTextInput(const TRSSTextInput* value) { textInput_->Assign(value); }
  const std::string& Docs() const { return docs_; }
  void SetDocs(const std::string& value) { docs_ = value; }
  const std::string& Rating() const { return rating_; }
  void SetRating(const std::string& value) { rating_ = value; }
  // The language code when Language is langX.
  const std::string& XLang() const { return xLang_; }
  void SetXLang(const std::string& value) { xLang_ = value; }
  // A date kept as raw text (formats other than RFC 822).
  const std::string& Modified() const { return modified_; }
  void SetModified(const std::string& value) { modified_ = value; }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  int ttl_ = 60;
  std::string generator_;
  std::string managingEditor_;
  std::string webMaster_;
  std::string copyright_;
  std::unique_ptr<TRFC822DateTime> lastBuildDate_;
  std::unique_ptr<TRFC822DateTime> pubDate_;
  std::unique_ptr<TRSSImage> image_;
  TLanguages language_ = TLanguages::langEN;
  std::unique_ptr<TRSSCloud> cloud_;
  std::unique_ptr<TRSSChannelCategories> categories_;
  std::unique_ptr<TRSSChannelSkipHours> skipHours_;
  std::unique_ptr<TRSSChannelSkipDays> skipDays_;
  std::unique_ptr<TRSSTextInput> textInput_;
  std::string docs_;
  std::string rating_;
  std::string xLang_;
  std::string modified_;
};

class TRSSChannel : public TPersistent {
  BC_CLASS(TRSSChannel, TPersistent)
  TRSSChannel();
  ~TRSSChannel() override;

  TRSSChannelOpt* Optional() const { return optional_.get(); }
  void SetOptional(const TRSSChannelOpt* value) { optional_->Assign(value); }
  TRSSChannelReq* Required() const { return required_.get(); }
  void SetRequired(const TRSSChannelReq* value) { required_->Assign(value); }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  std::unique_ptr<TRSSChannelOpt> optional_;
  std::unique_ptr<TRSSChannelReq> required_;
};

}  // namespace feeds
