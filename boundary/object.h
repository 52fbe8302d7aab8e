// Reference-counted library objects and the handles that name them.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

namespace velmora::ffi {

// Base of every object a foreign caller holds by handle. A handle is the
// object's address: non-zero, even (allocations are 8-byte aligned), stable for
// the object's life and equal for every reference to the same object.
class Object {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  void retain() const noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
  void release() const noexcept {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }

 protected:
  virtual ~Object() = default;

 private:
  mutable std::atomic<uint64_t> refs_{1};
};

// One counted reference to a T.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(const Ref& other) noexcept : ptr_(other.ptr_) {
    if (ptr_) ptr_->retain();
  }
  Ref(Ref&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  Ref(Ref<U> other) noexcept : ptr_(other.leak()) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~Ref() {
    if (ptr_) ptr_->release();
  }

  // Takes over a reference the caller already owns.
  static Ref adopt(T* ptr) noexcept {
    Ref r;
    r.ptr_ = ptr;
    return r;
  }
  // Gives up the reference without releasing it.
  T* leak() noexcept { return std::exchange(ptr_, nullptr); }

  T* get() const noexcept { return ptr_; }
  T* operator->() const noexcept { return ptr_; }
  T& operator*() const noexcept { return *ptr_; }
  explicit operator bool() const noexcept { return ptr_ != nullptr; }
  friend bool operator==(const Ref& a, const Ref& b) noexcept { return a.ptr_ == b.ptr_; }

 private:
  T* ptr_ = nullptr;
};

template <class T, class... Args>
Ref<T> make_ref(Args&&... args) {
  return Ref<T>::adopt(new T(std::forward<Args>(args)...));
}

template <class T>
uint64_t to_handle(Ref<T> ref) noexcept {
  return reinterpret_cast<uint64_t>(ref.leak());
}

// Takes over the reference a handle carries.
template <class T>
Ref<T> adopt_handle(uint64_t handle) noexcept {
  return Ref<T>::adopt(reinterpret_cast<T*>(handle));
}

}  // namespace velmora::ffi
