// Reading a feed document into the model. One walker serves RSS 0.9x/2.0, RSS 1.0 and Atom 0.3: it recognises
// elements by name wherever they stand, so each format's elements are found at the level that format uses.
#include "feeds/feed.h"
#include "feeds/feed_text.h"
#include "framework/text_convert.h"

namespace feeds {

namespace {

// Reading one field: a failure there (a malformed date, a number that is none, a missing attribute) leaves that
// field as it was, and reading goes on with the next one.
template <class Read>
void ReadField(Read&& read) {
  try {
    read();
  } catch (const Exception&) {
  }
}

// The two forms the model keeps texts in: UTF-8, and the system's ANSI code page.
std::string Utf8(std::wstring_view text) { return EncodeUTF8(text); }
std::string Plain(const String& text) { return WideToAnsi(text); }

String ValueOf(const TXMLNode& node) { return node.NodeValue().AsString(); }

// True, with the text, when the node is a text element.
bool TextOf(const TXMLNode& node, String& text) {
  std::optional<String> value = node.ElementText();
  if (value) text = std::move(*value);
  return value.has_value();
}

// The text of a text element in UTF-8, straight from the DOM's copy; nothing for any other node.
std::optional<std::string> Utf8TextOf(const TXMLNode& node) {
  std::optional<std::string> text;
  node.ReadElementText([&](std::wstring_view view) { text = Utf8(view); });
  return text;
}

bool StartsWith(const String& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

bool IsAlternateLink(const TXMLNode& link) {
  return link.HasAttribute(L"rel") && link.Attributes(L"rel").AsString() == L"alternate";
}

// A title given as markup keeps the content of its first CDATA section, or the whole markup when it has none; in
// UTF-8.
std::string TitleText(const TXMLNode& node) {
  if (std::optional<std::string> text = Utf8TextOf(node)) return std::move(*text);
  if (!node.HasChildNodes()) return std::string();
  const String markup = node.XML();
  const String marker = L"<![cdata[";
  size_t start = FindIgnoreCase(markup, marker);
  if (start == String::npos) return Utf8(markup);
  std::wstring_view rest = std::wstring_view(markup).substr(start + marker.size());
  return Utf8(rest.substr(0, rest.find(L"]]>")));
}

// A description given as markup keeps all of it, its own tags included, without the CDATA markers; in UTF-8.
std::string DescriptionText(const TXMLNode& node) {
  if (std::optional<std::string> text = Utf8TextOf(node)) return std::move(*text);
  if (!node.HasChildNodes()) return std::string();
  return Utf8(ReplaceAllIgnoreCase(ReplaceAllIgnoreCase(node.XML(), L"<![cdata[", L""), L"]]>", L""));
}

bool IsDescriptionElement(const String& name) {
  return StartsWith(name, L"description") || StartsWith(name, L"content");
}

// Reads the first child of that name, when there is one, in its own guard.
template <class Store>
void ReadNamedChild(const TXMLNodeList& children, const wchar_t* name, Store&& store) {
  ReadField([&] {
    TXMLNode child = children.FindNode(name);
    if (!child.IsNull()) store(child.NodeValue());
  });
}

// Calls visit with the value of each child node, each in its own guard.
template <class Visit>
void ForEachChildValue(const TXMLNode& element, Visit&& visit) {
  for (TXMLNode child = element.FirstChild(); child; child = child.NextSibling())
    ReadField([&] { visit(ValueOf(child)); });
}

const wchar_t* const kDayNames[7] = {L"Monday", L"Tuesday",  L"Wednesday", L"Thursday",
                                     L"Friday", L"Saturday", L"Sunday"};

}  // namespace

void TFeed::LoadFromStream(TStream& stream) {
  ResetDocument();
  document_->LoadFromStream(stream);
  ParseFeed();
}

void TFeed::ParseFeed() {
  channel_ = std::make_unique<TRSSChannel>();
  items_ = std::make_unique<TRSSItems>(this);
  TXMLNode root = document_->DocumentElement();
  if (root.HasAttribute(L"version")) version_ = Plain(root.Attributes(L"version").AsString());
  TXMLNodeList rootChildren = root.ChildNodes();
  TXMLNode channel = document_->Options().Contains(TXMLDocOption::doNodeAutoCreate) ? rootChildren.Nodes(L"channel")
                                                                                    : rootChildren.FindNode(L"channel");
  bool channelHoldsEntries = !channel.IsNull() && (!channel.ChildNodes().FindNode(L"item").IsNull() ||
                                                   !channel.ChildNodes().FindNode(L"category").IsNull());
  WalkFeedNodes(channelHoldsEntries ? channel : root);
}

void TFeed::WalkFeedNodes(const TXMLNode& node) {
  bool atomFeed = node.NodeName() == L"feed";
  for (TXMLNode child = node.FirstChild(); child; child = child.NextSibling()) {
    ReadField([&] {
      if (child.NodeType() != TNodeType::ntElement) return;
      String name = child.NodeName();
      if (atomFeed) ReadAtomChannelField(child, name);
      if (name == L"channel") ReadChannelElement(child);
      if (name == L"category") ReadCategory(child);
      if (name == L"entry") ReadEntry(child);
      if (name == L"item") ReadItem(child);
      ReadChannelField(child, name);
    });
  }
}

void TFeed::ReadAtomChannelField(const TXMLNode& child, const String& name) {
  String text;
  TRSSChannelReq* required = channel_->Required();
  TRSSChannelOpt* optional = channel_->Optional();
  if (name == L"title" && TextOf(child, text)) required->SetTitle(Utf8(text));
  if (name == L"link" && IsAlternateLink(child)) required->SetLink(Plain(child.Attributes(L"href").AsString()));
  if (name == L"tagline" && TextOf(child, text)) required->SetDesc(Utf8(text));
  if (name == L"copyright" && TextOf(child, text)) optional->SetCopyright(Utf8(text));
  if (name == L"modified" && TextOf(child, text)) optional->SetModified(Plain(text));
}

void TFeed::ReadChannelElement(const TXMLNode& channel) {
  TRSSChannelReq* required = channel_->Required();
  TRSSChannelOpt* optional = channel_->Optional();
  for (TXMLNode field = channel.FirstChild(); field; field = field.NextSibling()) {
    ReadField([&] {
      String name = field.NodeName();
      String text;
      if (name == L"title" && TextOf(field, text)) required->SetTitle(Utf8(text));
      if (name == L"link" && TextOf(field, text)) required->SetLink(Plain(text));
      if (name == L"description" && TextOf(field, text)) required->SetDesc(Utf8(text));
      if (name == L"dc:rights" && TextOf(field, text)) optional->SetCopyright(Utf8(text));
      if (name == L"dc:date" && TextOf(field, text)) optional->SetModified(Plain(text));
    });
  }
  WalkFeedNodes(channel);
}

void TFeed::ReadCategory(const TXMLNode& category) {
  TRSSChannelCategory* entry = channel_->Optional()->Categories()->Add();
  ReadField([&] { entry->SetCategory(Plain(ValueOf(category))); });
  ReadField([&] {
    TXMLNode domain = category.AttributeNodes().FindNode(L"domain");
    if (!domain.IsNull()) entry->SetDomain(Plain(ValueOf(domain)));
  });
  WalkFeedNodes(category);
}

void TFeed::ReadEntry(const TXMLNode& entry) {
  TRSSItem* item = items_->Add();
  for (TXMLNode field = entry.FirstChild(); field; field = field.NextSibling()) {
    ReadField([&] {
      String name = field.NodeName();
      String text;
      if (name == L"title") item->SetTitle(TitleText(field));
      if (name == L"link" && IsAlternateLink(field)) item->SetLink(Utf8(field.Attributes(L"href").AsString()));
      if (name == L"issued" && TextOf(field, text)) item->SetStrDate(Plain(text));
      if (name == L"modified" && item->StrDate().empty() && TextOf(field, text)) item->SetStrDate(Plain(text));
      if (name == L"author") {
        TXMLNode author = field.ChildNodes().FindNode(L"name");
        if (!author.IsNull() && TextOf(author, text)) item->SetAuthor(Plain(text));
      }
      if (IsDescriptionElement(name)) item->SetDescription(DescriptionText(field));
      if (name == L"summary" && item->Description().empty()) item->SetDescription(DescriptionText(field));
    });
  }
}

void TFeed::ReadItem(const TXMLNode& element) {
  TRSSItem* item = items_->Add();
  for (TXMLNode field = element.FirstChild(); field; field = field.NextSibling()) {
    ReadField([&] {
      String name = field.NodeName();
      String text;
      if (name == L"title") item->SetTitle(TitleText(field));
      if (name == L"link") {
        if (std::optional<std::string> link = Utf8TextOf(field)) item->SetLink(std::move(*link));
      }
      if ((name == L"modified" || name == L"dc:date") && TextOf(field, text)) item->SetStrDate(Plain(text));
      if (IsDescriptionElement(name)) item->SetDescription(DescriptionText(field));
      if (name == L"author" && TextOf(field, text)) item->SetAuthor(Plain(text));
      if (name == L"pubDate") item->PubDate()->ParseRFC822(ValueOf(field));
    });
  }
}

void TFeed::ReadChannelField(const TXMLNode& child, const String& name) {
  String text;
  TRSSChannelReq* required = channel_->Required();
  TRSSChannelOpt* optional = channel_->Optional();
  if (name == L"title" && TextOf(child, text)) required->SetTitle(Utf8(text));
  if (name == L"link" && TextOf(child, text)) required->SetLink(Plain(text));
  if (name == L"description" && TextOf(child, text)) required->SetDesc(Utf8(text));
  if (name == L"language" && TextOf(child, text)) LanguageFromCode(Plain(text));
  if (name == L"copyright") optional->SetCopyright(Utf8(ValueOf(child)));
  if (name == L"managingEditor") optional->SetManagingEditor(Utf8(ValueOf(child)));
  if (name == L"webMaster") optional->SetWebMaster(Utf8(ValueOf(child)));
  if (name == L"pubDate") optional->PubDate()->ParseRFC822(ValueOf(child));
  if (name == L"lastBuildDate") optional->LastBuildDate()->ParseRFC822(ValueOf(child));
  if (name == L"generator") optional->SetGenerator(Plain(ValueOf(child)));
  if (name == L"docs") optional->SetDocs(Plain(ValueOf(child)));
  if (name == L"cloud") ReadCloud(child);
  if (name == L"ttl") optional->SetTTL(child.NodeValue().AsInteger());
  if (name == L"image") ReadImage(child);
  if (name == L"rating") optional->SetRating(Plain(ValueOf(child)));
  if (name == L"textInput") ReadTextInput(child);
  if (name == L"skipHours") ReadSkipHours(child);
  if (name == L"skipDays") ReadSkipDays(child);
}

void TFeed::ReadCloud(const TXMLNode& element) {
  TRSSCloud* cloud = channel_->Optional()->Cloud();
  cloud->SetInclude(element.AttributeNodes().Count() > 0);
  if (!cloud->Include()) return;
  ReadField([&] { cloud->SetDomain(Plain(element.Attributes(L"domain").AsString())); });
  ReadField([&] { cloud->SetPort(element.Attributes(L"port").AsInteger()); });
  ReadField([&] { cloud->SetPath(Plain(element.Attributes(L"path").AsString())); });
  ReadField([&] { cloud->SetRegisterProcedure(Plain(element.Attributes(L"registerProcedure").AsString())); });
  ReadField([&] { cloud->SetProtocol(Plain(element.Attributes(L"protocol").AsString())); });
}

void TFeed::ReadImage(const TXMLNode& element) {
  TRSSImage* image = channel_->Optional()->Image();
  image->SetInclude(element.HasChildNodes());
  if (!image->Include()) return;
  TXMLNodeList fields = element.ChildNodes();
  ReadNamedChild(fields, L"url", [&](const TXMLValue& v) { image->Required()->SetURL(Plain(v.AsString())); });
  ReadNamedChild(fields, L"title", [&](const TXMLValue& v) { image->Required()->SetTitle(Utf8(v.AsString())); });
  ReadNamedChild(fields, L"link", [&](const TXMLValue& v) { image->Required()->SetLink(Plain(v.AsString())); });
  ReadNamedChild(fields, L"description",
                 [&](const TXMLValue& v) { image->Optional()->SetDescription(Utf8(v.AsString())); });
  ReadNamedChild(fields, L"width", [&](const TXMLValue& v) { image->Optional()->SetWidth(v.AsInteger()); });
  ReadNamedChild(fields, L"height", [&](const TXMLValue& v) { image->Optional()->SetHeight(v.AsInteger()); });
}

void TFeed::ReadTextInput(const TXMLNode& element) {
  TRSSTextInput* textInput = channel_->Optional()->TextInput();
  textInput->SetInclude(element.HasChildNodes());
  if (!textInput->Include()) return;
  TXMLNodeList fields = element.ChildNodes();
  ReadNamedChild(fields, L"title", [&](const TXMLValue& v) { textInput->SetTitle(Utf8(v.AsString())); });
  ReadNamedChild(fields, L"description", [&](const TXMLValue& v) { textInput->SetDescription(Utf8(v.AsString())); });
  ReadNamedChild(fields, L"link", [&](const TXMLValue& v) { textInput->SetLink(Plain(v.AsString())); });
  ReadNamedChild(fields, L"name", [&](const TXMLValue& v) { textInput->SetTextInputName(Plain(v.AsString())); });
}

void TFeed::ReadSkipHours(const TXMLNode& element) {
  TRSSChannelSkipHours* hours = channel_->Optional()->SkipHours();
  ForEachChildValue(element, [&](const String& value) {
    for (int hour = 0; hour < TRSSChannelSkipHours::HourCount; ++hour)
      if (value == std::to_wstring(hour)) hours->SetHour(hour, true);
  });
}

void TFeed::ReadSkipDays(const TXMLNode& element) {
  TRSSChannelSkipDays* days = channel_->Optional()->SkipDays();
  void (TRSSChannelSkipDays::*setters[7])(bool) = {
      &TRSSChannelSkipDays::SetMonday,   &TRSSChannelSkipDays::SetTuesday, &TRSSChannelSkipDays::SetWednesday,
      &TRSSChannelSkipDays::SetThursday, &TRSSChannelSkipDays::SetFriday,  &TRSSChannelSkipDays::SetSaturday,
      &TRSSChannelSkipDays::SetSunday};
  ForEachChildValue(element, [&](const String& value) {
    for (int day = 0; day < 7; ++day)
      if (value == kDayNames[day]) (days->*setters[day])(true);
  });
}

void TFeed::LanguageFromCode(const std::string& text) {
  TRSSChannelOpt* optional = channel_->Optional();
  optional->SetLanguage(TLanguages::langX);
  for (int i = 0; i < LanguageCodeCount; ++i) {
    TLanguages language = static_cast<TLanguages>(i);
    if (text == LanguageCode(language)) optional->SetLanguage(language);
  }
  optional->SetXLang(optional->Language() == TLanguages::langX ? text : std::string());
}

}  // namespace feeds
