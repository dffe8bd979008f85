// Walks arbitrary bytes as a notes section, builds and renders a note for every record, and writes
// the section back; after one normalising pass, writing what was read gives the same bytes.

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "logfile/notes/NotesRecord.h"
#include "logfile/notes/StdNote.h"

namespace {

TMSystem::CTMByteBuffer Rewritten(const TMSystem::CTMByteBuffer& section) {
  TMSystem::CTMByteBuffer out;
  if (tvk::Failed(TMSystem::WriteNotesSection(TMSystem::ReadNotesSection(section), out))) std::abort();
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace TMSystem;
  if (size > 1U << 16) return 0;
  const CTMByteBuffer input(data, static_cast<std::uint32_t>(size));
  for (const CTMLogNotesRecord& record : ReadNotesSection(input)) {
    std::unique_ptr<CTMStdNote> note;
    if (tvk::Failed(CreateNoteFromRecord(record, note))) {
      if (note) std::abort();
      continue;
    }
    (void)note->GetDisplayText();
  }
  // A long text note that begins like a sub-header reads back as another note once: compare from
  // the second pass on.
  const CTMByteBuffer second = Rewritten(Rewritten(input));
  if (!(Rewritten(second) == second)) std::abort();
  return 0;
}
