#include "framework/streams.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <cstring>
#include <string>

#include "framework/exceptions.h"
#include "temp_files.h"

using Microsoft::WRL::ComPtr;

namespace {

std::string ReadAll(TStream& stream) {
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  stream.SetPosition(0);
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  return bytes;
}

void WriteText(TStream& stream, const char* text) { stream.WriteBuffer(text, static_cast<int32_t>(std::strlen(text))); }

// A memory stream that reports its own end, to show who frees it.
class WatchedStream : public TMemoryStream {
 public:
  explicit WatchedStream(bool* freed) : freed_(freed) {}
  ~WatchedStream() override { *freed_ = true; }

 private:
  bool* freed_;
};

}  // namespace

TEST(MemoryStream, WritingInsideNeverTruncates) {
  TMemoryStream stream;
  WriteText(stream, "abcdefgh");
  stream.SetPosition(2);
  WriteText(stream, "XY");
  EXPECT_EQ(stream.Position(), 4);
  EXPECT_EQ(stream.Size(), 8);
  EXPECT_EQ(ReadAll(stream), "abXYefgh");

  stream.SetPosition(6);
  WriteText(stream, "1234");
  EXPECT_EQ(ReadAll(stream), "abXYef1234");
}

TEST(MemoryStream, GapsAndSizes) {
  TMemoryStream stream;
  stream.SetPosition(3);
  WriteText(stream, "z");
  EXPECT_EQ(ReadAll(stream), std::string("\0\0\0z", 4));

  stream.SetPosition(4);
  stream.SetSize(2);
  EXPECT_EQ(stream.Position(), 2);
  stream.SetSize(5);
  EXPECT_EQ(ReadAll(stream), std::string(5, '\0'));

  char buffer[8];
  stream.SetPosition(3);
  EXPECT_EQ(stream.Read(buffer, 8), 2);
  EXPECT_EQ(stream.Read(buffer, 8), 0);
  stream.SetPosition(4);
  try {
    stream.ReadBuffer(buffer, 2);
    FAIL() << "a short read must raise";
  } catch (const EReadError& error) {
    EXPECT_EQ(error.Message(), L"Stream read error");
  }
  stream.Clear();
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.Position(), 0);

  // Bytes cut off by a smaller size never come back, whether the stream grows again by its size or by a write.
  WriteText(stream, "abcdef");
  stream.SetSize(1);
  stream.SetPosition(3);
  WriteText(stream, "z");
  EXPECT_EQ(ReadAll(stream), std::string("a\0\0z", 4));
}

TEST(MemoryStream, CopyFromAndLoad) {
  TMemoryStream source;
  WriteText(source, "0123456789");
  source.SetPosition(7);

  TMemoryStream whole;
  EXPECT_EQ(whole.CopyFrom(source, 0), 10);
  EXPECT_EQ(ReadAll(whole), "0123456789");

  source.SetPosition(2);
  TMemoryStream part;
  EXPECT_EQ(part.CopyFrom(source, 3), 3);
  EXPECT_EQ(ReadAll(part), "234");
  EXPECT_THROW(part.CopyFrom(source, 50), EReadError);

  source.SetPosition(5);
  TMemoryStream loaded;
  loaded.LoadFromStream(source);
  EXPECT_EQ(loaded.Position(), 0);
  EXPECT_EQ(ReadAll(loaded), "0123456789");
  EXPECT_EQ(std::memcmp(loaded.Memory(), "0123", 4), 0);
}

TEST(FileStream, RoundTripThroughFiles) {
  TTempFile file(L"stream_roundtrip.bin");
  TMemoryStream original;
  WriteText(original, "file bytes\r\n\x01\x02");
  original.SaveToFile(file.Path());

  TMemoryStream loaded;
  loaded.LoadFromFile(file.Path());
  EXPECT_EQ(ReadAll(loaded), "file bytes\r\n\x01\x02");

  {
    TFileStream stream(file.Path(), fmOpenReadWrite);
    stream.Seek(5, TSeekOrigin::soBeginning);
    WriteText(stream, "BYTES");
    EXPECT_EQ(stream.Size(), 14);
    stream.SetSize(4);
    EXPECT_EQ(stream.Size(), 4);
  }
  TFileStream reread(file.Path(), fmOpenRead);
  EXPECT_EQ(ReadAll(reread), "file");
}

TEST(FileStream, ShareModesDenyASecondOpen) {
  TTempFile file(L"stream_share.bin");
  {
    TFileStream writer(file.Path(), fmCreate);
    WriteText(writer, "x");
  }
  {
    TFileStream reader(file.Path(), fmOpenRead | fmShareDenyWrite);
    EXPECT_NO_THROW(TFileStream(file.Path(), fmOpenRead | fmShareDenyWrite));
    try {
      TFileStream(file.Path(), fmOpenWrite | fmShareDenyNone);
      FAIL() << "writing must be denied";
    } catch (const EFOpenError& error) {
      EXPECT_EQ(error.Message().rfind(L"Cannot open file \"" + file.Path() + L"\". ", 0), 0u);
    }
  }
  {
    TFileStream exclusive(file.Path(), fmOpenRead | fmShareExclusive);
    EXPECT_THROW(TFileStream(file.Path(), fmOpenRead | fmShareDenyNone), EFOpenError);
  }
  {
    TFileStream open(file.Path(), fmOpenReadWrite | fmShareDenyNone);
    EXPECT_NO_THROW(TFileStream(file.Path(), fmOpenReadWrite | fmShareDenyNone));
    // Someone else writes: a deny-write open must now fail.
    EXPECT_THROW(TFileStream(file.Path(), fmOpenRead | fmShareDenyWrite), EFOpenError);
  }
}

TEST(FileStream, FailuresNameTheFile) {
  String missing = TestTempPath(L"no such folder\\file.bin");
  try {
    TFileStream stream(missing, fmOpenRead);
    FAIL();
  } catch (const EFOpenError& error) {
    EXPECT_EQ(error.Message().rfind(L"Cannot open file \"" + missing + L"\". ", 0), 0u);
    EXPECT_GT(error.Message().size(), missing.size() + 20);
  }
  try {
    TFileStream stream(missing, fmCreate);
    FAIL();
  } catch (const EFCreateError& error) {
    EXPECT_EQ(error.Message().rfind(L"Cannot create file \"" + missing + L"\". ", 0), 0u);
  }
}

TEST(ResourceStream, FoundAndMissing) {
  HMODULE module = GetModuleHandleW(nullptr);
  TResourceStream greeting(module, L"GREETING", RT_RCDATA);
  EXPECT_EQ(ReadAll(greeting), "Hello resource");
  TResourceStream note(module, L"NOTE", L"TESTDATA");
  EXPECT_EQ(ReadAll(note), "xyz");
  EXPECT_THROW(WriteText(note, "w"), EStreamError);

  try {
    TResourceStream missing(module, L"NOPE", RT_RCDATA);
    FAIL();
  } catch (const EResNotFound& error) {
    EXPECT_EQ(error.Message(), L"Resource NOPE not found");
  }
  try {
    TResourceStream missing(module, MAKEINTRESOURCEW(4711), RT_RCDATA);
    FAIL();
  } catch (const EResNotFound& error) {
    EXPECT_EQ(error.Message(), L"Resource 4711 not found");
  }
}

TEST(StreamAdapter, IStreamOverAMemoryStream) {
  TMemoryStream memory;
  ComPtr<IStream> stream = new TStreamAdapter(&memory);

  ULONG moved = 0;
  ASSERT_EQ(stream->Write("abcdef", 6, &moved), S_OK);
  EXPECT_EQ(moved, 6u);
  LARGE_INTEGER move{};
  ULARGE_INTEGER position{};
  move.QuadPart = -2;
  ASSERT_EQ(stream->Seek(move, STREAM_SEEK_END, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 4u);
  char buffer[8] = {};
  ASSERT_EQ(stream->Read(buffer, 8, &moved), S_OK);
  EXPECT_EQ(moved, 2u);
  EXPECT_EQ(std::string(buffer, 2), "ef");

  move.QuadPart = -1;
  EXPECT_EQ(stream->Seek(move, STREAM_SEEK_SET, &position), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(memory.Position(), 6);

  STATSTG stat{};
  ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(stat.type, static_cast<DWORD>(STGTY_STREAM));
  EXPECT_EQ(stat.cbSize.QuadPart, 6u);

  ULARGE_INTEGER size{};
  size.QuadPart = 3;
  ASSERT_EQ(stream->SetSize(size), S_OK);
  EXPECT_EQ(memory.Size(), 3);

  ComPtr<ISequentialStream> sequential;
  EXPECT_EQ(stream.As(&sequential), S_OK);
  ComPtr<IStream> clone;
  EXPECT_EQ(stream->Clone(&clone), E_NOTIMPL);
}

TEST(StreamAdapter, CopyToAndOwnership) {
  bool freed = false;
  auto* owned = new WatchedStream(&freed);
  WriteText(*owned, "0123456789");
  owned->SetPosition(4);
  {
    ComPtr<IStream> source = new TStreamAdapter(owned, TStreamOwnership::soOwned);
    ComPtr<IStream> target;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &target), S_OK);
    ULARGE_INTEGER count{}, read{}, written{};
    count.QuadPart = 100;
    ASSERT_EQ(source->CopyTo(target.Get(), count, &read, &written), S_OK);
    EXPECT_EQ(read.QuadPart, 6u);
    EXPECT_EQ(written.QuadPart, 6u);

    TOleStream check(target.Get());
    EXPECT_EQ(ReadAll(check), "456789");
    EXPECT_FALSE(freed);
  }
  EXPECT_TRUE(freed);

  bool referencedFreed = false;
  WatchedStream referenced(&referencedFreed);
  { ComPtr<IStream> stream = new TStreamAdapter(&referenced); }
  EXPECT_FALSE(referencedFreed);
}

// A copy sizes its destination once for all it takes, before the first write, as the platform's memory streams copy
// their whole block on every write that grows them; a destination already large enough is not sized.
TEST(StreamAdapter, CopyToSizesItsDestinationOnce) {
  struct TRecordingStream : TMemoryStream {
    std::string Calls;
    void SetSize(int64_t size) override {
      Calls += "size " + std::to_string(size) + ";";
      TMemoryStream::SetSize(size);
    }
    int32_t Write(const void* buffer, int32_t count) override {
      if (Calls.empty() || Calls.back() != 'w') Calls += "w";
      return TMemoryStream::Write(buffer, count);
    }
  };
  std::string bytes(1 << 20, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  TMemoryStream source;
  source.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  TRecordingStream destination;
  destination.WriteBuffer("head", 4);
  destination.Calls.clear();
  ComPtr<IStream> from = new TStreamAdapter(&source);
  ComPtr<IStream> to = new TStreamAdapter(&destination);
  ULARGE_INTEGER count{}, read{}, written{};
  count.QuadPart = bytes.size() + 100;
  source.SetPosition(0);
  ASSERT_EQ(from->CopyTo(to.Get(), count, &read, &written), S_OK);
  EXPECT_EQ(written.QuadPart, bytes.size());
  EXPECT_EQ(destination.Calls, "size " + std::to_string(bytes.size() + 4) + ";w");
  EXPECT_TRUE(ReadAll(destination) == "head" + bytes);

  destination.SetPosition(4);
  destination.Calls.clear();
  source.SetPosition(0);
  ASSERT_EQ(from->CopyTo(to.Get(), count, &read, &written), S_OK);
  EXPECT_EQ(destination.Calls, "w") << "room enough already";
}

TEST(OleStream, StreamOverHGlobal) {
  ComPtr<IStream> global;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &global), S_OK);
  TOleStream stream(global.Get());
  WriteText(stream, "platform");
  EXPECT_EQ(stream.Size(), 8);
  stream.Seek(-4, TSeekOrigin::soEnd);
  char buffer[4];
  stream.ReadBuffer(buffer, 4);
  EXPECT_EQ(std::string(buffer, 4), "form");
  stream.SetSize(4);
  EXPECT_EQ(ReadAll(stream), "plat");

  // A round trip both ways: a failure inside our stream comes back as the platform's error and is raised again.
  TResourceStream readOnly(GetModuleHandleW(nullptr), L"GREETING", RT_RCDATA);
  ComPtr<IStream> adapter = new TStreamAdapter(&readOnly);
  TOleStream back(adapter.Get());
  EXPECT_EQ(ReadAll(back), "Hello resource");
  try {
    WriteText(back, "no");
    FAIL();
  } catch (const EOleSysError& error) {
    EXPECT_EQ(error.ErrorCode(), STG_E_CANTSAVE);
  }
}
