#pragma once

// The runtime's basic types. AnsiString holds UTF-8 (the system's ANSI code page);
// WideString holds UTF-16 and counts lengths in code units.

#include <cstdint>
#include <string>

using AnsiString = std::string;
using WideString = std::u16string;
using UnicodeString = std::u16string;
using RawByteString = std::string;

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;

using Cardinal = uint32_t;
using Integer = int32_t;
using Int64 = int64_t;
using Word = uint16_t;
using Byte = uint8_t;
using LongBool = int32_t;
