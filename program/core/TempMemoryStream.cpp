#include "program/core/TempMemoryStream.h"

int32_t TTempMemoryStream::Write(const void*, int32_t) { throw EStreamError("not support write."); }

// The caller's block cannot grow or shrink either.
void TTempMemoryStream::SetSize(int64_t) { throw EStreamError("not support write."); }
