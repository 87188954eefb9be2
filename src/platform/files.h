// Files the game reads: paths, folders, and data files read bounded and
// never blocking, whatever a path names.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace rf::platform {

// The separator between directory and file names, the directory holding
// the executable, and whether a directory exists.
char PathSeparator();
std::string ExecutableDirectory();
bool DirectoryExists(const std::string& path);
// The absolute path of an existing file or folder ("" when there is none).
std::string FullPath(const std::string& path);
// The names in a directory (none when it cannot be read), for the world
// checker's hints about names that differ only in case.
std::vector<std::string> DirectoryNames(const std::string& path);

// Why a data file could not be read.
enum class FileProblem { kNone, kMissing, kDirectory, kNotRegular, kNoPermission, kUnreadable };

struct DataFileBytes {
    FileProblem problem = FileProblem::kNone;
    std::string bytes;
    bool cut = false;  // the file holds more than `limit` bytes
};

// The first `limit` bytes of a regular file. Never blocks and never reads
// more, whatever the path names (a FIFO, a device, a directory).
DataFileBytes ReadDataFile(const std::string& path, std::size_t limit);
// The same for each of `names`, plain files of `directory` as FilesIn
// (player_files.h) has just listed them: the folder is found once for all,
// and the listing's word on each one's type stands for the look before it
// is opened, unless it is a link (a listing reads thousands of saved games).
std::vector<DataFileBytes> ReadDataFilesIn(const std::string& directory, const std::vector<std::string>& names,
                                           std::size_t limit);
// The same file open for reading it in parts; null with the problem.
std::FILE* OpenDataFile(const std::string& path, FileProblem& problem);
// "missing", "a directory", "not a regular file", "no permission", "unreadable".
std::string_view ProblemText(FileProblem problem);

}  // namespace rf::platform
