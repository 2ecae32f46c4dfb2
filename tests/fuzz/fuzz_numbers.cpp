// Text item reader: the first byte says how many of the next bytes (0..7, none: number items only)
// choose the reading calls, the rest is the text. Every call moves on until atEnd(); a number item
// holds no blank, comma or line end, its lines never go back; a text
// item no comma, line end or outer blank; Val never gives NaN and agrees with StrictVal.
#include "fuzz_support.h"

#include "core/numbers.h"

#include <string>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

void checkNumber(std::string_view item)
{
    const double v = orv::Val(item);
    FUZZ_CHECK(!std::isnan(v));
    if (const auto strict = orv::StrictVal(item))
        FUZZ_CHECK(*strict == v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t nCalls = std::min<size_t>(data[0] % 8, size - 1);
    const uint8_t *calls = data + 1;
    const std::string text(reinterpret_cast<const char *>(data) + 1 + nCalls, size - 1 - nCalls);

    orv::TextItemReader reader(text);

    size_t done = 0;
    size_t lastLine = 1;
    while (!reader.atEnd()) {
        FUZZ_CHECK_MSG(done <= text.size(), "the reader stopped moving");
        const int call = nCalls == 0 ? 2 : calls[done % nCalls] % 4;
        ++done;
        if (call == 0) {
            const std::string item = reader.readText();
            FUZZ_CHECK(item.find_first_of(",\r\n") == std::string::npos);
            FUZZ_CHECK(item.empty() || (!isBlank(item.front()) && !isBlank(item.back())));
        } else if (call == 1) {
            checkNumber(reader.readText()); // any text goes through Val somewhere
        } else if (call == 2) {
            const auto item = reader.readNumberItem();
            FUZZ_CHECK(item.has_value());
            FUZZ_CHECK(item->text.find_first_of(", \t\r\n") == std::string_view::npos);
            FUZZ_CHECK(item->line >= lastLine);
            lastLine = item->line;
            checkNumber(item->text);
        } else {
            const std::string line = reader.readLine();
            FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        }
    }
    FUZZ_CHECK(!reader.readNumberItem().has_value());
    return 0;
}
