// The FIFO async mutex, driven through real futures.
#include <gtest/gtest.h>

#include "platform/async/async_mutex.h"
#include "test_operations.h"

namespace velmora::testing {
namespace {

// Drives one task through an exported-style future, counting continuations.
template <class R>
class Driven {
 public:
  explicit Driven(async::Task<R> task) : future_(new ffi::OperationFuture<R>(std::move(task), {})) {}
  Driven(const Driven&) = delete;
  ~Driven() { free(); }
  void poll() { future_->poll(&Driven::record, reinterpret_cast<uint64_t>(this)); }
  int readies() const { return readies_; }
  int wakes() const { return wakes_; }
  void free() {
    if (future_) std::exchange(future_, nullptr)->free();
  }

 private:
  static void record(uint64_t data, int8_t result) {
    auto* self = reinterpret_cast<Driven*>(data);
    ++(result == VELMORA_POLL_READY ? self->readies_ : self->wakes_);
  }
  ffi::OperationFuture<R>* future_;
  std::atomic<int> readies_{0}, wakes_{0};
};

async::Task<uint32_t> hold_lock(async::AsyncMutex& mutex, Gate& release, std::vector<int>& order, uint32_t id) {
  auto guard = co_await mutex.lock();
  order.push_back(static_cast<int>(id));
  co_await release.wait();
  co_return id;
}

TEST(AsyncMutex, IsGrantedInRequestOrder) {
  async::AsyncMutex mutex;
  std::vector<int> order;
  std::vector<std::unique_ptr<Gate>> gates;
  std::vector<std::unique_ptr<Driven<uint32_t>>> tasks;
  for (int id = 0; id < 5; ++id) {
    gates.push_back(std::make_unique<Gate>());
    tasks.push_back(std::make_unique<Driven<uint32_t>>(hold_lock(mutex, *gates.back(), order, static_cast<uint32_t>(id))));
    tasks.back()->poll();
  }
  EXPECT_EQ(order, std::vector<int>{0});
  // Release in turn: each release grants the next waiter, which runs when polled.
  for (int id = 0; id < 5; ++id) {
    int wakes = tasks[id]->wakes();
    gates[id]->open();
    EXPECT_EQ(tasks[id]->wakes(), wakes + 1);
    tasks[id]->poll();
    EXPECT_EQ(tasks[id]->readies(), 1);
    if (id + 1 < 5) {
      EXPECT_EQ(tasks[id + 1]->wakes(), 1) << "the next waiter is granted at once";
      EXPECT_EQ(order.size(), static_cast<std::size_t>(id + 1)) << "it runs only when polled";
      tasks[id + 1]->poll();
    }
  }
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  tasks.clear();
  EXPECT_TRUE(mutex.idle());
}

TEST(AsyncMutex, ACancelledWaiterNeitherBlocksNorIsGranted) {
  async::AsyncMutex mutex;
  std::vector<int> order;
  Gate g0, g1, g2, g3;
  Driven<uint32_t> holder(hold_lock(mutex, g0, order, 0));
  Driven<uint32_t> left_in_queue(hold_lock(mutex, g1, order, 1));
  Driven<uint32_t> granted_then_dropped(hold_lock(mutex, g2, order, 2));
  Driven<uint32_t> last(hold_lock(mutex, g3, order, 3));
  holder.poll();
  left_in_queue.poll();
  granted_then_dropped.poll();
  last.poll();

  left_in_queue.free();  // leaves the queue while waiting
  g0.open();
  holder.poll();
  EXPECT_EQ(granted_then_dropped.wakes(), 1) << "granted to the next waiter still queued";
  granted_then_dropped.free();  // dropped after the grant, before it ran: passes the lock on
  EXPECT_EQ(last.wakes(), 1);
  last.poll();
  EXPECT_EQ(order, (std::vector<int>{0, 3}));
  g3.open();
  last.poll();
  EXPECT_EQ(last.readies(), 1);
  EXPECT_TRUE(mutex.idle());
}

TEST(AsyncMutex, AnUncontendedLockDoesNotSuspend) {
  async::AsyncMutex mutex;
  auto twice = [](async::AsyncMutex& m) -> async::Task<uint32_t> {
    { auto first = co_await m.lock(); }
    auto second = co_await m.lock();
    co_return 2;
  };
  Driven<uint32_t> task(twice(mutex));
  task.poll();
  EXPECT_EQ(task.readies(), 1);
  EXPECT_TRUE(mutex.idle());
}

}  // namespace
}  // namespace velmora::testing
