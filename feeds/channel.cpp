#include "feeds/channel.h"

const char* const DefaultFeedDocs = "https://www.rssboard.org/rss-2-0-1";

std::string NonBlankText(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > 32) return text;
  return std::string();
}

void TRSSChannelReq::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSChannelReq>(source);
  if (!other) return TPersistent::Assign(source);
  title_ = other->title_;
  desc_ = other->desc_;
  link_ = other->link_;
}

void TRSSImageReq::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSImageReq>(source);
  if (!other) return TPersistent::Assign(source);
  title_ = other->title_;
  url_ = other->url_;
  link_ = other->link_;
}

void TRSSImageOpt::SetHeight(int value) { height_ = value < 0 ? 0 : (value > MaxHeight ? MaxHeight : value); }

void TRSSImageOpt::SetWidth(int value) { width_ = value < 0 ? 0 : (value > MaxWidth ? MaxWidth : value); }

void TRSSImageOpt::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSImageOpt>(source);
  if (!other) return TPersistent::Assign(source);
  height_ = other->height_;
  width_ = other->width_;
  description_ = other->description_;
}

TRSSImage::TRSSImage() : optional_(std::make_unique<TRSSImageOpt>()), required_(std::make_unique<TRSSImageReq>()) {}

TRSSImage::~TRSSImage() = default;

void TRSSImage::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSImage>(source);
  if (!other) return TPersistent::Assign(source);
  optional_->Assign(other->optional_.get());
  required_->Assign(other->required_.get());
  include_ = other->include_;
}

void TRSSCloud::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSCloud>(source);
  if (!other) return TPersistent::Assign(source);
  port_ = other->port_;
  protocol_ = other->protocol_;
  domain_ = other->domain_;
  registerProcedure_ = other->registerProcedure_;
  path_ = other->path_;
  include_ = other->include_;
}

void TRSSTextInput::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSTextInput>(source);
  if (!other) return TPersistent::Assign(source);
  title_ = other->title_;
  description_ = other->description_;
  link_ = other->link_;
  textInputName_ = other->textInputName_;
  include_ = other->include_;
}

void TRSSChannelCategory::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSChannelCategory>(source);
  if (!other) return TCollectionItem::Assign(source);
  category_ = other->category_;
  domain_ = other->domain_;
}

bool TRSSChannelSkipHours::Hour(int hour) const {
  if (hour < 0 || hour >= HourCount)
    throw EListError(Format(L"List index out of bounds (%d)", {std::to_wstring(hour)}));
  return hours_[static_cast<size_t>(hour)];
}

void TRSSChannelSkipHours::SetHour(int hour, bool value) {
  Hour(hour);
  hours_[static_cast<size_t>(hour)] = value;
}

void TRSSChannelSkipHours::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSChannelSkipHours>(source);
  if (!other) return TPersistent::Assign(source);
  hours_ = other->hours_;
}

void TRSSChannelSkipDays::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSChannelSkipDays>(source);
  if (!other) return TPersistent::Assign(source);
  friday_ = other->friday_;
  tuesday_ = other->tuesday_;
  thursday_ = other->thursday_;
  saturday_ = other->saturday_;
  monday_ = other->monday_;
  wednesday_ = other->wednesday_;
  sunday_ = other->sunday_;
}

TRSSChannelOpt::TRSSChannelOpt()
    : lastBuildDate_(std::make_unique<TRFC822DateTime>()),
      pubDate_(std::make_unique<TRFC822DateTime>()),
      image_(std::make_unique<TRSSImage>()),
      cloud_(std::make_unique<TRSSCloud>()),
      categories_(std::make_unique<TRSSChannelCategories>(this)),
      skipHours_(std::make_unique<TRSSChannelSkipHours>()),
      skipDays_(std::make_unique<TRSSChannelSkipDays>()),
      textInput_(std::make_unique<TRSSTextInput>()),
      docs_(DefaultFeedDocs) {}

TRSSChannelOpt::~TRSSChannelOpt() = default;

void TRSSChannelOpt::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSChannelOpt>(source);
  if (!other) return TPersistent::Assign(source);
  ttl_ = other->ttl_;
  generator_ = other->generator_;
  managingEditor_ = other->managingEditor_;
  webMaster_ = other->webMaster_;
  copyright_ = other->copyright_;
  lastBuildDate_->Assign(other->lastBuildDate_.get());
  pubDate_->Assign(other->pubDate_.get());
  image_->Assign(other->image_.get());
  language_ = other->language_;
  cloud_->Assign(other->cloud_.get());
  categories_->Assign(other->categories_.get());
  skipHours_->Assign(other->skipHours_.get());
  skipDays_->Assign(other->skipDays_.get());
  textInput_->Assign(other->textInput_.get());
  docs_ = other->docs_;
  rating_ = other->rating_;
  xLang_ = other->xLang_;
  modified_ = other->modified_;
}

TRSSChannel::TRSSChannel()
    : optional_(std::make_unique<TRSSChannelOpt>()), required_(std::make_unique<TRSSChannelReq>()) {}

TRSSChannel::~TRSSChannel() = default;

void TRSSChannel::Assign(const TPersistent* source) {
  auto* other = ObjectAs<const TRSSChannel>(source);
  if (!other) return TPersistent::Assign(source);
  optional_->Assign(other->optional_.get());
  required_->Assign(other->required_.get());
}
