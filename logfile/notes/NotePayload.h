#pragma once
// One codec for the payloads of every note class. A class states its layout once, as an ordered
// list of fields on a CTMNotePayload, and the same list both decodes and encodes the payload:
//
//   void Layout(CTMNotePayload& p) { p.Field(serialNumber_); p.Field(slope_); p.CountedString(userName_); }

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/Calendar.h"
#include "logfile/ByteBuffer.h"

namespace TMSystem {

class CTMNotePayload {
 public:
  // Reads `source` (which must outlive the codec) from its start.
  static CTMNotePayload Reading(const CTMByteBuffer& source) { return CTMNotePayload(source); }
  // Appends to `target`.
  static CTMNotePayload Writing(CTMByteBuffer& target) { return CTMNotePayload(target); }

  bool IsReading() const { return reader_.has_value(); }

  // Each reads into or writes from its argument. After the first failing read the later fields are
  // left as they are and the failure is kept in Result().
  void Field(std::uint16_t& value);
  void Field(std::uint32_t& value);
  void Field(float& value);
  void Field(double& value);
  void Field(tvk::SystemTime& value);
  // Reads `count` floats; writes every element held.
  void Floats(std::vector<float>& values, std::size_t count);
  // A big-endian uint16 count of UTF-16 code units, then the units.
  void CountedString(std::string& text);
  // The rest of the payload as UTF-16 code units, no count.
  void TrailingText(std::string& text);

  // kOk, or the code of the first failing read.
  ResultCode Result() const { return result_; }

 private:
  explicit CTMNotePayload(const CTMByteBuffer& source) : reader_(std::in_place, source) {}
  explicit CTMNotePayload(CTMByteBuffer& target) : writer_(std::in_place, target) {}

  // True when the next field is to be read (and no read has failed yet).
  bool Reads() const { return reader_.has_value() && !tvk::Failed(result_); }
  void Keep(ResultCode rc) { result_ = rc; }

  std::optional<CTMByteReader> reader_;
  std::optional<CTMByteWriter> writer_;
  ResultCode result_ = tvk::kOk;
};

}  // namespace TMSystem
