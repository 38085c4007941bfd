// "score.dat" on disk: read whole at start, replaced whole at the end of a game or on reset.
#pragma once
#include "score_file.h"

#include <optional>
#include <string>
#include <string_view>

namespace cardtest {

inline constexpr RunTimeError kPathFileAccessError{75, "Path/File access error"};
inline constexpr RunTimeError kDiskFull{61, "Disk full"};

struct StoredScore {
    std::optional<std::string> bytes; // nullopt: there is no such file
    std::optional<RunTimeError> error;
};

StoredScore ReadScoreStore(const std::wstring& path);
// Writes a new file beside the old one and renames it over it, so no crash or full disk leaves half a file.
// existed: the file was there when it was read. One removed since is not made anew (kFileNotFound): the
// totals read before would bring back what someone deleted.
std::optional<RunTimeError> ReplaceScoreStore(const std::wstring& path, std::string_view contents,
                                              bool existed);

} // namespace cardtest
