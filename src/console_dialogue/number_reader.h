// Reading one number typed by the operator, as the "%f" conversion of
// formatted input reads it, into a binary32 float.
//
// It is not the C library's scanf, for two reasons. On malformed forms (an
// exponent without digits such as "1e", a word that breaks off such as
// "inx", "nan(" and what follows it, a hexadecimal form without digits) C
// libraries depart from ISO C's rule and from each other; this reader
// follows that rule on every platform. And it rounds numbers of any length
// correctly, where a C library's own conversion may not (mingw-w64's strtof
// misreads some long numbers); strtof only ever sees a short canonical form.
// The locale is no reason: the program never calls setlocale, so it runs in
// the "C" locale, though the reader would take the point in any other too.
#ifndef KORVIMALET_CONSOLE_DIALOGUE_NUMBER_READER_H_
#define KORVIMALET_CONSOLE_DIALOGUE_NUMBER_READER_H_

#include <cstdio>

namespace korvimalet {

// Flushes `output`, so that every prompt is visible, then reads one number
// from `input` as the "%f" conversion of formatted input does: skips white
// space, line ends included, then takes the longest prefix of a number
// (optional sign, digits with an optional point, optional exponent; also
// "inf", "infinity", "nan", "nan(...)" and hexadecimal "0x...p..." forms)
// and rounds it correctly to the nearest float. The decimal separator is
// the point, whatever the locale. Whatever stops the number stays in the
// input. Returns NaN when no number could be read (no number at all, an
// incomplete one such as "1e", or the end of the input).
float readNumber(std::FILE* input, std::FILE* output);

}  // namespace korvimalet

#endif  // KORVIMALET_CONSOLE_DIALOGUE_NUMBER_READER_H_
