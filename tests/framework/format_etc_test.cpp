#include "framework/format_etc.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "framework/format_etc_enumerator.h"
#include "support/memory_blocks.h"

using Microsoft::WRL::ComPtr;

namespace {

// A target device record: header and driver name.
Bytes DeviceRecord(const wchar_t* driver) {
  size_t header = offsetof(DVTARGETDEVICE, tdData);
  size_t nameBytes = (wcslen(driver) + 1) * sizeof(wchar_t);
  Bytes record(header + nameBytes);
  auto* device = reinterpret_cast<DVTARGETDEVICE*>(record.data());
  device->tdSize = static_cast<DWORD>(record.size());
  device->tdDriverNameOffset = static_cast<WORD>(header);
  std::memcpy(record.data() + header, driver, nameBytes);
  return record;
}

Bytes DeviceBytes(const FORMATETC& format) { return BytesOf(format.ptd, format.ptd->tdSize); }

}  // namespace

// Target devices come from other programs: a record whose size cannot hold its own header is refused, any other
// is copied byte for byte.
TEST(FormatEtcCopy, SeededMutationsOfTargetDevices) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    Bytes device(64);
    for (auto& byte : device) byte = static_cast<uint8_t>(random());
    auto* record = reinterpret_cast<DVTARGETDEVICE*>(device.data());
    record->tdSize = random() % (device.size() + 1);
    FORMATETC source{static_cast<CLIPFORMAT>(random()), record, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC copy{};
    HRESULT result = DuplicateFormatEtc(source, copy);
    if (record->tdSize < offsetof(DVTARGETDEVICE, tdData)) {
      EXPECT_EQ(result, DV_E_DVTARGETDEVICE_SIZE);
      EXPECT_EQ(copy.ptd, nullptr);
    } else {
      ASSERT_EQ(result, S_OK);
      Bytes expected(device.begin(), device.begin() + record->tdSize);
      EXPECT_EQ(DeviceBytes(copy), expected);
      TFormatEtc owned(copy), again = owned;
      EXPECT_NE(owned.Get().ptd, again.Get().ptd);
      EXPECT_EQ(DeviceBytes(again.Get()), expected);
    }
    FreeFormatEtc(copy);
  }
}

namespace {

struct EnumeratorFixture : testing::Test {
  Bytes device = DeviceRecord(L"plotter");
  std::vector<FORMATETC> formats{
      {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
      {CF_BITMAP, reinterpret_cast<DVTARGETDEVICE*>(device.data()), DVASPECT_CONTENT, -1, TYMED_GDI},
      {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM},
  };
  ComPtr<IEnumFORMATETC> enumerator = new TFormatEtcEnumerator(formats);

  // The formats the next call hands out, freed again; checks each record against the list.
  std::vector<CLIPFORMAT> Fetch(IEnumFORMATETC* from, ULONG count, HRESULT expected) {
    std::vector<FORMATETC> got(count + 1);
    ULONG fetched = 99;
    EXPECT_EQ(from->Next(count, got.data(), &fetched), expected);
    std::vector<CLIPFORMAT> ids;
    for (ULONG i = 0; i < fetched; ++i) {
      ids.push_back(got[i].cfFormat);
      if (got[i].cfFormat == CF_BITMAP) {
        EXPECT_NE(static_cast<void*>(got[i].ptd), static_cast<void*>(device.data()));
        EXPECT_EQ(DeviceBytes(got[i]), device);
      } else {
        EXPECT_EQ(got[i].ptd, nullptr);
      }
      FreeFormatEtc(got[i]);
    }
    return ids;
  }
};

}  // namespace

TEST_F(EnumeratorFixture, NextAndSkipCountWhatIsLeft) {
  using Ids = std::vector<CLIPFORMAT>;
  struct Case {
    ULONG skip;
    HRESULT skipResult;
    ULONG count;
    HRESULT nextResult;
    Ids ids;
  };
  const Case cases[] = {
      {0, S_OK, 1, S_OK, {CF_TEXT}},
      {0, S_OK, 3, S_OK, {CF_TEXT, CF_BITMAP, CF_UNICODETEXT}},
      {0, S_OK, 5, S_FALSE, {CF_TEXT, CF_BITMAP, CF_UNICODETEXT}},
      {0, S_OK, 0, S_OK, {}},
      {1, S_OK, 1, S_OK, {CF_BITMAP}},
      {2, S_OK, 2, S_FALSE, {CF_UNICODETEXT}},
      {3, S_OK, 1, S_FALSE, {}},
      {4, S_FALSE, 1, S_FALSE, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "skip " << c.skip << ", next " << c.count);
    ASSERT_EQ(enumerator->Reset(), S_OK);
    EXPECT_EQ(enumerator->Skip(c.skip), c.skipResult);
    EXPECT_EQ(Fetch(enumerator.Get(), c.count, c.nextResult), c.ids);
  }
  FORMATETC one[2];
  EXPECT_EQ(enumerator->Next(2, one, nullptr), E_INVALIDARG);
}

TEST_F(EnumeratorFixture, ClonesKeepThePositionAndMoveOnTheirOwn) {
  Fetch(enumerator.Get(), 1, S_OK);
  ComPtr<IEnumFORMATETC> clone;
  ASSERT_EQ(enumerator->Clone(&clone), S_OK);
  EXPECT_EQ(Fetch(enumerator.Get(), 2, S_OK), (std::vector<CLIPFORMAT>{CF_BITMAP, CF_UNICODETEXT}));
  EXPECT_EQ(Fetch(clone.Get(), 3, S_FALSE), (std::vector<CLIPFORMAT>{CF_BITMAP, CF_UNICODETEXT}));
  clone->Reset();
  enumerator.Reset();
  // The list outlives the enumerator it was cloned from.
  EXPECT_EQ(Fetch(clone.Get(), 1, S_OK), std::vector<CLIPFORMAT>{CF_TEXT});
}
