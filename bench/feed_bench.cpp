// Times reading and rendering a large feed against a bare load of the same bytes by the DOM, for 1,000 and
// 10,000 items, and sanitising pathological markup of 100 KB and of 1 MB. Targets: load plus render at most twice
// the bare load, ten times the items at most eleven times the time, and ten times the markup at most twelve times
// the time.
#include <msxml2.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_timing.h"
#include "feeds/feed.h"
#include "feeds/html_sanitizer.h"
#include "framework/startup.h"
#include "framework/streams.h"

using namespace feeds;

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kRuns = 7;

TBenchTargets targets;

// An RSS 2.0 document of about one kilobyte per item, each item shaped like the format's own examples: title,
// link, a description of some markup and plain text, publication date and identifier.
std::string MakeFeed(int itemCount) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">\n<channel>\n"
      "<title>Benchmark Feed</title>\n<link>http://bench.example/</link>\n"
      "<description>Generated items</description>\n<language>en-us</language>\n"
      "<lastBuildDate>Sat, 07 Sep 2002 00:00:01 GMT</lastBuildDate>\n<ttl>30</ttl>\n";
  for (int i = 0; i < itemCount; ++i) {
    std::string n = std::to_string(i);
    text += "<item>\n<title>Item number " + n + " with a title of ordinary length</title>\n";
    text += "<link>http://bench.example/items/" + n + "?from=feed&amp;kind=news</link>\n";
    text += "<description>&lt;p&gt;Paragraph " + n +
            " of the body, &lt;b&gt;with markup&lt;/b&gt; and a "
            "&lt;a href=\"http://bench.example/more/" +
            n + "\"&gt;link&lt;/a&gt;.&lt;/p&gt;";
    for (int k = 0; k < 7; ++k)
      text += " Filler sentence " + std::to_string(k) + " that makes the body about as long as a real one.";
    text += "</description>\n";
    text += "<pubDate>Mon, 0" + std::to_string(1 + i % 9) + " Sep 2003 1" + std::to_string(i % 10) +
            ":30:00 GMT</pubDate>\n";
    text += "<guid>http://bench.example/items/" + n + "</guid>\n</item>\n";
  }
  return text + "</channel>\n</rss>\n";
}

void Fill(TMemoryStream& stream, const std::string& bytes) {
  stream.Clear();
  stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  stream.SetPosition(0);
}

// The DOM alone: a new document with the reader's options, loaded from the same bytes as a byte array.
double BareLoad(const std::string& bytes) {
  std::unique_ptr<SAFEARRAY, decltype(&SafeArrayDestroy)> array(
      SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size())), &SafeArrayDestroy);
  void* data = nullptr;
  OleCheck(SafeArrayAccessData(array.get(), &data));
  std::memcpy(data, bytes.data(), bytes.size());
  SafeArrayUnaccessData(array.get());
  VARIANT input;
  VariantInit(&input);
  input.vt = VT_ARRAY | VT_UI1;
  input.parray = array.get();

  double start = Seconds();
  CLSID clsid;
  OleCheck(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid));
  ComPtr<IXMLDOMDocument> document;
  OleCheck(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                            reinterpret_cast<void**>(document.GetAddressOf())));
  document->put_async(VARIANT_FALSE);
  document->put_validateOnParse(VARIANT_FALSE);
  document->put_resolveExternals(VARIANT_FALSE);
  document->put_preserveWhiteSpace(VARIANT_FALSE);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  OleCheck(document->load(input, &loaded));
  double elapsed = Seconds() - start;
  if (!loaded) throw Exception(L"The benchmark document did not load");
  return elapsed;
}

double LoadAndRender(const std::string& bytes, size_t& pageSize) {
  TFeed feed;
  TMemoryStream stream;
  Fill(stream, bytes);
  double start = Seconds();
  feed.LoadFromStream(stream);
  stream.SetPosition(0);
  feed.RenderHTML(&stream);
  double elapsed = Seconds() - start;
  pageSize = static_cast<size_t>(stream.Position());
  return elapsed;
}

struct TResult {
  double Bare = 1e30;
  double Feed = 1e30;
};

TResult Measure(int itemCount) {
  std::string bytes = MakeFeed(itemCount);
  TResult result;
  size_t pageSize = 0;
  for (int run = 0; run < kRuns; ++run) {
    result.Bare = std::min(result.Bare, BareLoad(bytes));
    result.Feed = std::min(result.Feed, LoadAndRender(bytes, pageSize));
  }
  std::printf(
      "%6d items, %8zu bytes: bare DOM load %8.1f ms, load + render %8.1f ms (page %zu bytes), "
      "ratio %.2f\n",
      itemCount, bytes.size(), result.Bare * 1000, result.Feed * 1000, pageSize, result.Feed / result.Bare);
  return result;
}

// Markup that makes a filter scan ahead or a sanitiser keep state: unclosed elements nested deeply, end tags
// of nothing, repeated attributes, unclosed comments and raw-text elements, each kind filling the given size.
std::vector<std::string> PathologicalMarkup(size_t size) {
  const char* const units[] = {
      "<style>",
      "<script>",
      "<!--",
      "<b><div><table><tr><td><ul><li><p><font color=red><a href=\"http://x.example/\" title=t>",
      "</i></em><img src=x onerror=y title=\"t\" title=u alt='a'>&amp; &bogus < > <x y=\"",
  };
  std::vector<std::string> texts;
  for (const char* unit : units) {
    std::string text;
    text.reserve(size + 128);
    while (text.size() < size) text += unit;
    texts.push_back(std::move(text));
  }
  return texts;
}

double Sanitise(const std::vector<std::string>& texts) {
  size_t written = 0;
  const double best = BestTime(kRuns, [&] {
    for (const std::string& text : texts) written += SanitizeHTML(text).size();
  });
  if (written == 0) throw Exception(L"The sanitiser wrote nothing");
  return best;
}

}  // namespace

int main() {
  InitializeUnit(FrameworkUnit());
  try {
    TResult small = Measure(1000);
    TResult large = Measure(10000);
    targets.AtMost("load-render-vs-bare-load-1000", small.Feed / small.Bare, 2);
    targets.AtMost("load-render-vs-bare-load-10000", large.Feed / large.Bare, 2);
    targets.AtMost("load-render-10000-vs-1000", large.Feed / small.Feed, 11);
    double smallMarkup = Sanitise(PathologicalMarkup(100 * 1024));
    double largeMarkup = Sanitise(PathologicalMarkup(1024 * 1024));
    std::printf("sanitising pathological markup: 100 KB %.2f ms, 1 MB %.2f ms (each of five kinds)\n",
                smallMarkup * 1000, largeMarkup * 1000);
    targets.AtMost("sanitise-1mb-vs-100kb", largeMarkup / smallMarkup, 12);
  } catch (const std::exception& error) {
    targets.Failed(error.what());
  }
  FinalizeUnits();
  return targets.ExitCode();
}
