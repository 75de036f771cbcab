#pragma once
#include <string>
#include <string_view>

#include "core/record_port.h"
#include "files/text_file.h"

namespace kiroku {

// Runs a file operation, then records its result: 0, or the code of the
// IoError it failed with, which goes on to the caller.
template <class Operation>
void RecordResult(RecordPort* port, std::string_view kind, Operation&& operation) {
  try {
    operation();
  } catch (const IoError& e) {
    if (port) port->record(kind, {std::to_string(e.code())});
    throw;
  }
  if (port) port->record(kind, {"0"});
}

}  // namespace kiroku
