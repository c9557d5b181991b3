#pragma once

// Value texts of XML form files: the "ValueType" words of defined properties and the
// conversion of an element's text into one value of the class library's binary value stream
// (see vcl/Filer.h), hexadecimal data, and the locale number and date texts.
//
// Pure functions; any thread.

#include "program/core/FSxmldom.h"
#include "rtl/SysTypes.h"
#include "vcl/Filer.h"

class TWriterAccess;

namespace core::detail {

// Writes the value of a defined-property element; its "ValueType" word (letter case ignored)
// decides the type: Integer, Int64, String, Ident, Boolean, Float, Single, Double, Currency,
// Date, Set, Binary, List (items of the "DataType" word), Collection, nil. Returns false,
// writing nothing, for "Null", an unknown word or none: the element carries no value.
// Raises EConvertError for a number or date that does not convert, EReadError for a
// Boolean other than True or False.
bool WriteXMLValue(TWriterAccess& writer, const IXMLNodePtr& element);

// The bytes of hexadecimal text: pairs of digits (either letter case), with characters below
// 33 or above 255 skipped between pairs; decoding stops at any other character and at a pair
// that such a character cuts.
RawByteString HexTextToBytes(const WideString& text);

// Numbers and dates in the user's locale format; EConvertError when the text is none.
double XMLTextToFloat(const WideString& text);
TDateTime XMLTextToDate(const WideString& text);

// The lines of a text (CR LF, LF or CR); a line break at the very end adds no empty line.
std::vector<WideString> SplitXMLTextLines(const WideString& text);

}  // namespace core::detail
