#include <gtest/gtest.h>

#include <vector>

#include "program/imaging/GPStreams.h"

namespace {

TMemoryStream* StreamOf(int size) {
  auto* stream = new TMemoryStream;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  for (int i = 0; i < size; ++i) bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  stream->WriteBuffer(bytes.data(), size);
  stream->SetPosition(0);
  return stream;
}

TEST(GPStreamAdapter, PositionsCountFromWhereTheStreamStood) {
  TMemoryStream* stream = StreamOf(300);
  stream->SetPosition(100);
  TComRef<TGPStreamAdapter> adapter(new TGPStreamAdapter(stream, soOwned));
  LARGE_INTEGER move;
  move.QuadPart = 0;
  ULARGE_INTEGER position;
  position.QuadPart = 99;
  ASSERT_EQ(adapter->Seek(move, STREAM_SEEK_SET, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 0u);
  EXPECT_EQ(stream->Position(), 100);
  uint8_t byte = 0;
  ULONG read = 0;
  ASSERT_EQ(adapter->Read(&byte, 1, &read), S_OK);
  EXPECT_EQ(read, 1u);
  EXPECT_EQ(byte, 100);

  move.QuadPart = -10;
  ASSERT_EQ(adapter->Seek(move, STREAM_SEEK_END, &position), S_OK);
  EXPECT_EQ(position.QuadPart, 190u);

  STATSTG stat{};
  ASSERT_EQ(adapter->Stat(&stat, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(stat.type, STGTY_STREAM);
  EXPECT_EQ(stat.cbSize.QuadPart, 200u);
  EXPECT_EQ(stat.grfLocksSupported, 1u);
  EXPECT_EQ(adapter->Stat(nullptr, 0), S_OK);

  ULARGE_INTEGER size;
  size.QuadPart = 50;
  ASSERT_EQ(adapter->SetSize(size), S_OK);
  EXPECT_EQ(stream->Size(), 150);

  // The block interface reads at absolute positions and leaves the position alone.
  IGPStreamData* data = nullptr;
  ASSERT_EQ(adapter->QueryInterface(IID_IGPStreamData, reinterpret_cast<void**>(&data)), S_OK);
  const int64_t before = stream->Position();
  void* block = nullptr;
  ASSERT_EQ(data->ReadBlock(5, 3, &block), S_OK);
  EXPECT_EQ(static_cast<uint8_t*>(block)[0], 5);
  EXPECT_EQ(static_cast<uint8_t*>(block)[2], 7);
  EXPECT_EQ(stream->Position(), before);
  data->FreeBlock(block);
  DWORD total = 0;
  data->GetSize(&total);
  EXPECT_EQ(total, 150u);
  data->Release();
}

TEST(GPStreamAdapter, AnswersOfTheUnsupportedAndTheInvalid) {
  TMemoryStream stream;
  TComRef<TStreamAdapter> adapter(new TStreamAdapter(&stream, soReference));
  ULARGE_INTEGER any;
  any.QuadPart = 0;
  LARGE_INTEGER move;
  move.QuadPart = 0;
  IStream* clone = reinterpret_cast<IStream*>(1);
  EXPECT_EQ(adapter->Read(nullptr, 1, nullptr), STG_E_INVALIDPOINTER);
  EXPECT_EQ(adapter->Write(nullptr, 1, nullptr), STG_E_INVALIDPOINTER);
  EXPECT_EQ(adapter->Seek(move, 3, nullptr), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(adapter->Commit(0), S_OK);
  EXPECT_EQ(adapter->Revert(), STG_E_REVERTED);
  EXPECT_EQ(adapter->LockRegion(any, any, 1), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(adapter->UnlockRegion(any, any, 1), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(adapter->Clone(&clone), E_NOTIMPL);
  EXPECT_EQ(clone, nullptr);
  void* other = nullptr;
  EXPECT_EQ(adapter->QueryInterface(IID_IGPStreamData, &other), E_NOINTERFACE);
}

TEST(GPStreamAdapter, CopyToMovesTheBytes) {
  TComRef<TStreamAdapter> source(new TStreamAdapter(StreamOf(3000000), soOwned));
  TMemoryStream target;
  TComRef<TStreamAdapter> sink(new TStreamAdapter(&target, soReference));
  ULARGE_INTEGER count, read, written;
  count.QuadPart = 2500000;
  ASSERT_EQ(source->CopyTo(sink.get(), count, &read, &written), S_OK);
  EXPECT_EQ(read.QuadPart, 2500000u);
  EXPECT_EQ(written.QuadPart, 2500000u);
  ASSERT_EQ(target.Size(), 2500000);
  EXPECT_EQ(static_cast<uint8_t*>(target.Memory())[2499999], static_cast<uint8_t>(2499999));
}

TEST(OleStream, ReadsWritesAndSeeksAnIStream) {
  IStream* memory = platform::CreateMemoryStream("abcdef", 6);
  {
    TOleStream stream(memory);
    char buffer[3] = {};
    EXPECT_EQ(stream.Read(buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(stream.Seek(-1, soFromEnd), 5);
    EXPECT_EQ(stream.Write("XY", 2), 2);
    EXPECT_EQ(stream.Size(), 7);
    // A failing call raises with the system's text.
    EXPECT_THROW(stream.Seek(0, 7), EStreamError);
  }
  memory->Release();
}

}  // namespace
