#pragma once
// `tavisko info FILE...`: what each log holds. The report of a file is gathered as one JSON document
// first, then printed as text or as JSON, so both forms always say the same.

#include <iosfwd>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/ParameterNames.h"
#include "common/ResultCodes.h"

namespace CLI {
class App;
}

namespace tvk::cli {

struct FileInfo {
  std::string path;
  ResultCode code = kOk;       // a failure of the container leaves `report` empty
  nlohmann::ordered_json report;  // sections in display order
  std::string damage;             // what is wrong with a data block that loaded; empty when sound
  std::string systemError;        // why the file could not be reached, in the system's words
};

// Registers the subcommand; `status` receives its exit status (1 when any file failed).
void AddInfoCommand(CLI::App& app, int& status);

FileInfo CollectInfo(const std::string& path);

// The report of a readable file to `out`; a failed file, and a damaged data block, as one line to `err`.
void PrintInfoText(const FileInfo& info, std::ostream& out, std::ostream& err);

// Reports every file in turn; 1 when any of them failed or has a damaged data block, else 0.
int RunInfo(const std::vector<std::string>& files, bool json, std::ostream& out, std::ostream& err);

// One line naming a failed file, its result code and the code's meaning.
std::string FailureLine(const std::string& path, ResultCode code);
// Why `path` cannot be reached (missing, a folder on the way missing, no permission), in the system's
// words ("No such file or directory"); empty when it is there.
std::string UnreachableFileReason(const std::string& path);

}  // namespace tvk::cli
