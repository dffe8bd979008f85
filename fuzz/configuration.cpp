// Parses arbitrary bytes as a configuration block; a block that parses and writes must write the
// same bytes again after a second parse.

#include <cstdint>
#include <cstdlib>

#include "logfile/LogFileCfg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace TMSystem;
  if (size > 1U << 20) return 0;
  const CTMByteBuffer input(data, static_cast<std::uint32_t>(size));
  CTMLogFileCfg first;
  if (tvk::Failed(first.ParseConfiguration(input))) return 0;
  CTMByteBuffer written;
  if (tvk::Failed(first.SerializeConfiguration(written))) return 0;

  CTMLogFileCfg second;
  if (tvk::Failed(second.ParseConfiguration(written))) std::abort();
  CTMByteBuffer rewritten;
  if (tvk::Failed(second.SerializeConfiguration(rewritten))) std::abort();
  if (!(written == rewritten)) std::abort();
  return 0;
}
