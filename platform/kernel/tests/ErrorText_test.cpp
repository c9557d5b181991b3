#include "platform/kernel/ErrorText.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/kernel/WinError.h"

namespace {

std::string SystemText(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                          FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                      nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string result = length ? std::string(text, length) : std::string();
  LocalFree(text);
  return result;
}

TEST(ErrorText, SystemTexts) {
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(SystemText(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified.\r\n");
  EXPECT_EQ(SystemText(ERROR_SHARING_VIOLATION),
            "The process cannot access the file because it is being used by another process.\r\n");
  EXPECT_EQ(SystemText(ERROR_ALREADY_EXISTS), "Cannot create a file when that file already exists.\r\n");
  EXPECT_EQ(SystemText(0x7777), "");
  EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);

  char16_t wide[128];
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, wide, 128, nullptr);
  EXPECT_EQ(std::u16string(wide, length), u"Access is denied.\r\n");
  EXPECT_EQ(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, wide, 5, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(ErrorText, DetailOfTheCurrentLastError) {
  platform::detail::SetLastErrorWithDetail(ERROR_MOD_NOT_FOUND, "QM_Log.so: cannot open shared object file");
  EXPECT_EQ(SystemText(ERROR_MOD_NOT_FOUND),
            "The specified module could not be found. QM_Log.so: cannot open shared object file\r\n");
  // Another code, or a later SetLastError, gets the plain text.
  platform::detail::SetLastErrorWithDetail(ERROR_MOD_NOT_FOUND, "detail");
  EXPECT_EQ(SystemText(ERROR_PROC_NOT_FOUND), "The specified procedure could not be found.\r\n");
  SetLastError(ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(SystemText(ERROR_MOD_NOT_FOUND), "The specified module could not be found.\r\n");
}

TEST(ErrorText, MessageStringsWithInserts) {
  const DWORD_PTR arguments[] = {reinterpret_cast<DWORD_PTR>("disc.iso"), 42};
  char buffer[128];
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                      "Cannot open %1 (%2!d!%%)%n", 0, 0, buffer, sizeof buffer,
                                      reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(arguments)));
  EXPECT_EQ(std::string(buffer, length), "Cannot open disc.iso (42%)\r\n");
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_IGNORE_INSERTS, "keep %1", 0, 0, buffer,
                           sizeof buffer, nullptr),
            7u);
  EXPECT_STREQ(buffer, "keep %1");
}

}  // namespace
