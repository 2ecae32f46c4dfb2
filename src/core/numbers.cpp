// Number conversions and text forms. Everything here is locale-independent:
// a period is always the decimal separator, whatever the user's settings.
#include "core/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace orv {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Characters the lenient conversion skips before a number.
bool isLeadingSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isLineEndChar(char c) { return c == '\r' || c == '\n'; }

// One number recognised at the start of a text:
//   [+|-] digits [. digits] [(E|e|D|d) [+|-] digits]
// with at least one mantissa digit. An exponent marker not followed by digits
// is not part of the number.
struct NumberMatch {
    size_t length = 0;      // characters taken; 0 when no number starts here
    bool negative = false;
    std::string canonical;  // unsigned mantissa and exponent, 'E' as marker
    long long decimalMagnitude = 0; // rough power of ten of the value (saturated)
    bool mantissaIsZero = true;
};

NumberMatch matchNumber(std::string_view s)
{
    NumberMatch m;
    size_t i = 0;
    const size_t n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        m.negative = s[i] == '-';
        ++i;
    }

    // Position of the first non-zero digit relative to the point: the value's
    // power of ten is about (digits before the point counted from it) - 1.
    long long leadPower = 0;
    bool seenNonZero = false;

    size_t intDigits = 0;
    while (i < n && isDigit(s[i])) {
        m.canonical.push_back(s[i]);
        if (s[i] != '0' && !seenNonZero) seenNonZero = true;
        if (seenNonZero && leadPower < 1000000) ++leadPower;
        ++intDigits;
        ++i;
    }
    size_t fracDigits = 0;
    if (i < n && s[i] == '.') {
        size_t j = i + 1;
        std::string frac;
        long long zerosBefore = 0;
        bool fracNonZero = seenNonZero;
        while (j < n && isDigit(s[j])) {
            frac.push_back(s[j]);
            if (!fracNonZero) {
                if (s[j] == '0') {
                    if (zerosBefore < 1000000) ++zerosBefore;
                } else {
                    fracNonZero = true;
                }
            }
            ++fracDigits;
            ++j;
        }
        if (intDigits + fracDigits > 0) {
            m.canonical.push_back('.');
            m.canonical += frac;
            if (!seenNonZero && fracNonZero) leadPower = -zerosBefore;
            seenNonZero = fracNonZero;
            i = j;
        }
    }
    if (intDigits + fracDigits == 0) return NumberMatch{};
    m.mantissaIsZero = !seenNonZero;

    long long exponent = 0;
    if (i < n && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        size_t j = i + 1;
        bool expNegative = false;
        if (j < n && (s[j] == '+' || s[j] == '-')) {
            expNegative = s[j] == '-';
            ++j;
        }
        if (j < n && isDigit(s[j])) {
            m.canonical.push_back('E');
            if (expNegative) m.canonical.push_back('-');
            while (j < n && isDigit(s[j])) {
                m.canonical.push_back(s[j]);
                if (exponent < 1000000) exponent = exponent * 10 + (s[j] - '0');
                ++j;
            }
            if (expNegative) exponent = -exponent;
            i = j;
        }
    }
    m.decimalMagnitude = leadPower + exponent;
    m.length = i;
    return m;
}

// The value of a matched number. Out-of-range magnitudes never give an
// infinity: an overflow gives the largest finite double with the number's
// sign, an underflow gives 0.
double valueOf(const NumberMatch &m)
{
    if (m.mantissaIsZero) return 0.0;
    double v = 0.0;
    const char *first = m.canonical.data();
    const char *last = first + m.canonical.size();
    auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
    if (ec == std::errc::result_out_of_range || (ec == std::errc() && std::isinf(v))) {
        v = m.decimalMagnitude > 0 ? std::numeric_limits<double>::max() : 0.0;
    } else if (ec != std::errc()) {
        v = 0.0; // cannot happen for a matched number; stay defined anyway
    }
    (void)ptr;
    if (v == 0.0) return 0.0;
    return m.negative ? -v : v;
}

// The general decimal text with at most `digits` significant digits, as the
// C library's "%.<digits>G" writes it, but independent of the locale.
std::string generalText(double v, int digits)
{
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v < 0 ? "-Inf" : "Inf";
    if (v == 0.0) return "0"; // also negative zero
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits);
    if (ec != std::errc()) return "0"; // the buffer is ample; never happens
    std::string s(buf, end);
    const size_t e = s.find('e');
    if (e != std::string::npos) {
        // "1e+07" -> "1E+07": upper-case marker, sign, at least two digits.
        std::string mant = s.substr(0, e);
        size_t k = e + 1;
        char sign = '+';
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) sign = s[k++];
        std::string expDigits = s.substr(k);
        while (expDigits.size() < 2) expDigits.insert(expDigits.begin(), '0');
        s = mant + 'E' + sign + expDigits;
    }
    return s;
}

// The signed form built from the plain one: no 0 before the point, and one
// blank in front of anything that is not negative.
std::string signedFromPlain(std::string plain)
{
    const bool negative = !plain.empty() && plain[0] == '-';
    const size_t digitsAt = negative ? 1 : 0;
    if (plain.size() > digitsAt + 1 && plain[digitsAt] == '0' && plain[digitsAt + 1] == '.')
        plain.erase(digitsAt, 1);
    if (!negative) plain.insert(plain.begin(), ' ');
    return plain;
}

} // namespace

double Val(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && isLeadingSpace(text[i])) ++i;
    const NumberMatch m = matchNumber(text.substr(i));
    if (m.length == 0) return 0.0;
    return valueOf(m);
}

std::optional<double> StrictVal(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && isLeadingSpace(text[i])) ++i;
    const NumberMatch m = matchNumber(text.substr(i));
    if (m.length == 0) return std::nullopt;
    size_t j = i + m.length;
    while (j < text.size() && isLeadingSpace(text[j])) ++j;
    if (j != text.size()) return std::nullopt;
    return valueOf(m);
}

double Int(double x) { return std::floor(x); }

std::string PlainText(float v) { return generalText(static_cast<double>(v), 7); }
std::string PlainText(double v) { return generalText(v, 15); }
std::string PlainText(int v) { return std::to_string(v); }

std::string SignedText(float v) { return signedFromPlain(PlainText(v)); }
std::string SignedText(double v) { return signedFromPlain(PlainText(v)); }
std::string SignedText(int v) { return signedFromPlain(PlainText(v)); }

std::string PrintText(float v) { return SignedText(v) + ' '; }
std::string PrintText(double v) { return SignedText(v) + ' '; }
std::string PrintText(int v) { return SignedText(v) + ' '; }

// ---------------------------------------------------------------------------
// TextItemReader

TextItemReader::TextItemReader(std::string data) : d_(std::move(data)) {}

bool TextItemReader::atEnd() const
{
    for (size_t i = p_; i < d_.size(); ++i)
        if (!isBlank(d_[i]) && !isLineEndChar(d_[i])) return false;
    return true;
}

void TextItemReader::skipBlanks()
{
    while (p_ < d_.size() && isBlank(d_[p_])) ++p_;
}

bool TextItemReader::atLineEnd() const
{
    return p_ < d_.size() && isLineEndChar(d_[p_]);
}

void TextItemReader::consumeLineEnd()
{
    if (p_ >= d_.size()) return;
    if (d_[p_] == '\r') {
        ++p_;
        if (p_ < d_.size() && d_[p_] == '\n') ++p_;
    } else if (d_[p_] == '\n') {
        ++p_;
    }
}

void TextItemReader::finishItem()
{
    skipBlanks();
    if (p_ < d_.size() && d_[p_] == ',')
        ++p_;
    else if (atLineEnd())
        consumeLineEnd();
}

std::string TextItemReader::readText()
{
    skipBlanks();
    const size_t start = p_;
    while (p_ < d_.size() && d_[p_] != ',' && !isLineEndChar(d_[p_])) ++p_;
    size_t end = p_;
    while (end > start && isBlank(d_[end - 1])) --end;
    std::string item = d_.substr(start, end - start);
    finishItem();
    return item;
}

// Skips blanks and line ends, then takes the characters up to the next blank,
// comma or line end; the item's end is left unconsumed.
std::string_view TextItemReader::scanNumberItem()
{
    while (p_ < d_.size() && (isBlank(d_[p_]) || isLineEndChar(d_[p_]))) ++p_;
    const size_t start = p_;
    while (p_ < d_.size() && d_[p_] != ',' && !isBlank(d_[p_]) && !isLineEndChar(d_[p_])) ++p_;
    return std::string_view(d_).substr(start, p_ - start);
}

double TextItemReader::readNumber()
{
    const double v = Val(scanNumberItem());
    finishItem();
    return v;
}

std::optional<TextItemReader::Item> TextItemReader::readNumberItem()
{
    const std::string_view text = scanNumberItem();
    if (text.empty() && p_ >= d_.size())
        return std::nullopt;
    const size_t start = static_cast<size_t>(text.data() - d_.data());
    Item item{text, lineAt(start)};
    finishItem();
    return item;
}

// The line holding position pos. A CR counts where no LF follows it, so CR LF
// ends one line. Positions are asked for in increasing order; a position
// before the last one asked restarts the count.
size_t TextItemReader::lineAt(size_t pos)
{
    if (pos < linePos_) {
        linePos_ = 0;
        line_ = 1;
    }
    for (size_t i = linePos_; i < pos && i < d_.size(); ++i) {
        if (d_[i] == '\n' || (d_[i] == '\r' && (i + 1 >= d_.size() || d_[i + 1] != '\n')))
            ++line_;
    }
    linePos_ = pos;
    return line_;
}

std::string TextItemReader::readLine()
{
    const size_t start = p_;
    while (p_ < d_.size() && !isLineEndChar(d_[p_])) ++p_;
    std::string line = d_.substr(start, p_ - start);
    consumeLineEnd();
    return line;
}

} // namespace orv
