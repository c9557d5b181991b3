#pragma once

// TWideFileStream: a file stream opened by a wide path through the kernel layer, so share
// modes hold against other opens. Mode: fmCreate (0xFF00, or 0xFFFF) creates or empties the
// file with read and write access and no sharing; any other mode opens an existing file
// with the access and sharing of the mode word (see WideFileOpen). Reading, writing, seeking
// and resizing are those of THandleStream. One thread at a time.

#include "platform/kernel/WinTypes.h"
#include "vcl/Classes.h"

class TWideFileStream : public THandleStream {
 public:
  // Raises EFCreateError "Cannot create file "<full path>". <system text>" or EFOpenError
  // "Cannot open file "<full path>". <system text>".
  TWideFileStream(const WideString& fileName, Word mode, uint32_t rights = 0);
  ~TWideFileStream() override;

  const WideString& FileName() const { return FFileName; }

 private:
  HANDLE m_file = nullptr;
  WideString FFileName;
};
