#pragma once
// Number conversions and text forms shared by every part of the program.
//
//  Val        lenient: leading blanks skipped, then the longest numeric prefix;
//             0 when the text does not start with a number.
//  StrictVal  the whole text (surrounding blanks allowed) must be a number.
//  CInt/CLng  round to nearest, halves to even, clamped to the 16/32-bit range
//             (NaN gives 0), so an out-of-range value has one defined outcome.
//  Int        rounds down.
//
// Text forms (7 significant digits for a Single, 15 for a Double, period as
// the separator, exponent form only where the fixed form cannot show the
// value in those digits):
//  PlainText   "0.5", "24", "-3"
//  SignedText  " .5", " 24", "-3"   (blank in front of a non-negative value,
//                                    no 0 before the point)
//  PrintText   SignedText followed by one blank, for written text files.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

double Val(std::string_view text);
std::optional<double> StrictVal(std::string_view text);

namespace detail {
// Half-even rounding clamped to T's range, done by hand so the result never
// depends on the floating-point rounding mode. Inline: the plots call it for
// every sample.
template <typename T>
inline T roundClamped(double x)
{
    constexpr int64_t lo = std::numeric_limits<T>::min();
    constexpr int64_t hi = std::numeric_limits<T>::max();
    if (x != x)
        return 0;
    if (x >= static_cast<double>(hi))
        return static_cast<T>(hi);
    if (x <= static_cast<double>(lo))
        return static_cast<T>(lo);
    int64_t f = static_cast<int64_t>(x); // x is well inside the 64-bit range here
    f -= static_cast<double>(f) > x;     // down to the floor
    const double frac = x - static_cast<double>(f); // exact for these magnitudes
    // Up past a half, and from a half to the even neighbour: added as
    // comparisons, not taken as branches, which amplitudes mispredict.
    const int64_t r = f + ((frac > 0.5) | ((frac == 0.5) & (f & 1)));
    return static_cast<T>(r > hi ? hi : (r < lo ? lo : r));
}
} // namespace detail

inline int16_t CInt(double x) { return detail::roundClamped<int16_t>(x); }
inline int32_t CLng(double x) { return detail::roundClamped<int32_t>(x); }
double Int(double x);

std::string PlainText(float v);
std::string PlainText(double v);
std::string PlainText(int v);
std::string SignedText(float v);
std::string SignedText(double v);
std::string SignedText(int v);
std::string PrintText(float v);
std::string PrintText(double v);
std::string PrintText(int v);

// Reads a text file item by item. Line ends: CR LF, a bare LF and a bare CR
// each end a line (real instrument headers mix them).
//  - Blanks (spaces, tabs) before an item are skipped.
//  - A text item ends at a comma or at the end of the line.
//  - A number item ends at a blank, a comma or the end of the line; a number
//    item that is not numeric reads as 0.
//  - After an item, blanks are skipped and one comma or one line end that
//    follows is consumed.
class TextItemReader {
public:
    // A number item as written, and the line (from 1) it starts on.
    struct Item {
        std::string_view text; // points into the reader's data
        size_t line = 0;
    };

    explicit TextItemReader(std::string data);
    bool atEnd() const; // no further item, only blanks and line ends remain
    std::string readText();
    double readNumber();
    // The next number item unconverted, for a reader that must refuse an item
    // that is not a number rather than take it as 0. The item between two
    // commas is empty. Nothing when atEnd().
    std::optional<Item> readNumberItem();
    std::string readLine(); // the rest of the current line, line end consumed

private:
    void skipBlanks();
    void finishItem();
    bool atLineEnd() const;
    void consumeLineEnd();
    std::string_view scanNumberItem();
    size_t lineAt(size_t pos);
    std::string d_;
    size_t p_ = 0;
    // Line numbers are counted on demand: the line at linePos_ is line_.
    size_t linePos_ = 0;
    size_t line_ = 1;
};

} // namespace orv
