// A single-owner cell: the text service keeps all its state in one, and each
// COM method borrows it for the shortest span. The service takes no locks;
// a second borrow while one is held means TSF re-entered a handler that
// forgot to release the state before calling out, and ends the process.
#pragma once

#include <cstdint>
#include <utility>

#include "com/boundary.h"

namespace sorla::tsf {

template <class T>
class StateCell {
 public:
  class Borrow {
   public:
    explicit Borrow(StateCell& cell) noexcept : cell_(&cell) {
      if (cell.borrowed_) com::fatal();
      cell.borrowed_ = true;
      ++cell.borrows_;
    }
    Borrow(const Borrow&) = delete;
    Borrow& operator=(const Borrow&) = delete;
    ~Borrow() { release(); }

    T& operator*() const noexcept { return cell_->value_; }
    T* operator->() const noexcept { return &cell_->value_; }
    // Ends the borrow early, before calling out.
    void release() noexcept {
      if (cell_) std::exchange(cell_, nullptr)->borrowed_ = false;
    }

   private:
    StateCell* cell_;
  };

  Borrow borrow() noexcept { return Borrow(*this); }
  bool borrowed() const noexcept { return borrowed_; }
  // How many borrows there were so far: while it reads as it did during a
  // borrow, nobody touched the state since that borrow.
  std::uint64_t borrows() const noexcept { return borrows_; }

 private:
  T value_{};
  bool borrowed_ = false;
  std::uint64_t borrows_ = 0;
};

}  // namespace sorla::tsf
