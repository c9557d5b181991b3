#pragma once

// Edit masks: the language of the masked edits. An edit mask has up to three sections
// separated by ';': the mask, whether literals are saved in the value ("0": not saved;
// anything else or nothing: saved), and the blank shown in empty positions (default '_').
//
// Mask characters:
//   !   optional characters left empty show as leading blanks (the value fills from the right)
//   >   the characters that follow are upper case (until < or <>)
//   <   the characters that follow are lower case (until > or <>)
//   <>  no case conversion
//   \   the next character is a literal
//   L l a letter (L required, l optional)
//   A a a letter or digit (A required, a optional)
//   C c any character (C required, c optional)
//   0 9 a digit (0 required, 9 optional)
//   #   a digit, '+' or '-' (optional)
//   :   the time separator of FormatSettings (a literal)
//   /   the date separator of FormatSettings (a literal)
//   _   a space (a literal)
// Any other character is a literal.
//
// The edit text shows every position: literals, the typed characters, and the blank in empty
// positions. The value (a masked edit's Text) drops the literals unless the mask saves them
// and has spaces in empty positions. Positions and lengths count UTF-16 units. Any thread.

#include <vector>

#include "rtl/SysTypes.h"

constexpr char16_t kDefaultMaskBlank = u'_';

class TEditMaskFormat {
 public:
  enum class Kind { Literal, Letter, LetterOrDigit, AnyChar, Digit, DigitOrSign };
  enum class Case { Keep, Upper, Lower };
  struct Position {
    Kind kind = Kind::Literal;
    bool required = false;
    Case letterCase = Case::Keep;
    char16_t literal = 0;  // for Kind::Literal
  };

  TEditMaskFormat() = default;
  explicit TEditMaskFormat(const WideString& editMask);
  explicit TEditMaskFormat(const AnsiString& editMask);

  // A mask with at least one position.
  bool IsMasked() const { return !m_positions.empty(); }
  bool SaveLiterals() const { return m_saveLiterals; }
  char16_t Blank() const { return m_blank; }
  bool Reversed() const { return m_reversed; }
  // The number of positions: the length of the edit text.
  int Length() const { return static_cast<int>(m_positions.size()); }
  const Position& At(int position) const { return m_positions[static_cast<size_t>(position)]; }
  bool IsLiteral(int position) const;

  // `c` as it goes into `position` (case converted), or 0 when the position refuses it. A
  // space is taken by optional positions.
  char16_t Accept(int position, char16_t c) const;

  // The first editable position at or after `position` (Length() when none), and the last
  // at or before it (-1 when none).
  int NextEditable(int position) const;
  int PreviousEditable(int position) const;

  // The edit text with every position empty.
  WideString EmptyText() const;
  // Lays a value (holding the literals when the mask saves them) into the edit text;
  // characters a position refuses leave it empty. `blank` fills empty positions.
  WideString Format(const WideString& value, char16_t blank) const;
  WideString Format(const WideString& value) const { return Format(value, m_blank); }
  // The value of an edit text: literals only when saved, empty positions as spaces.
  WideString Value(const WideString& editText) const;
  // The first position of the edit text that breaks the mask (an empty required position or
  // a character of the wrong kind), or -1 when it fits.
  int FirstInvalid(const WideString& editText) const;

 private:
  std::vector<Position> m_positions;
  bool m_saveLiterals = true;
  char16_t m_blank = kDefaultMaskBlank;
  bool m_reversed = false;
};

// The value laid into the mask with spaces for the empty positions (no mask: the value).
AnsiString FormatMaskText(const AnsiString& editMask, const AnsiString& value);
bool MaskGetMaskSave(const AnsiString& editMask);
char16_t MaskGetMaskBlank(const AnsiString& editMask);
