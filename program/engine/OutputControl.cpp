#include "program/engine/OutputControl.h"

#include <algorithm>

#include "engines/QM_OutputCtrl/OutputCtrl.h"

void CancelOutputCtrl(uintptr_t ctrl) {
  if (ctrl) OCCancelProcess(ctrl);
}

void DestroyOutputCtrl(uintptr_t& ctrl) {
  if (!ctrl) return;
  OCDestroyCtrl(ctrl);
  ctrl = 0;
}

WideString OutputCtrlLastError(uintptr_t ctrl) {
  if (!ctrl) return {};
  const int32_t length = OCGetLastError(ctrl, nullptr, 0);
  if (length <= 0) return {};
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  const int32_t copied = OCGetLastError(ctrl, text.data(), static_cast<int32_t>(text.size()));
  text.resize(static_cast<size_t>(std::clamp<int32_t>(copied, 0, length)));
  return text;
}
