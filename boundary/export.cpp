#include "export.h"

namespace velmora::ffi {

void fail_with_current_exception(CallStatus* status) noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    std::terminate();  // running out of memory ends the process
  } catch (const std::exception& e) {
    std::string_view what = e.what();
    fail_unexpected(status, what.empty() ? kUnknownFailure : what);
  } catch (...) {
    fail_unexpected(status, kUnknownFailure);
  }
}

}  // namespace velmora::ffi
