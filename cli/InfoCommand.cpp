#include "cli/InfoCommand.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

#include "common/Calendar.h"
#include "common/Format.h"
#include "common/ResultMessages.h"
#include "logfile/LogFileReader.h"

namespace tvk::cli {

namespace {

std::string IsoTime(FileTime ticks) {
  const auto time = FileTimeToSystemTime(ticks);
  if (!time) return StrFormat("invalid (0x%016llX)", static_cast<unsigned long long>(ticks));
  return StrFormat("%04d-%02d-%02dT%02d:%02d:%02dZ", time->year, time->month, time->day, time->hour,
                   time->minute, time->second);
}

void AddSection(std::vector<InfoField>& fields, const std::string& name, std::int64_t pos, std::uint32_t size,
                bool withPosition) {
  if (withPosition) fields.push_back({name + " position", pos});
  fields.push_back({name + " size", static_cast<std::int64_t>(size)});
}

InfoSection ContainerSection(const TMSystem::CTMLogFileReader& reader) {
  const bool binary = !reader.IsTextForm();
  InfoSection section{"container", {}};
  auto& fields = section.fields;
  fields.push_back({"form", std::string(binary ? "binary" : "text")});
  if (binary) {
    fields.push_back({"creator user", reader.CreatorUserName()});
    fields.push_back({"creator computer", reader.CreatorComputerName()});
    fields.push_back({"created", IsoTime(reader.CreationTime())});
  }
  AddSection(fields, "configuration", reader.ConfigurationPos(), reader.ConfigurationSize(), binary);
  AddSection(fields, "notes", reader.NotesPos(), reader.NotesSize(), binary);
  AddSection(fields, "log data", reader.LogDataPos(), reader.LogDataSize(), binary);
  return section;
}

std::string ValueText(const InfoValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return std::to_string(std::get<std::int64_t>(value));
}

}  // namespace

FileInfo CollectInfo(const std::string& path) {
  FileInfo info;
  info.path = path;
  try {
    TMSystem::CTMLogFileReader reader;
    info.code = reader.Open(path);
    if (Failed(info.code)) return info;
    info.sections.push_back(ContainerSection(reader));
  } catch (const std::exception&) {
    info.code = kUnexpected;
    info.sections.clear();
  }
  return info;
}

void PrintInfoText(const FileInfo& info, std::ostream& out, std::ostream& err) {
  if (Failed(info.code)) {
    err << info.path << ": error " << StrFormat("0x%08X", static_cast<unsigned>(info.code)) << ": "
        << GetResultCodeMessage(info.code) << "\n";
    return;
  }
  out << info.path << "\n";
  for (const InfoSection& section : info.sections) {
    out << "  " << section.title << "\n";
    for (const InfoField& field : section.fields) out << "    " << field.name << ": " << ValueText(field.value) << "\n";
  }
}

int RunInfo(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
  int status = 0;
  for (const std::string& path : files) {
    const FileInfo info = CollectInfo(path);
    PrintInfoText(info, out, err);
    if (Failed(info.code)) status = 1;
  }
  return status;
}

void AddInfoCommand(CLI::App& app, int& status) {
  auto files = std::make_shared<std::vector<std::string>>();
  CLI::App* command = app.add_subcommand("info", "Show what each log file holds");
  command->add_option("FILE", *files, "Log files")->required();
  command->callback([files, &status] { status = RunInfo(*files, std::cout, std::cerr); });
}

}  // namespace tvk::cli
