// Memory streams driven the way a hostile caller would: positions and sizes at the edges of 64 bits, a stream
// saved into itself, and seeded runs of mixed calls checked against a plain byte string.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string>

#include "framework/exceptions.h"
#include "framework/streams.h"
#include "support/hostile_input.h"

namespace {

struct HostileCall {
  const char* Name;
  std::function<void(TMemoryStream&)> Call;
};

}  // namespace

TEST(MemoryStreamHostility, PositionsAndSizesBeyondWhatMemoryHoldsRaiseStreamErrors) {
  const char sixteen[16] = {};
  const HostileCall calls[] = {
      {"write past the largest position",
       [&](TMemoryStream& s) {
         s.Seek(INT64_MAX - 8, TSeekOrigin::soBeginning);
         s.Write(sixteen, 16);
       }},
      {"seek forward past 64 bits",
       [](TMemoryStream& s) {
         s.Seek(INT64_MAX, TSeekOrigin::soBeginning);
         s.Seek(INT64_MAX, TSeekOrigin::soCurrent);
       }},
      {"seek from the end past 64 bits", [](TMemoryStream& s) { s.Seek(INT64_MAX, TSeekOrigin::soEnd); }},
      {"seek back past 64 bits", [](TMemoryStream& s) { s.Seek(INT64_MIN, TSeekOrigin::soCurrent); }},
      {"seek before the start", [](TMemoryStream& s) { s.Seek(-5, TSeekOrigin::soEnd); }},
      {"size of a terabyte", [](TMemoryStream& s) { s.SetSize(int64_t{1} << 40); }},
      {"largest size", [](TMemoryStream& s) { s.SetSize(INT64_MAX); }},
      {"negative size", [](TMemoryStream& s) { s.SetSize(-1); }},
  };
  for (const HostileCall& call : calls) {
    TMemoryStream stream;
    stream.WriteBuffer("abc", 3);
    EXPECT_THROW(call.Call(stream), EStreamError) << call.Name;
    // Whatever was refused, the stream still holds what it held.
    EXPECT_EQ(stream.Size(), 3) << call.Name;
    EXPECT_EQ(std::string(static_cast<const char*>(stream.Memory()), 3), "abc") << call.Name;
  }
}

TEST(MemoryStreamHostility, TheIStreamAdapterRefusesPositionsBeyond64Bits) {
  TMemoryStream stream;
  stream.WriteBuffer("abc", 3);
  Microsoft::WRL::ComPtr<IStream> adapter(new TStreamAdapter(&stream));
  LARGE_INTEGER move;
  ULARGE_INTEGER position{};
  move.QuadPart = INT64_MAX;
  EXPECT_EQ(adapter->Seek(move, STREAM_SEEK_END, &position), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(adapter->Seek(move, STREAM_SEEK_SET, &position), S_OK);
  EXPECT_EQ(adapter->Seek(move, STREAM_SEEK_CUR, &position), STG_E_INVALIDFUNCTION);
  ULARGE_INTEGER huge;
  huge.QuadPart = ~0ull;
  EXPECT_NE(adapter->SetSize(huge), S_OK);
  EXPECT_EQ(stream.Size(), 3);
}

TEST(MemoryStreamHostility, SavingAndLoadingItselfKeepsItsBytes) {
  std::string expected;
  for (int i = 0; i < 100; ++i) expected += static_cast<char>('a' + i % 26);
  TMemoryStream stream;
  stream.WriteBuffer(expected.data(), 100);
  stream.SaveToStream(stream);
  ASSERT_EQ(stream.Size(), 200);
  EXPECT_EQ(std::string(static_cast<const char*>(stream.Memory()), 200), expected + expected);
  stream.LoadFromStream(stream);
  EXPECT_EQ(stream.Size(), 200);
  EXPECT_EQ(stream.Position(), 0);
}

TEST(MemoryStreamHostility, ReadingEndsAtTheLastByte) {
  TGuardedStream stream("0123456789");
  char buffer[32] = {};
  stream.Seek(7, TSeekOrigin::soBeginning);
  EXPECT_EQ(stream.Read(buffer, 32), 3);
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(ReadToEnd(stream), "");
  stream.SetPosition(2);
  EXPECT_EQ(ReadToEnd(stream), "23456789");
  stream.SetPosition(50);
  EXPECT_EQ(stream.Read(buffer, 32), 0);
}

// Seeded mixed calls with hostile numbers: only stream errors come out, and the content always equals the
// byte string the same successful calls make.
TEST(MemoryStreamHostility, SeededCallsMatchAPlainByteString) {
  TMutator random(20261207);
  const int64_t edges[] = {0, 1, 7, 100, 4096, -1, -100, int64_t{1} << 40, INT64_MAX, INT64_MIN, INT64_MAX - 3};
  for (int run = 0; run < 1000; ++run) {
    TMemoryStream stream;
    std::string model;
    int64_t position = 0;
    // What a successful write does: bytes at the position, a zero-filled gap before them when it lies beyond.
    auto writeModel = [&](const std::string& bytes) {
      if (bytes.empty()) return;
      if (model.size() < static_cast<size_t>(position) + bytes.size())
        model.resize(static_cast<size_t>(position) + bytes.size(), '\0');
      model.replace(static_cast<size_t>(position), bytes.size(), bytes);
      position += static_cast<int64_t>(bytes.size());
    };
    for (int step = 0; step < 25; ++step) {
      const int64_t number =
          random.Below(2) ? edges[random.Below(std::size(edges))] : static_cast<int64_t>(random.Below(300)) - 50;
      try {
        switch (random.Below(5)) {
          case 0: {
            const auto origin = static_cast<TSeekOrigin>(random.Below(3));
            const int64_t base = origin == TSeekOrigin::soBeginning ? 0
                                 : origin == TSeekOrigin::soCurrent ? position
                                                                    : static_cast<int64_t>(model.size());
            stream.Seek(number, origin);
            position = base + number;
            break;
          }
          case 1: {
            const std::string bytes(random.Below(40), static_cast<char>('A' + step));
            const int32_t written = stream.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
            ASSERT_EQ(written, static_cast<int32_t>(bytes.size()));
            writeModel(bytes);
            break;
          }
          case 2: {
            stream.SetSize(number);
            ASSERT_LE(number, 100000) << "a size beyond memory was granted";
            model.resize(static_cast<size_t>(number), '\0');
            position = std::min<int64_t>(position, number);
            break;
          }
          case 3: {
            char buffer[64];
            const int32_t got = stream.Read(buffer, static_cast<int32_t>(random.Below(64)));
            const int64_t expected =
                position >= static_cast<int64_t>(model.size()) ? 0 : std::min<int64_t>(got, model.size() - position);
            ASSERT_EQ(got, expected);
            if (got > 0) {
              ASSERT_EQ(std::string(buffer, static_cast<size_t>(got)),
                        model.substr(static_cast<size_t>(position), got));
            }
            position += got;
            break;
          }
          default:
            stream.SaveToStream(stream);
            writeModel(std::string(model));
            break;
        }
      } catch (const EStreamError&) {
      } catch (const std::exception& e) {
        FAIL() << "run " << run << " step " << step << ": " << e.what();
      }
      ASSERT_EQ(stream.Size(), static_cast<int64_t>(model.size())) << "run " << run << " step " << step;
      ASSERT_EQ(stream.Position(), position) << "run " << run << " step " << step;
      if (!model.empty()) {
        ASSERT_EQ(std::string(static_cast<const char*>(stream.Memory()), model.size()), model) << "run " << run;
      }
    }
  }
}
