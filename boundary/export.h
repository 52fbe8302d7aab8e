// Synchronous exports: one macro line turns a declared C++ function, method or
// constructor into its extern "C" symbol, with argument lifting, the call,
// result lowering and the mapping of every failure onto the CallStatus.
//
//   VELMORA_EXPORT_FUNCTION(velmora_sdk, pool_display_status, &pool_display_status, "pool");
//
// defines `bind_velmora_sdk_fn_func_pool_display_status(VelmoraByteBuffer, VelmoraCallStatus*)`.
#pragma once

#include <array>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "boundary/description.h"
#include "lowering.h"
#include "platform/async/task.h"
#include "registry.h"

namespace velmora::ffi {

// What a declared callable looks like: result, arguments and, for methods, receiver.
template <auto Fn>
struct Callable;

template <class R, class... A, R (*Fn)(A...)>
struct Callable<Fn> {
  using result = R;
  using args = std::tuple<std::remove_cvref_t<A>...>;
  using receiver = void;
  template <class... L>
  static R invoke(L&&... lifted) {
    return Fn(std::forward<L>(lifted)...);
  }
};

template <class R, class C, class... A, R (C::*Fn)(A...) const>
struct Callable<Fn> {
  using result = R;
  using args = std::tuple<std::remove_cvref_t<A>...>;
  using receiver = C;
  template <class... L>
  static R invoke(const Ref<C>& self, L&&... lifted) {
    return ((*self).*Fn)(std::forward<L>(lifted)...);
  }
};

template <auto Fn>
constexpr bool is_method_v = !std::is_void_v<typename Callable<Fn>::receiver>;

template <auto Fn, std::size_t I>
using c_arg_t = typename Lowering<std::tuple_element_t<I, typename Callable<Fn>::args>>::c_type;

template <auto Fn>
using c_result_t = c_result_of_t<typename Callable<Fn>::result>;

// An argument that could not be decoded, with the message the caller sees.
class ArgumentError : public std::runtime_error {
 public:
  ArgumentError(std::string_view name, const DecodeError& cause)
      : std::runtime_error("Failed to convert arg '" + std::string(name) + "':\n" + cause.what()) {}
};

template <class T>
T lift_argument(typename Lowering<T>::Held& held, std::string_view name) {
  try {
    return Lowering<T>::lift(held);
  } catch (const DecodeError& e) {
    throw ArgumentError(name, e);
  }
}

inline constexpr std::string_view kUnknownFailure = "the call failed with an unexpected error of unknown kind";

// Reports the exception in flight as UnexpectedError.
void fail_with_current_exception(CallStatus* status) noexcept;

// Lowers a result into the C return value, or a declared error into the status.
template <class R>
c_result_of_t<R> lower_result(R&& result, CallStatus* status) {
  using Value = result_value_t<R>;
  if constexpr (std::is_void_v<result_error_t<R>>) {
    if constexpr (!std::is_void_v<Value>) return Lowering<Value>::lower(std::move(result));
  } else {
    if (!result) {
      fail_declared(status, encode_to_buffer(result.error()));
      if constexpr (!std::is_void_v<Value>) return {};
      else return;
    }
    if constexpr (!std::is_void_v<Value>) return Lowering<Value>::lower(std::move(*result));
  }
}

// Calls f with arguments evaluated in order and lowers what it returns. Used
// with braces, which sequence the argument expressions left to right while
// binding them to references: lifted values reach f without being moved.
template <class R>
struct OrderedCall {
  using CResult = c_result_of_t<R>;
  struct Nothing {};
  std::conditional_t<std::is_void_v<CResult>, Nothing, CResult> result{};

  template <class F, class... X>
  OrderedCall(CallStatus* status, F&& f, X&&... args) {
    if constexpr (std::is_void_v<R>) {
      f(std::forward<X>(args)...);
    } else if constexpr (std::is_void_v<CResult>) {
      lower_result(f(std::forward<X>(args)...), status);
    } else {
      result = lower_result(f(std::forward<X>(args)...), status);
    }
  }
};

template <auto Fn, class Args, class Receiver>
struct SyncCall;

template <auto Fn, class... A, class Receiver>
struct SyncCall<Fn, std::tuple<A...>, Receiver> {
  using R = typename Callable<Fn>::result;
  using CResult = c_result_of_t<R>;

  // Everything handed over is owned before anything is decoded, so that a
  // failure releases every buffer and handle, the receiver included.
  template <std::size_t... I>
  static CResult run(CallStatus* status, [[maybe_unused]] std::span<const std::string_view> names,
                     std::index_sequence<I...>, typename Lowering<A>::c_type... raw) {
    std::tuple<typename Lowering<A>::Held...> held{Lowering<A>::hold(raw)...};
    auto call = [](auto&&... a) -> R { return Callable<Fn>::invoke(std::forward<decltype(a)>(a)...); };
    return finish(OrderedCall<R>{status, call, lift_argument<A>(std::get<I>(held), names[I])...});
  }
  template <std::size_t... I>
  static CResult run_method(CallStatus* status, [[maybe_unused]] std::span<const std::string_view> names,
                            std::index_sequence<I...>, uint64_t self, typename Lowering<A>::c_type... raw) {
    Ref<Receiver> receiver = adopt_handle<Receiver>(self);
    std::tuple<typename Lowering<A>::Held...> held{Lowering<A>::hold(raw)...};
    auto call = [&](auto&&... a) -> R { return Callable<Fn>::invoke(receiver, std::forward<decltype(a)>(a)...); };
    return finish(OrderedCall<R>{status, call, lift_argument<A>(std::get<I>(held), names[I])...});
  }

 private:
  static CResult finish(OrderedCall<R>&& call) {
    if constexpr (!std::is_void_v<CResult>) return call.result;
  }
};

template <auto Fn, class... Raw>
c_result_t<Fn> call_sync(CallStatus* status, std::span<const std::string_view> names, Raw... raw) noexcept {
  using C = Callable<Fn>;
  using Call = SyncCall<Fn, typename C::args, typename C::receiver>;
  constexpr auto indices = std::make_index_sequence<std::tuple_size_v<typename C::args>>{};
  try {
    if constexpr (is_method_v<Fn>) {
      return Call::run_method(status, names, indices, raw...);
    } else {
      return Call::run(status, names, indices, raw...);
    }
  } catch (...) {
    fail_with_current_exception(status);
  }
  if constexpr (!std::is_void_v<c_result_t<Fn>>) return {};
}

template <class... S>
consteval auto arg_names(S... names) {
  return std::array<std::string_view, sizeof...(S)>{std::string_view(names)...};
}

// Anything a handle names: an object, or a library-side callback implementation.
template <class T>
concept HandleType = std::is_base_of_v<Object, T>;

template <HandleType T>
uint64_t clone_handle(uint64_t handle) noexcept {
  reinterpret_cast<T*>(handle)->retain();
  return handle;
}

template <HandleType T>
void free_handle(uint64_t handle) noexcept {
  reinterpret_cast<T*>(handle)->release();
}

consteval bool equals_lowercase(std::string_view name, std::string_view lower) {
  if (name.size() != lower.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return true;
}

// The header parameters of a callable: receiver first, then declared arguments.
template <auto Fn, std::size_t N>
consteval auto c_params(std::array<std::string_view, N> names) {
  using Args = typename Callable<Fn>::args;
  static_assert(std::tuple_size_v<Args> == N, "one name per declared argument");
  constexpr std::size_t extra = is_method_v<Fn> ? 1 : 0;
  std::array<CParam, N + extra> out{};
  if constexpr (extra == 1) out[0] = CParam{"VelmoraObjectHandle", "self"};
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    ((out[I + extra] = CParam{Lowering<std::tuple_element_t<I, Args>>::c_name, names[I]}), ...);
  }(std::make_index_sequence<N>{});
  return out;
}

// What describes a callable besides its types: kind, names, docstring.
struct CallableNames {
  CallableKind kind;
  ItemNames names;
  std::string_view object;
};

consteval CallableNames function_names(std::string_view component, std::string_view module, std::string_view name,
                                       std::string_view doc) {
  return {CallableKind::function, {component, module, name, doc}, {}};
}

// A method (or, with constructor set, a constructor) of the declared type T.
template <class T>
consteval CallableNames member_names(std::string_view name, std::string_view doc, bool constructor = false) {
  constexpr auto& owner = info_of<T>.names;
  CallableKind kind = constructor                  ? CallableKind::constructor
                      : CallbackInterfaceType<T>   ? CallableKind::callback_method
                                                   : CallableKind::method;
  return {kind, {owner.component, owner.module, name, doc}, owner.name};
}

template <class T>
struct TaskValue {
  using type = T;
  static constexpr bool is_task = false;
};
template <class R>
struct TaskValue<async::Task<R>> {
  using type = R;
  static constexpr bool is_task = true;
};

template <auto Fn, std::size_t N>
consteval auto arg_descriptions(std::array<std::string_view, N> names) {
  using Args = typename Callable<Fn>::args;
  std::array<ArgDescription, N> out{};
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    ((out[I] = ArgDescription{names[I], &describe_type<std::tuple_element_t<I, Args>>}), ...);
  }(std::make_index_sequence<N>{});
  return out;
}

template <class T>
consteval TypeDescriber describer_of() {
  if constexpr (std::is_void_v<T>) {
    return nullptr;
  } else {
    return &describe_type<T>;
  }
}

template <auto Fn>
consteval CallableInfo callable_info(CallableNames names, std::span<const ArgDescription> args) {
  using Returned = TaskValue<typename Callable<Fn>::result>;
  using R = typename Returned::type;
  return CallableInfo{names.kind,
                      names.names,
                      names.object,
                      Returned::is_task,
                      args,
                      describer_of<result_value_t<R>>(),
                      describer_of<result_error_t<R>>()};
}

template <auto Fn>
inline constexpr std::string_view c_result_name_v =
    ResultLowering<result_value_t<typename Callable<Fn>::result>>::c_name;

}  // namespace velmora::ffi

#define VELMORA_CAT_I(A, B) A##B
#define VELMORA_CAT(A, B) VELMORA_CAT_I(A, B)
#define VELMORA_NARGS(...) VELMORA_NARGS_I(__VA_ARGS__ __VA_OPT__(, ) 8, 7, 6, 5, 4, 3, 2, 1, 0)
#define VELMORA_NARGS_I(_1, _2, _3, _4, _5, _6, _7, _8, N, ...) N

#define VELMORA_CPARAMS(FN, N) VELMORA_CAT(VELMORA_CPARAMS_, N)(FN)
#define VELMORA_CPARAMS_0(FN)
#define VELMORA_CPARAMS_1(FN) ::velmora::ffi::c_arg_t<FN, 0> a0,
#define VELMORA_CPARAMS_2(FN) VELMORA_CPARAMS_1(FN)::velmora::ffi::c_arg_t<FN, 1> a1,
#define VELMORA_CPARAMS_3(FN) VELMORA_CPARAMS_2(FN)::velmora::ffi::c_arg_t<FN, 2> a2,
#define VELMORA_CPARAMS_4(FN) VELMORA_CPARAMS_3(FN)::velmora::ffi::c_arg_t<FN, 3> a3,
#define VELMORA_CPARAMS_5(FN) VELMORA_CPARAMS_4(FN)::velmora::ffi::c_arg_t<FN, 4> a4,
#define VELMORA_CPARAMS_6(FN) VELMORA_CPARAMS_5(FN)::velmora::ffi::c_arg_t<FN, 5> a5,

#define VELMORA_CARGS(N) VELMORA_CAT(VELMORA_CARGS_, N)
#define VELMORA_CARGS_0
#define VELMORA_CARGS_1 , a0
#define VELMORA_CARGS_2 VELMORA_CARGS_1, a1
#define VELMORA_CARGS_3 VELMORA_CARGS_2, a2
#define VELMORA_CARGS_4 VELMORA_CARGS_3, a3
#define VELMORA_CARGS_5 VELMORA_CARGS_4, a4
#define VELMORA_CARGS_6 VELMORA_CARGS_5, a5

#define VELMORA_RECEIVER_PARAM_0
#define VELMORA_RECEIVER_PARAM_1 uint64_t self,
#define VELMORA_RECEIVER_ARG_0
#define VELMORA_RECEIVER_ARG_1 , self

// Lists SYMBOL with its header parameters and its description: NAMES (a
// CallableNames) and the declared argument names that follow.
#define VELMORA_LIST_CALLABLE(SYMBOL, RESULT, FN, NAMES, TAKES_STATUS, ...)                             \
  static constexpr auto velmora_args_##SYMBOL = ::velmora::ffi::arg_descriptions<FN>(::velmora::ffi::arg_names(__VA_ARGS__)); \
  static constexpr ::velmora::ffi::CallableInfo velmora_callable_##SYMBOL =                              \
      ::velmora::ffi::callable_info<FN>(NAMES, velmora_args_##SYMBOL);                                   \
  VELMORA_LIST_EXPORT(SYMBOL, RESULT, ::velmora::ffi::c_params<FN>(::velmora::ffi::arg_names(__VA_ARGS__)), \
                      TAKES_STATUS, &velmora_callable_##SYMBOL)

// Defines the synchronous export SYMBOL for the callable FN (METHOD: 1 when FN
// takes a receiver), described by NAMES, whose declared arguments are named by
// the string literals that follow.
#define VELMORA_DEFINE_SYNC(SYMBOL, METHOD, FN, NAMES, ...)                                     \
  VELMORA_DEFINE_SYNC_N(SYMBOL, METHOD, FN, NAMES, VELMORA_NARGS(__VA_ARGS__) __VA_OPT__(, ) __VA_ARGS__)
#define VELMORA_DEFINE_SYNC_N(SYMBOL, METHOD, FN, NAMES, N, ...)                                \
  extern "C" VELMORA_API ::velmora::ffi::c_result_t<FN> SYMBOL(                                 \
      VELMORA_CAT(VELMORA_RECEIVER_PARAM_, METHOD) VELMORA_CPARAMS(FN, N)                       \
          VelmoraCallStatus* status) noexcept {                                                 \
    static_assert(::velmora::ffi::is_method_v<FN> == (METHOD == 1));                            \
    static constexpr auto names = ::velmora::ffi::arg_names(__VA_ARGS__);                       \
    return ::velmora::ffi::call_sync<FN>(status, names VELMORA_CAT(VELMORA_RECEIVER_ARG_, METHOD) \
                                                     VELMORA_CARGS(N));                         \
  }                                                                                             \
  VELMORA_LIST_CALLABLE(SYMBOL, ::velmora::ffi::c_result_name_v<FN>, FN, NAMES, true __VA_OPT__(, ) __VA_ARGS__)

// A function of module MODULE: bind_<component>_fn_func_<name>.
#define VELMORA_EXPORT_FUNCTION(COMPONENT, MODULE, NAME, FN, DOC, ...)                                    \
  VELMORA_DEFINE_SYNC(bind_##COMPONENT##_fn_func_##NAME, 0, FN,                                           \
                      ::velmora::ffi::function_names(#COMPONENT, #MODULE, #NAME, DOC) __VA_OPT__(, ) __VA_ARGS__)

// A constructor of object TYPE (exported as LOWER, its name in lower case).
#define VELMORA_EXPORT_CONSTRUCTOR(COMPONENT, TYPE, LOWER, NAME, FN, DOC, ...)                 \
  static_assert(::velmora::ffi::equals_lowercase(::velmora::ffi::info_of<TYPE>.names.name, #LOWER)); \
  VELMORA_DEFINE_SYNC(bind_##COMPONENT##_fn_constructor_##LOWER##_##NAME, 0, FN,               \
                      ::velmora::ffi::member_names<TYPE>(#NAME, DOC, true) __VA_OPT__(, ) __VA_ARGS__)

// A synchronous method NAME of object TYPE.
#define VELMORA_EXPORT_METHOD(COMPONENT, TYPE, LOWER, NAME, DOC, ...)                          \
  static_assert(::velmora::ffi::equals_lowercase(::velmora::ffi::info_of<TYPE>.names.name, #LOWER)); \
  VELMORA_DEFINE_SYNC(bind_##COMPONENT##_fn_method_##LOWER##_##NAME, 1, &TYPE::NAME,           \
                      ::velmora::ffi::member_names<TYPE>(#NAME, DOC) __VA_OPT__(, ) __VA_ARGS__)

// The clone and free exports of object TYPE.
#define VELMORA_EXPORT_OBJECT(COMPONENT, TYPE, LOWER)                                               \
  static_assert(::velmora::ffi::equals_lowercase(::velmora::ffi::info_of<TYPE>.names.name, #LOWER));      \
  static_assert(::velmora::ffi::info_of<TYPE>.names.component == #COMPONENT);                             \
  extern "C" VELMORA_API uint64_t bind_##COMPONENT##_fn_clone_##LOWER(uint64_t self,                     \
                                                                      VelmoraCallStatus*) noexcept {     \
    return ::velmora::ffi::clone_handle<TYPE>(self);                                                     \
  }                                                                                                      \
  extern "C" VELMORA_API void bind_##COMPONENT##_fn_free_##LOWER(uint64_t self, VelmoraCallStatus*) noexcept { \
    ::velmora::ffi::free_handle<TYPE>(self);                                                             \
  }                                                                                                      \
  VELMORA_LIST_EXPORT(bind_##COMPONENT##_fn_clone_##LOWER, "VelmoraObjectHandle",                        \
                      (std::array{::velmora::ffi::CParam{"VelmoraObjectHandle", "self"}}), true, nullptr) \
  VELMORA_LIST_EXPORT(bind_##COMPONENT##_fn_free_##LOWER, "void",                                        \
                      (std::array{::velmora::ffi::CParam{"VelmoraObjectHandle", "self"}}), true, nullptr)
