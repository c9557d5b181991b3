#pragma once

// TTempMemoryStream: a read-only stream over memory that the caller keeps alive and frees.
// Nothing is copied; every write raises EStreamError "not support write.".

#include "vcl/Classes.h"

class TTempMemoryStream : public TCustomMemoryStream {
 public:
  TTempMemoryStream(const void* memory, int64_t size) { SetPointer(const_cast<void*>(memory), size); }
  int32_t Write(const void* buffer, int32_t count) override;
  void SetSize(int64_t newSize) override;
};
