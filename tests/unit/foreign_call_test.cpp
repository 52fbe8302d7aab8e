// Calls into caller-implemented callback objects through the registered
// tables: completion on any thread, the outcome codes, dropped notices and
// the release of the caller's objects.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "test_operations.h"

namespace velmora::testing {
namespace {

using Bytes = std::vector<uint8_t>;

// The caller's side, as C callbacks over shared test state.
struct Foreign {
  static inline std::atomic<int> frees{0};
  static inline std::atomic<uint64_t> last_freed{0};
  static inline std::atomic<int> drops{0};
  static inline std::function<void(VelmoraForeignCompletionCallback, uint64_t, VelmoraDroppedCallback*)> behaviour;
  static inline std::atomic<int> last_force_refresh{-1};
  static inline Bytes last_request;

  static void free(uint64_t handle) {
    ++frees;
    last_freed = handle;
  }
  static uint64_t clone(uint64_t handle) { return handle; }
  static void dropped(uint64_t handle) {
    EXPECT_EQ(handle, 77u);
    ++drops;
  }
  static void execute(uint64_t, VelmoraByteBuffer request, VelmoraForeignCompletionCallback completion, uint64_t data,
                      VelmoraDroppedCallback* out) {
    last_request.assign(request.data, request.data + request.len);
    ffi::buffer_release(request);  // the foreign side owns the request buffer
    *out = VelmoraDroppedCallback{77, &Foreign::dropped};
    behaviour(completion, data, out);
  }
  static void get_access_token(uint64_t, int8_t force_refresh, VelmoraForeignCompletionCallback completion,
                               uint64_t data, VelmoraDroppedCallback* out) {
    last_force_refresh = force_refresh;
    *out = VelmoraDroppedCallback{77, &Foreign::dropped};
    behaviour(completion, data, out);
  }
};

const VelmoraHttpClientCallbackTable kHttpTable{&Foreign::free, &Foreign::clone, &Foreign::execute};
const VelmoraAccessTokenProviderCallbackTable kTokenTable{&Foreign::free, &Foreign::clone, &Foreign::get_access_token};

VelmoraForeignCallResult success(ffi::ByteBuffer value) { return {value, {VELMORA_CALL_SUCCESS, {}}}; }
VelmoraForeignCallResult failure(int8_t code, ffi::ByteBuffer error) { return {{}, {code, error}}; }

ffi::ByteBuffer encoded_response() { return ffi::encode_to_buffer(sdk::HttpResponse{200, {{"x", "1"}}, {'o', 'k'}}); }

std::string text_of(ffi::ByteBuffer b) {
  std::string out(reinterpret_cast<const char*>(b.data), b.len);
  ffi::buffer_release(b);
  return out;
}

struct Poller {
  std::atomic<int> wakes{0}, readies{0};
  static void record(uint64_t data, int8_t result) {
    auto* self = reinterpret_cast<Poller*>(data);
    ++(result == VELMORA_POLL_READY ? self->readies : self->wakes);
  }
  void poll(uint64_t f) { ffi_velmora_sdk_future_poll_buffer(f, &Poller::record, reinterpret_cast<uint64_t>(this)); }
};

constexpr uint64_t kForeignHandle = 0x1235;  // odd: the caller's object

struct ForeignCallTest : ::testing::Test {
  void SetUp() override {
    Foreign::frees = 0;
    Foreign::drops = 0;
    bind_velmora_sdk_fn_init_callback_vtable_httpclient(&kHttpTable);
    bind_velmora_sdk_fn_init_callback_vtable_accesstokenprovider(&kTokenTable);
  }
  // Starts fetch on the caller's client.
  uint64_t fetch() {
    sdk::HttpRequest request{"GET", "https://gw.example/api", {}, std::nullopt, std::nullopt, std::nullopt};
    return bind_velmora_test_fn_method_testops_fetch(new_ops(), kForeignHandle, ffi::encode_to_buffer(request));
  }
  // Runs a future to its end, assuming every completion is synchronous.
  ffi::ByteBuffer finish(uint64_t f, VelmoraCallStatus* status) {
    Poller p;
    p.poll(f);
    EXPECT_EQ(p.readies, 1);
    ffi::ByteBuffer out = ffi_velmora_sdk_future_complete_buffer(f, status);
    ffi_velmora_sdk_future_free_buffer(f);
    return out;
  }
};

TEST_F(ForeignCallTest, ACompletionInsideTheMethodFinishesWithinTheFirstPoll) {
  Foreign::behaviour = [](auto completion, uint64_t data, auto*) { completion(data, success(encoded_response())); };
  VelmoraCallStatus status{};
  std::string bytes = text_of(finish(fetch(), &status));
  auto response = ffi::decode_whole<sdk::HttpResponse>(
      std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
  EXPECT_EQ(response, (sdk::HttpResponse{200, {{"x", "1"}}, {'o', 'k'}}));
  EXPECT_EQ(ffi::decode_whole<sdk::HttpRequest>(Foreign::last_request).url, "https://gw.example/api");
  EXPECT_EQ(Foreign::drops, 1) << "the dropped notice follows a normal completion too";
  EXPECT_EQ(Foreign::frees, 1) << "the caller's client is released once, with the operation";
  EXPECT_EQ(Foreign::last_freed, kForeignHandle);
}

TEST_F(ForeignCallTest, ACompletionFromAnotherThreadWakesTheOperation) {
  std::function<void()> complete_later;
  Foreign::behaviour = [&](auto completion, uint64_t data, auto*) {
    complete_later = [=] { completion(data, success(encoded_response())); };
  };
  uint64_t f = fetch();
  Poller p;
  p.poll(f);
  EXPECT_EQ(p.readies + p.wakes, 0);
  std::thread(complete_later).join();
  EXPECT_EQ(p.wakes, 1);
  p.poll(f);
  EXPECT_EQ(p.readies, 1);
  VelmoraCallStatus status{};
  EXPECT_FALSE(text_of(ffi_velmora_sdk_future_complete_buffer(f, &status)).empty());
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
  ffi_velmora_sdk_future_free_buffer(f);
  EXPECT_EQ(Foreign::drops, 1);
}

TEST_F(ForeignCallTest, ForeignOutcomesBecomeResultsErrorsOrUnexpectedFailures) {
  Bytes response = [] {
    std::string t = text_of(encoded_response());
    return Bytes(t.begin(), t.end());
  }();
  Bytes response_plus_one = response;
  response_plus_one.push_back(0);
  struct Case {
    const char* name;
    std::function<VelmoraForeignCallResult()> outcome;
    int8_t code;
    std::string message_part;  // for UnexpectedError
  } cases[] = {
      {"Error with a decodable HttpError",
       [] { return failure(VELMORA_CALL_ERROR, ffi::encode_to_buffer(sdk::HttpError{sdk::http_error::Transport{"refused"}})); },
       VELMORA_CALL_ERROR, ""},
      {"code 2 with a message", [] { return failure(2, ffi::buffer_copy("boom")); }, VELMORA_CALL_UNEXPECTED_ERROR,
       "boom"},
      {"a result with one extra byte", [&] { return success(ffi::buffer_copy(std::span(response_plus_one))); },
       VELMORA_CALL_UNEXPECTED_ERROR, "junk data left in buffer after lifting (count: 1)"},
      {"an error that does not decode", [] { return failure(VELMORA_CALL_ERROR, ffi::buffer_copy(std::string_view("\0\0\0\2", 4))); },
       VELMORA_CALL_UNEXPECTED_ERROR, "error value that could not be decoded: Invalid HttpError enum value: 2"},
  };
  for (const auto& c : cases) {
    Foreign::behaviour = [&](auto completion, uint64_t data, auto*) { completion(data, c.outcome()); };
    VelmoraCallStatus status{};
    ffi::ByteBuffer out = finish(fetch(), &status);
    EXPECT_EQ(out.data, nullptr) << c.name;
    ASSERT_EQ(status.code, c.code) << c.name;
    std::string error = text_of(status.error_buf);
    if (c.code == VELMORA_CALL_ERROR) {
      EXPECT_EQ(error, text_of(ffi::encode_to_buffer(sdk::HttpError{sdk::http_error::Transport{"refused"}})));
    } else {
      EXPECT_NE(error.find(c.message_part), std::string::npos) << c.name << ": " << error;
    }
  }
}

TEST_F(ForeignCallTest, AMissingTableIsAnUnexpectedErrorSayingSo) {
  bind_velmora_sdk_fn_init_callback_vtable_httpclient(nullptr);
  VelmoraCallStatus status{};
  finish(fetch(), &status);
  EXPECT_EQ(status.code, VELMORA_CALL_UNEXPECTED_ERROR);
  EXPECT_EQ(text_of(status.error_buf), "the foreign callback table of HttpClient was never set");
}

TEST_F(ForeignCallTest, CancellingAPendingCallDropsItOnceAndIgnoresTheLateCompletion) {
  VelmoraForeignCompletionCallback completion = nullptr;
  uint64_t data = 0;
  Foreign::behaviour = [&](auto c, uint64_t d, auto*) {
    completion = c;
    data = d;
  };
  uint64_t f = fetch();
  Poller p;
  p.poll(f);
  ffi_velmora_sdk_future_cancel_buffer(f);
  EXPECT_EQ(p.readies, 1);
  ffi_velmora_sdk_future_free_buffer(f);
  EXPECT_EQ(Foreign::drops, 1);
  EXPECT_EQ(Foreign::frees, 1);
  completion(data, success(encoded_response()));  // accepted, released unread
  EXPECT_EQ(Foreign::drops, 1);
}

TEST_F(ForeignCallTest, FreeingAnUnpolledOperationReleasesTheCallersObjectOnce) {
  ffi_velmora_sdk_future_free_buffer(fetch());
  EXPECT_EQ(Foreign::frees, 1);
  EXPECT_EQ(Foreign::drops, 0) << "no call was started";
}

TEST_F(ForeignCallTest, TokenProviderOutcomes) {
  struct Case {
    bool force_refresh;
    std::function<VelmoraForeignCallResult()> outcome;
    int8_t code;
    std::string payload;
  } cases[] = {
      {false, [] { return success(ffi::buffer_copy(" token ")); }, VELMORA_CALL_SUCCESS, " token "},
      {true,
       [] { return failure(VELMORA_CALL_ERROR, ffi::encode_to_buffer(sdk::AccessTokenProviderError{sdk::access_token_provider_error::Failed{"offline"}})); },
       VELMORA_CALL_ERROR, text_of(ffi::encode_to_buffer(sdk::AccessTokenProviderError{sdk::access_token_provider_error::Failed{"offline"}}))},
  };
  for (const auto& c : cases) {
    Foreign::behaviour = [&](auto completion, uint64_t data, auto*) { completion(data, c.outcome()); };
    uint64_t f = bind_velmora_test_fn_method_testops_token(new_ops(), kForeignHandle, c.force_refresh ? 1 : 0);
    VelmoraCallStatus status{};
    std::string value = text_of(finish(f, &status));
    EXPECT_EQ(Foreign::last_force_refresh, c.force_refresh ? 1 : 0);
    ASSERT_EQ(status.code, c.code);
    EXPECT_EQ(c.code == VELMORA_CALL_SUCCESS ? value : text_of(status.error_buf), c.payload);
  }
}

// A library-side HttpClient, reached through the even-handle exports.
class EchoClient final : public sdk::HttpClient {
 public:
  async::Task<std::expected<sdk::HttpResponse, sdk::HttpError>> execute(sdk::HttpRequest request) const override {
    co_return sdk::HttpResponse{201, {}, std::vector<uint8_t>(request.url.begin(), request.url.end())};
  }
};

TEST_F(ForeignCallTest, LibrarySideImplementationsServeTheExportedMethod) {
  uint64_t client = ffi::to_handle(ffi::Ref<sdk::HttpClient>(ffi::make_ref<EchoClient>()));
  EXPECT_EQ(client % 2, 0u);
  VelmoraCallStatus status{};
  EXPECT_EQ(bind_velmora_sdk_fn_clone_httpclient(client, &status), client);
  sdk::HttpRequest request{"GET", "u", {}, std::nullopt, std::nullopt, std::nullopt};
  uint64_t f = bind_velmora_sdk_fn_method_httpclient_execute(client, ffi::encode_to_buffer(request));
  std::string out = text_of(finish(f, &status));
  EXPECT_EQ(ffi::decode_whole<sdk::HttpResponse>(std::span(reinterpret_cast<const uint8_t*>(out.data()), out.size())),
            (sdk::HttpResponse{201, {}, {'u'}}));
  bind_velmora_sdk_fn_free_httpclient(client, &status);
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
}

}  // namespace
}  // namespace velmora::testing
