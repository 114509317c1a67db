// TFeed: the feed reader component. It reads one RSS 0.9x/2.0, RSS 1.0 or Atom 0.3 document from a stream into
// its channel and items, and renders them as one HTML page from the page template.
#pragma once

#include <memory>
#include <string>

#include "feeds/channel.h"
#include "feeds/feed_items.h"
#include "framework/xml_document.h"

class TStream;
struct TUnit;

namespace feeds {

// The options handed to every XML document the feed component creates; they take effect at the next load.
class TXMLFileOptions : public TPersistent {
  BC_CLASS(TXMLFileOptions, TPersistent)
  TXMLFileOptions();

  const String& DOMVendor() const { return domVendor_; }
  void SetDOMVendor(const String& value) { domVendor_ = value; }
  TParseOptions ParseOptions() const { return parseOptions_; }
  void SetParseOptions(TParseOptions value) { parseOptions_ = value; }
  TXMLDocOptions Options() const { return options_; }
  void SetOptions(TXMLDocOptions value) { options_ = value; }
  void Assign(const TPersistent* source) override;
  const TPublishedTable& PublishedTable() const override;

 private:
  String domVendor_;
  TParseOptions parseOptions_;
  TXMLDocOptions options_;
};

class TFeed : public TComponent {
  BC_CLASS(TFeed, TComponent)
  explicit TFeed(TComponent* owner = nullptr);
  ~TFeed() override;

  // The channel and items of the last document read; each load replaces both objects.
  TRSSChannel* Channel() const { return channel_.get(); }
  void SetChannel(const TRSSChannel* value) { channel_->Assign(value); }
  TRSSItems* Items() const { return items_.get(); }
  void SetItems(const TRSSItems* value) { items_->Assign(value); }
  // The root element's "version"; kept from the previous load when the new root has none.
  const std::string& Version() const { return version_; }
  void SetVersion(const std::string& value) { version_ = value; }
  TXMLFileOptions* XMLFileOptions() const { return xmlFileOptions_.get(); }
  void SetXMLFileOptions(const TXMLFileOptions* value) { xmlFileOptions_->Assign(value); }

  const TPublishedTable& PublishedTable() const override;

  // Reads the document from the stream's position. A document that is not well-formed raises the parser's error
  // and leaves the model as it was; a problem inside one element is passed over.
  void LoadFromStream(TStream& stream);
  // Writes the page at the stream's position, without truncating the stream; nothing for a null stream. Feed text
  // is sanitised and written as it is, so a placeholder in it stays text. Raises EResNotFound before writing
  // anything when the page template is missing.
  void RenderHTML(TStream* stream);

 private:
  void ResetDocument();
  void ParseFeed();
  void WalkFeedNodes(const TXMLNode& node);
  void ReadAtomChannelField(const TXMLNode& child, const String& name);
  void ReadChannelElement(const TXMLNode& channel);
  void ReadCategory(const TXMLNode& category);
  void ReadEntry(const TXMLNode& entry);
  void ReadItem(const TXMLNode& item);
  void ReadChannelField(const TXMLNode& child, const String& name);
  void ReadCloud(const TXMLNode& cloud);
  void ReadImage(const TXMLNode& image);
  void ReadTextInput(const TXMLNode& textInput);
  void ReadSkipHours(const TXMLNode& skipHours);
  void ReadSkipDays(const TXMLNode& skipDays);
  void LanguageFromCode(const std::string& text);

  std::unique_ptr<TRSSChannel> channel_;
  std::unique_ptr<TRSSItems> items_;
  std::string version_;
  std::unique_ptr<TXMLFileOptions> xmlFileOptions_;
  TXMLDocument* document_ = nullptr;  // owned as a component of this one
};

// The module whose resources hold the page template "HTMLTEMPLATE"; null stands for the executable.
extern HMODULE FeedTemplateModule;

// The feed reader's unit: registers TFeed for stored forms.
const TUnit& FeedsUnit();

}  // namespace feeds
