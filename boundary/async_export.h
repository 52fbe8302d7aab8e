// Asynchronous exports: a method returning Task<R> becomes an extern "C"
// function that lifts its arguments at call time and returns a future handle.
//
//   VELMORA_EXPORT_ASYNC_METHOD(velmora_sdk, VelmoraClient, velmoraclient, get_pool, "name");
#pragma once

#include <exception>
#include <type_traits>

#include "boundary/export.h"
#include "boundary/future.h"

namespace velmora::ffi {

template <class T>
struct TaskResult;
template <class R>
struct TaskResult<async::Task<R>> {
  using type = R;
};

// Starts a coroutine with arguments evaluated left to right (braces) and bound
// by reference; the coroutine copies them into its frame.
template <class Task>
struct OrderedStart {
  Task task;
  template <class F, class... X>
  OrderedStart(F&& f, X&&... args) : task(f(std::forward<X>(args)...)) {}
};

template <auto Fn, class Args>
struct AsyncCall;

template <auto Fn, class... A>
struct AsyncCall<Fn, std::tuple<A...>> {
  using Receiver = typename Callable<Fn>::receiver;
  using TaskType = typename Callable<Fn>::result;
  using R = typename TaskResult<TaskType>::type;
  static_assert((!std::is_reference_v<A> && ...), "operations take their arguments by value");

  template <std::size_t... I>
  static uint64_t start([[maybe_unused]] std::span<const std::string_view> names, std::index_sequence<I...>, uint64_t self,
                        typename Lowering<A>::c_type... raw) noexcept {
    try {
      Ref<Receiver> receiver = adopt_handle<Receiver>(self);
      std::tuple<typename Lowering<A>::Held...> held{Lowering<A>::hold(raw)...};
      try {
        auto call = [&](auto&&... a) { return Callable<Fn>::invoke(receiver, std::forward<decltype(a)>(a)...); };
        OrderedStart<TaskType> started{call, lift_argument<A>(std::get<I>(held), names[I])...};
        return to_future_handle(new OperationFuture<R>(std::move(started.task), std::move(receiver)));
      } catch (...) {
        // The receiver is released now; the failure waits for complete.
        receiver = {};
        return to_future_handle(new OperationFuture<R>(std::current_exception()));
      }
    } catch (...) {
      std::terminate();  // only allocating the future can fail here: out of memory
    }
  }
};

template <auto Fn, class... Raw>
uint64_t start_async(std::span<const std::string_view> names, uint64_t self, Raw... raw) noexcept {
  using Args = typename Callable<Fn>::args;
  return AsyncCall<Fn, Args>::start(names, std::make_index_sequence<std::tuple_size_v<Args>>{}, self, raw...);
}

}  // namespace velmora::ffi

// Parameters after the receiver: ", A0 a0, A1 a1, ...".
#define VELMORA_CPARAMS_AFTER(FN, N) VELMORA_CAT(VELMORA_CPARAMS_AFTER_, N)(FN)
#define VELMORA_CPARAMS_AFTER_0(FN)
#define VELMORA_CPARAMS_AFTER_1(FN) , ::velmora::ffi::c_arg_t<FN, 0> a0
#define VELMORA_CPARAMS_AFTER_2(FN) VELMORA_CPARAMS_AFTER_1(FN), ::velmora::ffi::c_arg_t<FN, 1> a1
#define VELMORA_CPARAMS_AFTER_3(FN) VELMORA_CPARAMS_AFTER_2(FN), ::velmora::ffi::c_arg_t<FN, 2> a2
#define VELMORA_CPARAMS_AFTER_4(FN) VELMORA_CPARAMS_AFTER_3(FN), ::velmora::ffi::c_arg_t<FN, 3> a3
#define VELMORA_CPARAMS_AFTER_5(FN) VELMORA_CPARAMS_AFTER_4(FN), ::velmora::ffi::c_arg_t<FN, 4> a4

// An asynchronous method NAME of object TYPE: returns a future handle.
#define VELMORA_EXPORT_ASYNC_METHOD(COMPONENT, TYPE, LOWER, NAME, DOC, ...)                              \
  static_assert(::velmora::ffi::equals_lowercase(::velmora::ffi::info_of<TYPE>.names.name, #LOWER));    \
  VELMORA_DEFINE_ASYNC(bind_##COMPONENT##_fn_method_##LOWER##_##NAME, &TYPE::NAME,                      \
                       ::velmora::ffi::member_names<TYPE>(#NAME, DOC),                                  \
                       VELMORA_NARGS(__VA_ARGS__) __VA_OPT__(, ) __VA_ARGS__)
#define VELMORA_DEFINE_ASYNC(SYMBOL, FN, NAMES, N, ...)                                                  \
  extern "C" VELMORA_API uint64_t SYMBOL(uint64_t self VELMORA_CPARAMS_AFTER(FN, N)) noexcept {         \
    static constexpr auto names = ::velmora::ffi::arg_names(__VA_ARGS__);                               \
    return ::velmora::ffi::start_async<FN>(names, self VELMORA_CARGS(N));                               \
  }                                                                                                     \
  VELMORA_LIST_CALLABLE(SYMBOL, "VelmoraFutureHandle", FN, NAMES, false __VA_OPT__(, ) __VA_ARGS__)
