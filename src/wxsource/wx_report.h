#pragma once
// The converters' messages: errors end the conversion (nothing is written), warnings say what
// was done to the data and let it go on. Both are one line of the error log.
#include <string>
#include <string_view>

#include "toolkit/error_sink.h"

namespace olive {

inline void WxError(ErrorSink& log, std::string_view message) {
  ReportError(log, message);
  log.RunOk = false;
}

inline void WxWarning(ErrorSink& log, std::string_view message) {
  ReportError(log, "Warning: " + std::string(message));
}

// "\"name\"": a name in a message, control characters shown as '?'.
std::string Quoted(std::string_view name);

}  // namespace olive
