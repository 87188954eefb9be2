// What every system says alike about data files.
#include "platform/files.h"

namespace rf::platform {

std::string_view ProblemText(FileProblem problem) {
    switch (problem) {
        case FileProblem::kNone: return "readable";
        case FileProblem::kMissing: return "missing";
        case FileProblem::kDirectory: return "a directory";
        case FileProblem::kNotRegular: return "not a regular file";
        case FileProblem::kNoPermission: return "no permission";
        case FileProblem::kUnreadable: return "unreadable";
    }
    return "unreadable";
}

}  // namespace rf::platform
