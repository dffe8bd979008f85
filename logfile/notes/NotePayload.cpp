#include "logfile/notes/NotePayload.h"

#include <algorithm>
#include <limits>

#include "common/Utf.h"

namespace TMSystem {

namespace {

std::uint16_t UnitCount(const std::string& text) {
  return static_cast<std::uint16_t>(
      std::min<std::size_t>(tvk::Utf16Length(text), std::numeric_limits<std::uint16_t>::max()));
}

}  // namespace

void CTMNotePayload::Field(std::uint16_t& value) {
  if (writer_) return writer_->WriteU16(value);
  if (Reads()) Keep(reader_->ReadU16(value));
}

void CTMNotePayload::Field(std::uint32_t& value) {
  if (writer_) return writer_->WriteU32(value);
  if (Reads()) Keep(reader_->ReadU32(value));
}

void CTMNotePayload::Field(float& value) {
  if (writer_) return writer_->WriteF32(value);
  if (Reads()) Keep(reader_->ReadF32(value));
}

void CTMNotePayload::Field(double& value) {
  if (writer_) return writer_->WriteF64(value);
  if (Reads()) Keep(reader_->ReadF64(value));
}

void CTMNotePayload::Field(tvk::SystemTime& value) {
  if (writer_) return writer_->WriteSystemTime(value);
  if (Reads()) Keep(reader_->ReadSystemTime(value));
}

void CTMNotePayload::Floats(std::vector<float>& values, std::size_t count) {
  if (writer_) {
    for (float value : values) writer_->WriteF32(value);
    return;
  }
  if (!Reads()) return;
  // Checked before the array is sized, so a count never allocates more than the payload holds.
  if (count > reader_->Remaining() / sizeof(float)) return Keep(tvk::kBufferOverrun);
  values.assign(count, 0.0f);
  for (float& value : values) Field(value);
}

void CTMNotePayload::CountedString(std::string& text) {
  std::uint16_t units = writer_ ? UnitCount(text) : 0;
  Field(units);
  if (writer_) {
    if (units > 0) writer_->WriteString(text, units);
    return;
  }
  if (Reads() && units > 0) Keep(reader_->ReadString(units, text));
}

void CTMNotePayload::TrailingText(std::string& text) {
  if (writer_) return writer_->WriteString(text, UnitCount(text));
  if (!Reads()) return;
  const std::uint32_t units = std::min<std::uint32_t>(reader_->Remaining() / 2, std::numeric_limits<std::uint16_t>::max());
  Keep(reader_->ReadString(static_cast<std::uint16_t>(units), text));
}

}  // namespace TMSystem
