// The picks file. Written as "t pick/1000" per line; read as a stream of
// numbers taken two at a time. A file that does not hold a pick for every
// trace is refused whole: one made for another profile would otherwise shift
// the picks onto the wrong traces without a word.
#include "picks/picksfile.h"

#include "core/inputfile.h"
#include "core/numbers.h"
#include "core/savefile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>


namespace orv {

namespace {

// An item as it goes into a message: control characters (a binary file read
// by mistake) shown as '?', a long one cut short.
std::string shown(std::string_view item)
{
    constexpr size_t kMax = 32;
    size_t len = item.size();
    if (len > kMax) {
        len = kMax;
        // Do not cut a UTF-8 character in two.
        while (len > 0 && (static_cast<unsigned char>(item[len]) & 0xC0) == 0x80)
            --len;
    }
    std::string s;
    s.reserve(len + 3);
    for (size_t i = 0; i < len; ++i) {
        const auto c = static_cast<unsigned char>(item[i]);
        s.push_back(c < 0x20 || c == 0x7F ? '?' : item[i]);
    }
    if (len < item.size())
        s += "...";
    return s;
}

std::string onLine(size_t line) { return " on line " + std::to_string(line); }

std::string notANumber(std::string_view item, const char *due, size_t line)
{
    const std::string what = item.empty() ? std::string("an empty item") : "\"" + shown(item) + "\"";
    return "has " + what + " where " + due + " is due" + onLine(line);
}

std::string tooFewPairs(int found, int n)
{
    if (found == 0)
        return "holds no picks; the profile has " + std::to_string(n) + (n == 1 ? " trace" : " traces");
    return "holds picks for " + std::to_string(found) + (found == 1 ? " trace" : " traces") +
           "; the profile has " + std::to_string(n);
}

} // namespace

std::string FormatPicks(const std::vector<float> &picks, int n)
{
    std::string out;
    if (n <= 0)
        return out;
    out.reserve(static_cast<size_t>(n) * 24);
    for (int t = 1; t <= n; ++t) {
        const size_t i = static_cast<size_t>(t);
        const float pick = i < picks.size() ? picks[i] : 0.0f;
        out += PrintText(t);
        out += PrintText(pick / 1000.0f);
        out += "\r\n";
    }
    return out;
}

// The reason alone, as the profile writers give theirs: it follows "cannot
// be saved to <path>: ".
bool WritePicksFile(const std::string &path, const std::vector<float> &picks, int n, std::string &error)
{
    try {
        return SaveWholeFile(path, FormatPicks(picks, n), error);
    } catch (const std::bad_alloc &) {
        error = "out of memory";
        return false;
    }
}

bool ParsePicks(std::string_view text, int n, std::vector<float> &picks, std::string &error)
{
    n = std::max(n, 0);
    std::vector<float> read(static_cast<size_t>(n) + 1, 0.0f);
    TextItemReader items{std::string(text)};
    for (int t = 1; t <= n; ++t) {
        // The trace number: checked, then ignored; the pick goes to trace t
        // whatever number the file gives it.
        const auto number = items.readNumberItem();
        if (!number) {
            error = tooFewPairs(t - 1, n);
            return false;
        }
        const std::optional<double> traceNo = StrictVal(number->text);
        if (!traceNo) {
            error = notANumber(number->text, "a trace number", number->line);
            return false;
        }
        // Rounded as CInt rounds, but without its clamping: a number that
        // rounds outside the 16-bit range is refused, not pinned to its end.
        const int32_t rounded = CLng(*traceNo);
        if (rounded > std::numeric_limits<int16_t>::max() || rounded < std::numeric_limits<int16_t>::min()) {
            const bool high = rounded > 0;
            error = "has the trace number " + shown(number->text) + onLine(number->line) +
                    (high ? ", beyond 32767" : ", below -32768");
            return false;
        }

        const auto value = items.readNumberItem();
        if (!value) {
            error = tooFewPairs(t - 1, n);
            return false;
        }
        const std::optional<double> pick = StrictVal(value->text);
        if (!pick) {
            error = notANumber(value->text, "a pick", value->line);
            return false;
        }
        // Beyond the float range the conversion itself would overflow; just
        // inside it the x 1000 does.
        const float scaled = std::fabs(*pick) <= std::numeric_limits<float>::max()
                                 ? static_cast<float>(*pick) * 1000.0f
                                 : std::numeric_limits<float>::infinity();
        if (!std::isfinite(scaled)) {
            error = "has the pick " + shown(value->text) + onLine(value->line) + ", too large to hold";
            return false;
        }
        read[static_cast<size_t>(t)] = scaled;
    }
    picks.swap(read);
    return true;
}

bool ReadPicksFile(const std::string &path, int n, std::vector<float> &picks, std::string &error)
{
    InputFile file;
    switch (const auto r = file.open(path)) {
    case InputFile::Refusal::None:
        break;
    case InputFile::Refusal::Folder:
        error = "is a folder, not a file";
        return false;
    case InputFile::Refusal::NotRegular:
        error = "is not a regular file";
        return false;
    default:
        error = file.refusalText(r);
        return false;
    }

    std::string text;
    try {
        text.resize(static_cast<size_t>(file.size()));
        size_t got = 0;
        for (;;) {
            if (got == text.size())
                text.resize(std::max<size_t>(2 * text.size(), 4096)); // it grew since it was opened
            const ssize_t r = file.readFully(text.data() + got, text.size() - got);
            if (r < 0) {
                error = std::string("cannot be read: ") + std::strerror(errno);
                return false;
            }
            got += static_cast<size_t>(r);
            if (got < text.size())
                break;
        }
        text.resize(got);
        return ParsePicks(text, n, picks, error);
    } catch (const std::bad_alloc &) {
        error = std::string("cannot be read: ") + std::strerror(ENOMEM);
        return false;
    }
}

} // namespace orv
