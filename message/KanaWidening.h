// The half-width to full-width katakana correspondence of code page 932 (JIS X 0201 katakana
// to JIS X 0208), built in so that widening never depends on the system's locale.
#pragma once

// The half-width voiced and semi-voiced sound marks.
inline constexpr unsigned char HALF_WIDTH_VOICED_MARK = 0xDE;
inline constexpr unsigned char HALF_WIDTH_SEMI_VOICED_MARK = 0xDF;

// The two Shift-JIS bytes of the full-width form of a half-width katakana byte (0xA1-0xDF:
// punctuation, kana, prolonged sound mark and the two sound marks); nullptr for any other byte.
const char* FullWidthForm(unsigned char halfWidth);

// The two Shift-JIS bytes of the precomposed full-width character for a half-width kana followed
// by a sound mark (ｶ + ﾞ -> ガ, ﾊ + ﾟ -> パ, ｳ + ﾞ -> ヴ); nullptr when code page 932 has none
// (ｱﾞ, ﾜﾞ, ｶﾟ ...).
const char* PrecomposedForm(unsigned char halfWidthKana, unsigned char soundMark);
