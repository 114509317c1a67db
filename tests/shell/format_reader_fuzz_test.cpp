// Every block reader of the drag-and-drop formats meets seeded mutations of valid blocks. Each block ends exactly
// where a page without access begins, so reading one byte too far faults instead of passing unseen.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "drag_drop_fixtures.h"
#include "shell/dragdrop/internet_text_formats.h"
#include "shell/dragdrop/simple_clipboard_formats.h"

using namespace shell;

namespace {

const size_t kPage = 4096;
const size_t kUsablePages = 4;
// Every kind of mutation meets every field of each sample many times over in this many blocks per reader.
const int kInputsPerReader = 2000;

// Pages that can be read, followed by one that cannot.
class TGuardedBlock {
 public:
  TGuardedBlock() {
    base_ = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, (kUsablePages + 1) * kPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old = 0;
    VirtualProtect(base_ + kUsablePages * kPage, kPage, PAGE_NOACCESS, &old);
  }
  ~TGuardedBlock() { VirtualFree(base_, 0, MEM_RELEASE); }
  TGuardedBlock(const TGuardedBlock&) = delete;
  TGuardedBlock& operator=(const TGuardedBlock&) = delete;

  // The bytes placed so that their last one is the last readable byte.
  const void* Place(const std::string& bytes) {
    uint8_t* start = base_ + kUsablePages * kPage - bytes.size();
    std::memcpy(start, bytes.data(), bytes.size());
    return start;
  }

 private:
  uint8_t* base_;
};

std::string Group(UINT count, size_t recordSize, const char* name) {
  std::string block(sizeof(UINT) + count * recordSize, '\0');
  std::memcpy(block.data(), &count, sizeof(count));
  for (UINT i = 0; i < count; ++i)
    std::memcpy(block.data() + sizeof(UINT) + i * recordSize + offsetof(FILEDESCRIPTORA, cFileName), name,
                std::strlen(name));
  return block;
}

std::string Mutate(std::string block, std::mt19937& random) {
  std::uniform_int_distribution<int> kind(0, 5);
  std::uniform_int_distribution<int> byte(0, 255);
  int rounds = 1 + static_cast<int>(random() % 4);
  for (int r = 0; r < rounds; ++r) {
    size_t at = block.empty() ? 0 : random() % block.size();
    switch (kind(random)) {
      case 0:
        if (!block.empty()) block[at] = static_cast<char>(byte(random));
        break;
      case 1:
        block.resize(random() % (block.size() + 1));
        break;
      case 2:
        block.append(random() % 700, static_cast<char>(byte(random)));
        break;
      case 3:
        if (block.size() >= 4) {
          UINT count = static_cast<UINT>(random());
          std::memcpy(block.data(), &count, sizeof(count));
        }
        break;
      case 4:
        block.resize(random() % 4);
        break;
      default:
        if (!block.empty()) block.erase(at, random() % 40);
        break;
    }
  }
  if (block.size() > kUsablePages * kPage) block.resize(kUsablePages * kPage);
  return block;
}

using FormatReaderFuzz = TDragDropTest;

TEST_F(FormatReaderFuzz, MutatedBlocksGiveOnlyCleanAnswers) {
  using TFactory = std::function<std::unique_ptr<TCustomSimpleClipboardFormat>()>;
  struct TReader {
    TFactory Make;
    std::string Sample;
  };
  std::vector<TReader> readers = {
      {[] { return std::make_unique<TTextClipboardFormat>(); }, std::string("http://host/\0", 13)},
      {[] { return std::make_unique<TFileContentsClipboardFormat>(); }, "[InternetShortcut]\r\nURL=x\r\n"},
      {[] { return std::make_unique<TTestWideTextFormat>(); }, std::string("t\0e\0x\0t\0\0\0", 10)},
      {[] { return std::make_unique<TTestLinesFormat>(); }, std::string("one\r\ntwo\0", 9)},
      {[] { return std::make_unique<TPreferredDropEffectClipboardFormat>(); }, std::string("\x01\0\0\0", 4)},
      {[] { return std::make_unique<TPerformedDropEffectClipboardFormat>(); }, std::string("\x02\0\0\0", 4)},
      {[] { return std::make_unique<TLogicalPerformedDropEffectClipboardFormat>(); }, std::string("\x02\0\0\0", 4)},
      {[] { return std::make_unique<TPasteSuccededClipboardFormat>(); }, std::string("\x04\0\0\0", 4)},
      {[] { return std::make_unique<TInShellDragLoopClipboardFormat>(); }, std::string("\x01\0\0\0", 4)},
      {[] { return std::make_unique<TFileGroupDescritorClipboardFormat>(); }, Group(2, 332, "a.url")},
      {[] { return std::make_unique<TFileGroupDescritorWClipboardFormat>(); }, Group(1, 592, "w")},
      {[] { return std::make_unique<TTargetCLSIDClipboardFormat>(); }, std::string(16, '\x5A')},
      {[] { return std::make_unique<TVCardClipboardFormat>(); },
       std::string("BEGIN:VCARD\r\nTEL;TYPE=HOME:+1 555\r\nURL:http://x:8/\r\nEND:VCARD\0", 62)},
  };
  TGuardedBlock guarded;
  std::mt19937 random(20261207);
  int accepted = 0;
  const int inputs = kInputsPerReader * static_cast<int>(readers.size());
  for (int i = 0; i < inputs; ++i) {
    const TReader& reader = readers[static_cast<size_t>(i) % readers.size()];
    std::string block = Mutate(reader.Sample, random);
    auto format = reader.Make();
    try {
      if (format->ReadData(guarded.Place(block), block.size())) {
        ++accepted;
        // What was accepted can be offered again.
        std::vector<uint8_t> out(format->GetSize());
        if (!out.empty()) format->WriteData(out.data(), out.size());
      }
    } catch (...) {
      ADD_FAILURE() << "reader " << (i % readers.size()) << " raised on a block of " << block.size() << " bytes";
      break;
    }
  }
  // Both answers occur: the mutations are neither all harmless nor all fatal.
  EXPECT_GT(accepted, inputs / 10);
  EXPECT_LT(accepted, inputs);
}

}  // namespace
