#pragma once
// `tavisko info FILE...`: what each log holds. The report is gathered as named fields in sections
// first and printed afterwards, so more sections (and other output forms) slot in without touching
// the printing.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <variant>
#include <vector>

#include "common/ResultCodes.h"

namespace CLI {
class App;
}

namespace tvk::cli {

using InfoValue = std::variant<std::string, std::int64_t>;

struct InfoField {
  std::string name;
  InfoValue value;
};

struct InfoSection {
  std::string title;
  std::vector<InfoField> fields;
};

struct FileInfo {
  std::string path;
  ResultCode code = kOk;  // a failure leaves `sections` empty
  std::vector<InfoSection> sections;
};

// Registers the subcommand; `status` receives its exit status (1 when any file failed).
void AddInfoCommand(CLI::App& app, int& status);

FileInfo CollectInfo(const std::string& path);

// The report of a readable file to `out`; a failed file as one line to `err`.
void PrintInfoText(const FileInfo& info, std::ostream& out, std::ostream& err);

// Reports every file in turn; 1 when any of them failed, else 0.
int RunInfo(const std::vector<std::string>& files, std::ostream& out, std::ostream& err);

}  // namespace tvk::cli
