#pragma once
// Formats kept as a pair of files (a data file and a text header beside it)
// name the partner by replacing the last characters of the picked name.

#include <string>
#include <string_view>

namespace orv {

// The partner of `picked`: its last `replaced` characters replaced by `ext`
// (lower case, e.g. "rad"). When no file of that name exists and one with the
// extension in upper case does (XLINE00.DT1 beside XLINE00.HD), that one is
// taken. False with a reason when the picked name is too short for the rule
// (it is refused, not cut into) or the characters to replace are not all in
// the file's own name.
bool PartnerName(const std::string &picked, size_t replaced, std::string_view ext, std::string &partner,
                 std::string &error);

// The name a writer gives a partner it creates: the same replacement, in the
// letter case of the picked name's own extension ("X.DAT" gives "X.RAD").
bool PartnerNameToWrite(const std::string &picked, size_t replaced, std::string_view ext, std::string &partner,
                        std::string &error);

} // namespace orv
