#include "feeds/channel.h"

#include "framework/properties.h"

namespace feeds {

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

// Published properties, in the order they are stored.

const TPublishedTable& TRSSChannelReq::PublishedTable() const {
  using P = TPublished<TRSSChannelReq>;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Text(L"Title", &TRSSChannelReq::Title, &TRSSChannelReq::SetTitle),
                                         P::Text(L"Link", &TRSSChannelReq::Link, &TRSSChannelReq::SetLink),
                                         P::Text(L"Desc", &TRSSChannelReq::Desc, &TRSSChannelReq::SetDesc),
                                     });
  return table;
}

const TPublishedTable& TRSSImageReq::PublishedTable() const {
  using P = TPublished<TRSSImageReq>;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Text(L"URL", &TRSSImageReq::URL, &TRSSImageReq::SetURL),
                                         P::Text(L"Title", &TRSSImageReq::Title, &TRSSImageReq::SetTitle),
                                         P::Text(L"Link", &TRSSImageReq::Link, &TRSSImageReq::SetLink),
                                     });
  return table;
}

const TPublishedTable& TRSSImageOpt::PublishedTable() const {
  using P = TPublished<TRSSImageOpt>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Integer(L"Width", &TRSSImageOpt::Width, &TRSSImageOpt::SetWidth).Default(0),
          P::Integer(L"Height", &TRSSImageOpt::Height, &TRSSImageOpt::SetHeight).Default(0),
          P::Text(L"Description", &TRSSImageOpt::Description, &TRSSImageOpt::SetDescription),
      });
  return table;
}

const TPublishedTable& TRSSImage::PublishedTable() const {
  using P = TPublished<TRSSImage>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Boolean(L"Include", &TRSSImage::Include, &TRSSImage::SetInclude).Default(false),
          P::Object(L"Required", &TRSSImage::Required),
          P::Object(L"Optional", &TRSSImage::Optional),
      });
  return table;
}

const TPublishedTable& TRSSCloud::PublishedTable() const {
  using P = TPublished<TRSSCloud>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Text(L"Domain", &TRSSCloud::Domain, &TRSSCloud::SetDomain),
          P::Integer(L"Port", &TRSSCloud::Port, &TRSSCloud::SetPort).Default(0),
          P::Text(L"Path", &TRSSCloud::Path, &TRSSCloud::SetPath),
          P::Text(L"RegisterProcedure", &TRSSCloud::RegisterProcedure, &TRSSCloud::SetRegisterProcedure),
          P::Text(L"Protocol", &TRSSCloud::Protocol, &TRSSCloud::SetProtocol),
          P::Boolean(L"Include", &TRSSCloud::Include, &TRSSCloud::SetInclude).Default(false),
      });
  return table;
}

const TPublishedTable& TRSSTextInput::PublishedTable() const {
  using P = TPublished<TRSSTextInput>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Text(L"Title", &TRSSTextInput::Title, &TRSSTextInput::SetTitle),
          P::Text(L"Description", &TRSSTextInput::Description, &TRSSTextInput::SetDescription),
          P::Text(L"TextInputName", &TRSSTextInput::TextInputName, &TRSSTextInput::SetTextInputName),
          P::Text(L"Link", &TRSSTextInput::Link, &TRSSTextInput::SetLink),
          P::Boolean(L"Include", &TRSSTextInput::Include, &TRSSTextInput::SetInclude).Default(false),
      });
  return table;
}

const TPublishedTable& TRSSChannelCategory::PublishedTable() const {
  using P = TPublished<TRSSChannelCategory>;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Text(L"Category", &TRSSChannelCategory::Category, &TRSSChannelCategory::SetCategory),
          P::Text(L"Domain", &TRSSChannelCategory::Domain, &TRSSChannelCategory::SetDomain),
      });
  return table;
}

namespace {

// The stored entry of one hour, named "h00" .. "h23".
auto HourProperty(int hour) {
  const wchar_t name[] = {L'h', static_cast<wchar_t>(L'0' + hour / 10), static_cast<wchar_t>(L'0' + hour % 10), 0};
  return TPublished<TRSSChannelSkipHours>::Boolean(
             name, [hour](TRSSChannelSkipHours* hours) { return hours->Hour(hour); },
             [hour](TRSSChannelSkipHours* hours, bool value) { hours->SetHour(hour, value); })
      .Default(false);
}

}  // namespace

const TPublishedTable& TRSSChannelSkipHours::PublishedTable() const {
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {HourProperty(1),  HourProperty(2),  HourProperty(3),  HourProperty(4),  HourProperty(5),  HourProperty(6),
       HourProperty(7),  HourProperty(8),  HourProperty(9),  HourProperty(10), HourProperty(11), HourProperty(12),
       HourProperty(13), HourProperty(14), HourProperty(15), HourProperty(16), HourProperty(17), HourProperty(18),
       HourProperty(19), HourProperty(20), HourProperty(21), HourProperty(22), HourProperty(23), HourProperty(0)});
  return table;
}

const TPublishedTable& TRSSChannelSkipDays::PublishedTable() const {
  using P = TPublished<TRSSChannelSkipDays>;
  using D = TRSSChannelSkipDays;
  static const TPublishedTable table(&inherited::PublishedTable(),
                                     {
                                         P::Boolean(L"Monday", &D::Monday, &D::SetMonday).Default(false),
                                         P::Boolean(L"Tuesday", &D::Tuesday, &D::SetTuesday).Default(false),
                                         P::Boolean(L"Wednesday", &D::Wednesday, &D::SetWednesday).Default(false),
                                         P::Boolean(L"Thursday", &D::Thursday, &D::SetThursday).Default(false),
                                         P::Boolean(L"Friday", &D::Friday, &D::SetFriday).Default(false),
                                         P::Boolean(L"Saturday", &D::Saturday, &D::SetSaturday).Default(false),
                                         P::Boolean(L"Sunday", &D::Sunday, &D::SetSunday).Default(false),
                                     });
  return table;
}

const TPublishedTable& TRSSChannelOpt::PublishedTable() const {
  using P = TPublished<TRSSChannelOpt>;
  using O = TRSSChannelOpt;
  static const TPublishedTable table(
      &inherited::PublishedTable(),
      {
          P::Text(L"Modified", &O::Modified, &O::SetModified),
          P::Enumeration(
              L"Language", &O::Language, &O::SetLanguage,
              {L"langAF",    L"langSQ",    L"langEU",    L"langBE",    L"langBG",    L"langCA",    L"langZH_CN",
               L"langZH_TW", L"langHR",    L"langCS",    L"langDA",    L"langNL",    L"langNL_BE", L"langNL_NL",
               L"langEN",    L"langEN_AU", L"langEN_BZ", L"langEN_CA", L"langEN_IE", L"langEN_JM", L"langEN_NZ",
               L"langEN_PH", L"langEN_ZA", L"langEN_TT", L"langEN_GB", L"langEN_US", L"langEN_ZW", L"langET",
               L"langFO",    L"langFI",    L"langFR",    L"langFR_BE", L"langFR_CA", L"langFR_FR", L"langFR_LU",
               L"langFR_MC", L"langFR_CH", L"langGL",    L"langGD",    L"langDE",    L"langDE_AT", L"langDE_DE",
               L"langDE_LI", L"langDE_LU", L"langDE_CH", L"langEL",    L"langHAW",   L"langHU",    L"langIS",
               L"langIN",    L"langGA",    L"langIT",    L"langIT_IT", L"langIT_CH", L"langJA",    L"langKO",
               L"langMK",    L"langNO",    L"langPL",    L"langPT",    L"langPT_BR", L"langPT_PT", L"langRO",
               L"langRO_MO", L"langRO_RP", L"langRU",    L"langRU_MO", L"langRU_RU", L"langSR",    L"langSK",
               L"langSL",    L"langES",    L"langES_AR", L"langES_BO", L"langES_CL", L"langES_CO", L"langES_CR",
               L"langES_DO", L"langES_EC", L"langES_SV", L"langES_GT", L"langES_HN", L"langES_MX", L"langES_NI",
               L"langES_PA", L"langES_PY", L"langES_PE", L"langES_PR", L"langES_ES", L"langES_UY", L"langES_VE",
               L"langSV",    L"langSV_FI", L"langSV_SE", L"langTR",    L"langUK",    L"langX"})
              .Default(TLanguages::langEN),
          P::Text(L"XLang", &O::XLang, &O::SetXLang),
          P::Text(L"Copyright", &O::Copyright, &O::SetCopyright),
          P::Text(L"ManagingEditor", &O::ManagingEditor, &O::SetManagingEditor),
          P::Text(L"WebMaster", &O::WebMaster, &O::SetWebMaster),
          P::Object(L"PubDate", &O::PubDate),
          P::Object(L"LastBuildDate", &O::LastBuildDate),
          P::Object(L"Categories", &O::Categories),
          P::Text(L"Generator", &O::Generator, &O::SetGenerator),
          P::Text(L"Docs", &O::Docs, &O::SetDocs).Default(DefaultFeedDocs),
          P::Object(L"Cloud", &O::Cloud),
          P::Integer(L"TTL", &O::TTL, &O::SetTTL).Default(60),
          P::Object(L"Image", &O::Image),
          P::Text(L"Rating", &O::Rating, &O::SetRating),
          P::Object(L"TextInput", &O::TextInput),
          P::Object(L"SkipHours", &O::SkipHours),
          P::Object(L"SkipDays", &O::SkipDays),
      });
  return table;
}

const TPublishedTable& TRSSChannel::PublishedTable() const {
  using P = TPublished<TRSSChannel>;
  static const TPublishedTable table(&inherited::PublishedTable(), {
                                                                       P::Object(L"Required", &TRSSChannel::Required),
                                                                       P::Object(L"Optional", &TRSSChannel::Optional),
                                                                   });
  return table;
}

}  // namespace feeds
