// A block of state shared by reference count, and the handle that holds one
// share of it. The last handle to let go deletes the block.
#ifndef ZORVAN_COMMON_SHARED_BLOCK_H
#define ZORVAN_COMMON_SHARED_BLOCK_H

#include <stdint.h>

#include "platform/atomic_count.h"

namespace zorvan {

class SharedReference;

class SharedBlock {
 public:
  SharedBlock() = default;
  SharedBlock(const SharedBlock&) = delete;
  SharedBlock& operator=(const SharedBlock&) = delete;
  // Shares held right now (for tests).
  int32_t shares() const { return shares_.load(); }

 protected:
  virtual ~SharedBlock() = default;

 private:
  friend class SharedReference;
  AtomicCount shares_;
};

// One share of a block: taken when made, given back exactly once, by
// release() or when the handle goes. Moving hands the share on.
class SharedReference {
 public:
  SharedReference() = default;
  explicit SharedReference(SharedBlock* block) : block_(block) {
    if (block_ != nullptr) block_->shares_.increment();
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
    if (block->shares_.decrement() == 0) delete block;
  }

 private:
  SharedBlock* block_ = nullptr;
};

}  // namespace zorvan

#endif  // ZORVAN_COMMON_SHARED_BLOCK_H
