#include "formats/pairname.h"

#include <cctype>

#include <sys/stat.h>

namespace orv {

namespace {

bool Exists(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string Cased(std::string_view ext, bool upper)
{
    std::string out(ext);
    for (char &ch : out)
        ch = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(ch))
                                     : std::tolower(static_cast<unsigned char>(ch)));
    return out;
}

// The picked name less its last `replaced` characters, or false with why.
bool Stem(const std::string &picked, size_t replaced, std::string &stem, std::string &error)
{
    const size_t slash = picked.find_last_of('/');
    const size_t nameLength = slash == std::string::npos ? picked.size() : picked.size() - slash - 1;
    if (nameLength <= replaced) {
        error = "has a name too short to find the file paired with it (the last " + std::to_string(replaced)
            + " characters name the partner)";
        return false;
    }
    stem = picked.substr(0, picked.size() - replaced);
    return true;
}

bool EndsUpper(const std::string &picked, size_t replaced)
{
    bool anyUpper = false, anyLower = false;
    for (size_t i = picked.size() - replaced; i < picked.size(); ++i) {
        const auto ch = static_cast<unsigned char>(picked[i]);
        anyUpper |= std::isupper(ch) != 0;
        anyLower |= std::islower(ch) != 0;
    }
    return anyUpper && !anyLower;
}

} // namespace

bool PartnerName(const std::string &picked, size_t replaced, std::string_view ext, std::string &partner,
                 std::string &error)
{
    std::string stem;
    if (!Stem(picked, replaced, stem, error))
        return false;
    const std::string asIs = stem + std::string(ext);
    if (Exists(asIs)) {
        partner = asIs;
        return true;
    }
    for (const bool upper : {true, false}) {
        const std::string other = stem + Cased(ext, upper);
        if (other != asIs && Exists(other)) {
            partner = other;
            return true;
        }
    }
    partner = asIs; // the reader names it when it cannot open it
    return true;
}

bool PartnerNameToWrite(const std::string &picked, size_t replaced, std::string_view ext, std::string &partner,
                        std::string &error)
{
    std::string stem;
    if (!Stem(picked, replaced, stem, error))
        return false;
    partner = stem + Cased(ext, EndsUpper(picked, replaced));
    return true;
}

} // namespace orv
