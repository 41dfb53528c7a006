// A block of state shared by reference count, and the handle that holds one
// share of it. The last handle to let go deletes the block.
#ifndef ZORVAN_COMMON_SHARED_BLOCK_H
#define ZORVAN_COMMON_SHARED_BLOCK_H

#include <stdint.h>

#include <atomic>

namespace zorvan {

class SharedReference;

class SharedBlock {
 public:
  SharedBlock() = default;
  SharedBlock(const SharedBlock&) = delete;
  SharedBlock& operator=(const SharedBlock&) = delete;
  // Shares held right now (for tests).
  int32_t shares() const { return shares_.load(std::memory_order_acquire); }

 protected:
  virtual ~SharedBlock() = default;

 private:
  friend class SharedReference;
  std::atomic<int32_t> shares_{0};
};

// One share of a block: taken when made, given back exactly once, by
// release() or when the handle goes. Moving hands the share on.
class SharedReference {
 public:
  SharedReference() = default;
  explicit SharedReference(SharedBlock* block) : block_(block) {
    if (block_ != nullptr) block_->shares_.fetch_add(1, std::memory_order_relaxed);
  }
  SharedReference(SharedReference&& other) noexcept : block_(other.block_) {
    other.block_ = nullptr;
  }
  SharedReference& operator=(SharedReference&& other) noexcept {
    if (this != &other) {
      release();
      block_ = other.block_;
      other.block_ = nullptr;
    }
    return *this;
  }
  SharedReference(const SharedReference&) = delete;
  SharedReference& operator=(const SharedReference&) = delete;
  ~SharedReference() { release(); }

  // Give the share back; the last share deletes the block. The handle holds
  // nothing afterwards, and is not touched once the block may be gone (it
  // may live inside the block).
  void release() {
    SharedBlock* block = block_;
    if (block == nullptr) return;
    block_ = nullptr;
    if (block->shares_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete block;
  }

 private:
  SharedBlock* block_ = nullptr;
};

}  // namespace zorvan

#endif  // ZORVAN_COMMON_SHARED_BLOCK_H
