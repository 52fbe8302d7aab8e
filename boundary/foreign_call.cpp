#include "boundary/foreign_call.h"

namespace velmora::ffi {
namespace {

void release_result(const VelmoraForeignCallResult& result) noexcept {
  IncomingBuffer value(result.return_value);
  IncomingBuffer error(result.call_status.error_buf);
}

}  // namespace

void CompletionSlot::fill(VelmoraForeignCallResult result) noexcept {
  std::shared_ptr<async::WaitSignal> signal;
  {
    std::lock_guard lock(mutex_);
    if (abandoned_ || result_) {
      release_result(result);  // nobody waits, or a second completion: drop it
      return;
    }
    result_ = result;
    signal = std::move(signal_);
  }
  if (signal) signal->fire();
}

std::optional<VelmoraForeignCallResult> CompletionSlot::take() noexcept {
  std::lock_guard lock(mutex_);
  return std::exchange(result_, std::nullopt);
}

void CompletionSlot::abandon() noexcept {
  std::lock_guard lock(mutex_);
  abandoned_ = true;
  signal_.reset();
  if (result_) release_result(*std::exchange(result_, std::nullopt));
}

void complete_foreign_call(uint64_t callback_data, VelmoraForeignCallResult result) noexcept {
  Ref<CompletionSlot> slot = adopt_handle<CompletionSlot>(callback_data);  // the reference it carried
  slot->fill(result);
}

}  // namespace velmora::ffi
